#pragma once
// Writes a data set of N pages with realistic bodies for benchmarks: a few hundred words of rich
// text per page from a Zipf-distributed vocabulary, some pages with reminders, some protected,
// some read-only, some updated several times (their older bodies stay in the data file), and a
// last page of about 1 MB.

#include <cstdint>
#include <string>
#include <vector>

namespace jb::bench {

struct GeneratorOptions {
    int pages = 10000;
    std::uint32_t seed = 1;
    bool bigLastPage = true;
};

// Bumped whenever the generator's output changes, so that cached data sets are made again.
inline constexpr int kGeneratorVersion = 2;

// Writes `folder`/data.jb with its header file and index file. The folder must exist.
void GenerateDataSet(const std::string& folder, const GeneratorOptions& options);

// A cached data set of `pages` pages under the build folder's bench-data (or $JB_BENCH_DATA),
// generated on first use; returns the data set's path.
std::string CachedDataSet(int pages);

// The password of a generated protected page (pages whose number is 7 mod 50).
std::string GeneratedPassword(int page);

}  // namespace jb::bench

namespace jb::bench {

// The data set sizes the benchmarks run at: $JB_BENCH_PAGES (comma-separated), else 100000.
std::vector<int> BenchSizes();

// A copy of a data set's files (data, header, index) in a fresh folder, removed on destruction,
// for benchmarks that change the data set.
class ScratchCopy {
public:
    explicit ScratchCopy(const std::string& dataSet);
    ~ScratchCopy();
    // Copies the original files over the scratch ones again.
    void Refresh();
    const std::string& DataSet() const { return copy_; }

private:
    std::string original_;
    std::string folder_;
    std::string copy_;
};

}  // namespace jb::bench

namespace jb::bench {

// The words the query benchmarks look for, taken from a data set's index file so that every
// program measured searches for the same things: one word for the single-word query, three for
// the Boolean queries (the first two also make the phrase).
struct QueryWords {
    std::string word;
    std::string words[3];
};
QueryWords PickQueryWords(const std::string& dataSet);

// The plain text of every page of a generated data set (protected pages deciphered with their
// generated passwords), in page order; deleted pages give empty texts.
std::vector<std::string> PagePlainTexts(const std::string& dataSet);

}  // namespace jb::bench
