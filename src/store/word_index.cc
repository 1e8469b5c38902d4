#include "store/word_index.h"
