#pragma once
// The phrase scan: which pages hold a phrase in their stored body. A body is searched as stored
// (rich-text markup and all, ciphertext for a protected page), up to its first zero byte, without
// regard to ASCII letter case. The data file is read in large blocks in the order of the bodies'
// offsets, and each body is searched where it lies in its block, 16 or 32 positions at a time;
// with a large data file the blocks are shared out among the cores, one reading while another
// searches.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_system.h"
#include "store/header_record.h"

namespace jb::search {

inline constexpr std::size_t kPhraseBlockSize = std::size_t{1} << 20;
// Below this many bytes to read, the scan keeps to one thread.
inline constexpr std::int64_t kPhraseThreadBytes = std::int64_t{16} << 20;

// The search for one phrase in a text, ASCII letters compared without regard to case.
class PhraseFinder {
public:
    explicit PhraseFinder(std::string_view phrase);
    // Whether the `size` bytes at `text` hold the phrase (an empty phrase is in every text).
    bool In(const char* text, std::size_t size) const;
    // The same for the bytes before the first zero byte among them (all when there is none).
    bool InUpToZero(const char* text, std::size_t size) const;
    // The first position where the phrase starts; -1 (as size_t) when it does not.
    std::size_t Find(const char* text, std::size_t size) const;
    // Uses 16-byte vectors even where 32-byte ones are to be had (tests compare the two).
    void ForceSse2() { forceSse2_ = true; }

private:
    std::string lower_;     // the phrase, "A".."Z" made "a".."z"
    std::string caseBits_;  // per byte: 0x20 where it is a letter, else 0
    bool forceSse2_ = false;
};

// The numbers (ascending) of the pages whose body holds `phrase`. An empty phrase is held by
// every body, a deleted page's empty one included. Throws IoError when a record points outside
// the data file or a read fails. The file is read in windows of at least `blockSize` bytes, each
// starting at a body and taking it whole (tests make it small to move the window ends), by
// `threads` threads (0: as many as pay, one below kPhraseThreadBytes). A thread given a file of
// its own by `openAnother` (the data file opened again) reads at the same time as the others;
// without one, the threads take turns with `dataFile`.
std::vector<int> ScanPhrase(File& dataFile, const std::vector<HeaderRecord>& headers, std::string_view phrase,
                            const std::string& dataSet, std::size_t blockSize = kPhraseBlockSize, int threads = 0,
                            const std::function<std::unique_ptr<File>()>& openAnother = {});

}  // namespace jb::search
