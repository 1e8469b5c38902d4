#include "store/memory_tuning.h"

#include <malloc.h>

namespace jb {

void KeepLargeAllocationsInProcess() {
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
}

}  // namespace jb
