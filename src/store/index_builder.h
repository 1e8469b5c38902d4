#pragma once
// Building a whole index list from many pages at once, for rebuilding an index file and for
// generating data sets. The list built is exactly the one that adding each page's words in turn
// to an empty list (AddPageWords) would give, but each entry is placed once by a counting sort on
// its word instead of being merged in page after page.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "store/word_index.h"

namespace jb {

// Words numbered 0, 1, ... in the order first given, each kept with `suffix` after it; found by
// their hashes (open addressing, at most half full).
class WordTable {
public:
    explicit WordTable(std::string suffix) : suffix_(std::move(suffix)) {}
    static std::uint64_t Hash(std::string_view word);
    // The number of the word of that Hash, given to it when new (and then `added` is set); may
    // take the word.
    std::uint32_t Number(std::string& word, std::uint64_t hash, bool& added);
    // The word with the suffix after it.
    const std::string& Key(std::uint32_t number) const { return keys_[number]; }
    std::size_t Size() const { return keys_.size(); }
    void Clear();

private:
    void Grow();
    std::string suffix_;
    std::vector<std::string> keys_;
    std::vector<std::uint64_t> slots_;  // a hash's top 32 bits and the number + 1 (0: empty)
};

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

    // Numbers the words of pages on another thread than the builder's: the thread keeps the
    // numbers it was given and asks the builder (under its lock) only for words new to it, so
    // that threads reading pages can number their words while the builder takes the pages.
    class PageNumberer {
    public:
        explicit PageNumberer(IndexBuilder& builder) : builder_(builder) {}
        // The builder's numbers of a page's words (IndexWordsOf), each once.
        std::vector<std::uint32_t> NumbersOf(std::vector<std::string> words);

    private:
        IndexBuilder& builder_;
        WordTable known_{""};
        std::vector<std::uint32_t> numbers_;   // per word known_: the builder's number
        std::vector<std::uint32_t> lastPage_;  // per word known_: the last page it was in
        std::uint32_t page_ = 0;
    };
    // Makes room for this many entries at once, so that they are not copied as they grow.
    void ReserveEntries(std::size_t entries);
    // Takes a page whose words a PageNumberer numbered.
    void AddNumbers(std::string_view id, const std::vector<std::uint32_t>& numbers);
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
    // Each distinct word, with "=" after it. PageNumberers use it under tableLock_.
    WordTable words_{"="};
    std::mutex tableLock_;
    std::vector<std::uint32_t> lastPage_;  // per word: the last page AddWords took it for
    // The pages taken, in order: their IDs, and the distinct word numbers of page p at
    // pageWords_[pageStarts_[p]] up to pageWords_[pageStarts_[p + 1]] (in no particular order).
    std::vector<std::string> ids_;
    std::vector<std::uint32_t> pageWords_;
    std::vector<std::size_t> pageStarts_{0};
};

}  // namespace jb
