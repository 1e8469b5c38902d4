#pragma once

#include <cstddef>

namespace jb {

// Keeps large freed blocks in the process instead of handing them back to the system at once.
// Searches and reminder checks read every header record (megabytes) many times a session;
// without this each read pays again for fresh pages from the system.
void KeepLargeAllocationsInProcess();

// Asks the system to back a large block that has not been touched yet with huge pages. A
// gigabyte-sized index otherwise takes hundreds of thousands of page faults as it is first
// filled, and on a virtual machine each one is dear. Does nothing where huge pages are off.
void AdviseHugePages(const void* block, std::size_t bytes);

}  // namespace jb
