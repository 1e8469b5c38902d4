#pragma once
// Building a whole index list from many pages at once, for rebuilding an index file and for
// generating data sets. The list built is exactly the one that adding each page's words in turn
// to an empty list (AddPageWords) would give, but each entry is placed once by a counting sort on
// its word instead of being merged in page after page.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/word_index.h"

namespace jb {

class IndexBuilder {
public:
    // Reads the stop-word list of the data set's folder once, into the list's cache. Throws
    // IoError when that list exists but cannot be read.
    IndexBuilder(IndexList& list, const std::string& dataSet);

    // Takes the words of one page, as AddPageWords would.
    void AddPage(std::string_view id, std::string_view plainText);

    // Replaces the list's entries with those of every page taken, marks the list loaded and
    // returns how many entries it holds. The builder is empty afterwards.
    std::size_t Finish();

private:
    IndexList& list_;
    // Each distinct word with "=" after it, numbered in the order first seen.
    std::unordered_map<std::string, std::uint32_t> wordNumbers_;
    std::vector<const std::string*> wordKeys_;
    // The pages taken, in order: their IDs, and the distinct word numbers of page p at
    // pageWords_[pageStarts_[p]] up to pageWords_[pageStarts_[p + 1]].
    std::vector<std::string> ids_;
    std::vector<std::uint32_t> pageWords_;
    std::vector<std::size_t> pageStarts_{0};
};

}  // namespace jb
