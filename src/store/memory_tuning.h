#pragma once

namespace jb {

// Keeps large freed blocks in the process instead of handing them back to the system at once.
// Searches and reminder checks read every header record (megabytes) many times a session;
// without this each read pays again for fresh pages from the system.
void KeepLargeAllocationsInProcess();

}  // namespace jb
