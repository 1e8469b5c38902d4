#pragma once
// Building a whole index list from many pages at once, for rebuilding an index file and for
// generating data sets. The list built is exactly the one that adding each page's words in turn
// to an empty list (AddPageWords) would give, but each entry is placed once by a counting sort on
// its word instead of being merged in page after page.

#include <cstdint>
#include <string>
#include <string_view>
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
    // The same with the page's words already taken from its text (IndexWordsOf with Stops()),
    // which another thread may do meanwhile.
    void AddWords(std::string_view id, std::vector<std::string> words);
    const StopWords& Stops() const { return list_.Stops(); }

    // Replaces the list's entries with those of every page taken, marks the list loaded and
    // returns how many entries it holds. The builder is empty afterwards.
    std::size_t Finish();

    // Writes the entries of every page taken to the data set's index file, replacing it, and
    // returns how many there are: the same bytes as Finish and SaveIndex write, but each line
    // goes to the file as it is made, without a list of them in memory. The list is left empty
    // and not loaded, and the builder empty. Throws IoError when the file cannot be written (the
    // old one then stays).
    std::size_t WriteIndexFile(const std::string& dataSet);

private:
    // Sorts the entries and calls use(walk); walk(f) calls f(word with "=", ID) for each entry in
    // list order, as often as it is called. Empties the builder.
    template <class Use>
    void Sorted(Use&& use);
    void Clear();

    IndexList& list_;
    // The number of a word (without "="), given to it when first seen; may take the word.
    std::uint32_t WordNumber(std::string& word);

    // Each distinct word with "=" after it, by number (in the order first seen), and a table
    // of the numbers by the words' hashes (open addressing, at most half full).
    std::vector<std::string> wordKeys_;
    std::vector<std::uint64_t> slots_;
    std::vector<std::uint32_t> lastPage_;  // per word: the last page it was taken for
    // The pages taken, in order: their IDs, and the distinct word numbers of page p at
    // pageWords_[pageStarts_[p]] up to pageWords_[pageStarts_[p + 1]] (in no particular order).
    std::vector<std::string> ids_;
    std::vector<std::uint32_t> pageWords_;
    std::vector<std::size_t> pageStarts_{0};
};

}  // namespace jb
