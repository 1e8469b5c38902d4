#include "settings/hunspell_engine.h"
