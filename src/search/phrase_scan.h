#pragma once
// The phrase scan: which pages hold a phrase in their stored body. A body is searched as stored
// (rich-text markup and all, ciphertext for a protected page), up to its first zero byte, without
// regard to ASCII letter case. The data file is streamed in large blocks in the order of the
// bodies' offsets; each block is folded to upper case once and searched with memmem.

#include <string>
#include <string_view>
#include <vector>

#include "store/file_system.h"
#include "store/header_record.h"

namespace jb::search {

inline constexpr std::size_t kPhraseBlockSize = std::size_t{1} << 20;

// The numbers (ascending) of the pages whose body holds `phrase`. An empty phrase is held by
// every body, a deleted page's empty one included. Throws IoError when a record points outside
// the data file or a read fails. The file is read in windows of at least `blockSize` bytes, each
// starting at a body and taking it whole (tests make it small to move the window ends).
std::vector<int> ScanPhrase(File& dataFile, const std::vector<HeaderRecord>& headers, std::string_view phrase,
                            const std::string& dataSet, std::size_t blockSize = kPhraseBlockSize);

}  // namespace jb::search
