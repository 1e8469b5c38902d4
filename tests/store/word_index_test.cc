#include "store/word_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "store/page_store.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace jb {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

TEST(WordText, KeepWordCharsAndEntryParts) {
    struct Case {
        const char* in;
        const char* kept;
    } cases[] = {{"e-mail", "email"}, {"don't", "don't"}, {"Caf\xC3\xA9", "Caf"}, {"x-1", "x1"},
                 {"`quoted`", "`quoted`"}, {"(2026).", "2026"}, {"A_b*c", "Abc"}, {"", ""}};
    for (const Case& c : cases) EXPECT_EQ(KeepWordChars(c.in), c.kept) << c.in;
    EXPECT_EQ(KeepWordChars(std::string(300, 'a')).size(), 255u);
    EXPECT_EQ(IndexWordOf("Invoice,"), "invoice");

    EXPECT_EQ(EntryWord("computer=00A3F19C"), "computer");
    EXPECT_EQ(EntryWord("no-equals"), "no-equals");
    EXPECT_EQ(EntryWord("a=b=c"), "a");
    EXPECT_EQ(EntryWordPrefix("computer=00A3F19C", 5), "comp");
    EXPECT_EQ(EntryWordPrefix("computer=00A3F19C", 0), "computer");
    EXPECT_EQ(EntryWordPrefix("computer=00A3F19C", 1), "");
    EXPECT_EQ(EntryWordPrefix("cat=00A3F19C", 9), "cat");
}

// The words of a page as they were first cut: the text split at white space, each piece's first
// 255 bytes kept where they are letters, digits, ' or `, folded to lower case, then kept when
// longer than 2 bytes and not a stop word.
std::vector<std::string> LiteralIndexWordsOf(const std::string& text, const StopWords& stops) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; };
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && space(text[i])) ++i;
        const std::size_t start = i;
        while (i < text.size() && !space(text[i])) ++i;
        if (i == start) break;
        std::string word;
        for (char c : text.substr(start, std::min<std::size_t>(i - start, 255))) {
            if (c == '\'' || c == '`' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')) word += c;
            if (c >= 'A' && c <= 'Z') word += static_cast<char>(c + 32);
        }
        if (word.size() > 2 && !stops.ContainsCached(word)) words.push_back(word);
    }
    return words;
}

TEST(WordText, IndexWordsOfCutsAsTheLiteralCutOnRandomTexts) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    TempDir dir;
    WriteFileBytes(dir.File("Exclude.lst"), "THE\r\nabc\r\n");
    StopWords none(FileSystem::Default()), some(FileSystem::Default());
    none.Refresh(dir.File("no-folder/"));
    some.Refresh(dir.Path());
    ASSERT_TRUE(some.ContainsCached("the"));
    // Bytes of every kind, weighted towards letters and white space; long runs cross 255 bytes.
    const std::string common = "abcABC xyz'`09\t\r\n\v\f-_.";
    std::size_t words = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const std::size_t size = round % 100 == 99 ? 2000 : random() % 60;
        for (std::size_t i = 0; i < size; ++i)
            text += random() % 8 == 0 ? static_cast<char>(random() % 256) : common[random() % common.size()];
        if (round % 50 == 0) text += " " + std::string(250 + random() % 10, 'q') + "ZZZ";
        for (const StopWords* stops : {&none, &some}) {
            const std::vector<std::string> expected = LiteralIndexWordsOf(text, *stops);
            ASSERT_EQ(IndexWordsOf(text, *stops), expected) << "round " << round;
            words += expected.size();
        }
    }
    EXPECT_GT(words, 2000u);
}

TEST(WordIndexOrder, CaseInsensitiveWithFileOrderForTies) {
    EXPECT_LT(CompareEntries("Apple=1", "banana=1"), 0);
    EXPECT_EQ(CompareEntries("CAT=00A3F19C", "cat=00a3f19c"), 0);
    EXPECT_LT(CompareEntries("ab=X", "abc=X"), 0);   // "=" sorts before letters
    EXPECT_LT(CompareEntries("ab'=X", "ab=X"), 0);   // apostrophe before "="
    EXPECT_LT(CompareEntries("ab1=X", "ab=X"), 0);   // digits before "="

    WordIndex index;
    index.AssignFileText("zeta=1\r\nCat=2\ncat=2\rapple=3\r\n\r\nApple=3\r\n");
    EXPECT_EQ(index.Lines(), (std::vector<std::string>{"", "apple=3", "Apple=3", "Cat=2", "cat=2", "zeta=1"}));
    EXPECT_FALSE(index.Add("CAT=2"));  // present up to letter case
    EXPECT_TRUE(index.Add("bat=2"));
    EXPECT_EQ(index.Lines()[3], "bat=2");
    EXPECT_EQ(index.FileText(), "\r\napple=3\r\nApple=3\r\nbat=2\r\nCat=2\r\ncat=2\r\nzeta=1\r\n");
}

// The order as defined: byte by byte, "A".."Z" folded to "a".."z", unsigned.
int LiteralCompare(std::string_view a, std::string_view b) {
    auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (fold(a[i]) != fold(b[i])) return fold(a[i]) < fold(b[i]) ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

TEST(WordIndexOrder, CompareEntriesMatchesTheByteByByteOrder) {
    std::mt19937 random(7);
    // Letters of both cases, the bytes between "Z" and "a", "=", digits and bytes above 127,
    // after shared beginnings of every length (the comparison skips 8 equal bytes at a time).
    const std::string alphabet = "aAbBzZ[`_=09\x80\xff";
    auto text = [&](std::size_t maxLength) {
        std::string t(random() % (maxLength + 1), ' ');
        for (char& c : t) c = alphabet[random() % alphabet.size()];
        return t;
    };
    for (int i = 0; i < 200000; ++i) {
        const std::string shared = text(20);
        std::string a = shared + text(12), b = shared + text(12);
        if (random() % 4 == 0)  // equal but for letter case
            for (char& c : b = a) if (random() % 2 && std::isalpha(static_cast<unsigned char>(c))) c ^= 0x20;
        ASSERT_EQ(CompareEntries(a, b), LiteralCompare(a, b)) << a << " | " << b;
    }
}

// A plain scan of the list, as the lookups are defined.
std::vector<std::string> ScanWord(const std::vector<std::string>& lines, const std::string& word) {
    std::vector<std::string> ids;
    for (const std::string& line : lines)
        if (EntryWord(line) == word) {
            auto eq = line.find('=');
            ids.push_back(eq == std::string::npos ? line : line.substr(eq + 1));
        }
    return ids;
}

std::vector<std::string> ScanPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> ids;
    for (const std::string& line : lines)
        if (EntryWordPrefix(line, static_cast<int>(prefix.size()) + 1) == prefix)
            ids.push_back(line.size() > 8 ? line.substr(line.size() - 8) : line);
    return ids;
}

// Lookups give their IDs run by run, so they are compared as sorted lists.
std::vector<std::string> Sorted(std::vector<std::string> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<std::string> Strings(const std::vector<std::string_view>& views) {
    return Sorted(std::vector<std::string>(views.begin(), views.end()));
}

TEST(WordIndexLookups, MatchPlainScanOnRandomLists) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::string mixedCase = "abcAB'=`1", lowerCase = "abc'=`1";
    auto textFrom = [&](const std::string& alphabet, std::size_t maxLength) {
        std::string s(random() % (maxLength + 1), ' ');
        for (char& c : s) c = alphabet[random() % alphabet.size()];
        return s;
    };
    auto randomText = [&](std::size_t maxLength) { return textFrom(mixedCase, maxLength); };
    for (int round = 0; round < 400; ++round) {
        // Every other list has upper case only after the first "=" of its lines (as in lists
        // made from page words), where lookups may take the folded range as it is.
        const bool lowerWords = round % 2 == 1;
        auto wordText = [&](std::size_t maxLength) { return lowerWords ? textFrom(lowerCase, maxLength) : randomText(maxLength); };
        std::string file;
        int lines = static_cast<int>(random() % 40);
        for (int i = 0; i < lines; ++i)
            file += wordText(6) + (random() % 2 ? "=" + randomText(3) : "") + (random() % 4 ? "\r\n" : "\n");
        WordIndex index;
        index.AssignFileText(file);
        int adds = static_cast<int>(random() % 30);
        std::vector<std::string> batch;
        for (int i = 0; i < adds; ++i) {
            std::string line = wordText(4) + "=" + randomText(3);
            if (random() % 2)
                index.Add(line);
            else
                batch.push_back(line);
        }
        index.AddAll(batch);
        std::vector<std::string> all = index.Lines();
        ASSERT_TRUE(std::is_sorted(all.begin(), all.end(),
                                   [](const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; }));
        for (std::size_t i = 1; i < all.size(); ++i)
            if (CompareEntries(all[i - 1], all[i]) == 0) {
                // Ties may only come from the file.
                ASSERT_NE(file.find(all[i]), std::string::npos);
            }
        for (int q = 0; q < 20; ++q) {
            std::string word = randomText(3);
            std::vector<std::string_view> ids;
            index.WordIds(word, ids);
            EXPECT_EQ(Strings(ids), Sorted(ScanWord(all, word))) << "word " << word;
            ids.clear();
            index.PrefixIds(word, ids);
            EXPECT_EQ(Strings(ids), Sorted(ScanPrefix(all, word))) << "prefix " << word;
        }
    }
}

TEST(WordIndexLookups, ManyAdditionsStayOrderedAndFindable) {
    WordIndex index;
    index.AssignFileText("m=00000000\r\n");
    std::mt19937 random(7);
    std::vector<std::string> expected{"m=00000000"};
    for (int i = 0; i < 20000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "w%05u=%08X", static_cast<unsigned>(random() % 30000), i % 3u);
        if (index.Add(line)) expected.push_back(line);
    }
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; });
    EXPECT_EQ(index.Lines(), expected);
    std::vector<std::string_view> ids;
    index.PrefixIds("w1", ids);
    EXPECT_EQ(Strings(ids), Sorted(ScanPrefix(expected, "w1")));
}

// A plain model of the list: a vector kept sorted by CompareEntries, loaded lines stably sorted,
// and a line added only when no line compares equal to it.
class PlainList {
public:
    explicit PlainList(const std::vector<std::string>& fileLines) : lines_(fileLines) {
        std::stable_sort(lines_.begin(), lines_.end(), Less);
    }
    bool Add(const std::string& line) {
        if (Contains(line)) return false;
        lines_.insert(std::upper_bound(lines_.begin(), lines_.end(), line, Less), line);
        return true;
    }
    std::size_t AddAll(std::vector<std::string> batch) {
        std::stable_sort(batch.begin(), batch.end(), Less);
        std::size_t added = 0;
        for (const std::string& line : batch) added += Add(line) ? 1 : 0;
        return added;
    }
    bool Contains(const std::string& line) const {
        return std::any_of(lines_.begin(), lines_.end(), [&](const std::string& l) { return CompareEntries(l, line) == 0; });
    }
    std::string FileText() const {
        std::string text;
        for (const std::string& line : lines_) text += line + "\r\n";
        return text;
    }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    static bool Less(const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; }
    std::vector<std::string> lines_;
};

TEST(WordIndexAdditions, InterleavedAdditionsAndLookupsMatchPlainList) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // Few letters in two cases, so that lines equal up to letter case and plain duplicates are
    // common both in the file and among additions.
    const std::string alphabet = "abAB'1=";
    auto randomText = [&](std::size_t minLength, std::size_t maxLength) {
        std::string s(minLength + random() % (maxLength - minLength + 1), ' ');
        for (char& c : s) c = alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 12; ++round) {
        std::vector<std::string> fileLines;
        std::string file;
        const int fileSize = round % 3 == 0 ? 0 : static_cast<int>(random() % 400);
        for (int i = 0; i < fileSize; ++i) {
            fileLines.push_back(randomText(0, 7));
            file += fileLines.back() + "\r\n";
        }
        WordIndex index;
        index.AssignFileText(file);
        PlainList plain(fileLines);
        for (int step = 0; step < 250; ++step) {
            SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step));
            if (random() % 4 == 0) {
                std::string line = randomText(1, 8);
                ASSERT_EQ(index.Add(line), plain.Add(line)) << line;
            } else {
                // Mostly page-sized batches, now and then a large one.
                std::size_t n = random() % 10 == 0 ? random() % 400 : random() % 40;
                std::vector<std::string> batch;
                for (std::size_t i = 0; i < n; ++i) batch.push_back(randomText(1, 8));
                ASSERT_EQ(index.AddAll(batch), plain.AddAll(batch));
            }
            ASSERT_EQ(index.Size(), plain.Lines().size());
            ASSERT_LE(index.RunCount(), 2 + static_cast<std::size_t>(std::log2(1.0 + index.Size())));
            if (step % 5 == 0) {
                ASSERT_EQ(index.FileText(), plain.FileText());
            }
            for (int q = 0; q < 3; ++q) {
                std::string word = randomText(0, 3);
                std::vector<std::string_view> ids;
                index.WordIds(word, ids);
                ASSERT_EQ(Strings(ids), Sorted(ScanWord(plain.Lines(), word))) << "word " << word;
                ids.clear();
                index.PrefixIds(word, ids);
                ASSERT_EQ(Strings(ids), Sorted(ScanPrefix(plain.Lines(), word))) << "prefix " << word;
                std::string line = randomText(0, 8);
                ASSERT_EQ(index.Contains(line), plain.Contains(line)) << line;
            }
        }
        ASSERT_EQ(index.Lines(), plain.Lines());
    }
}

TEST(WordIndexAdditions, ListBuiltPageByPageIsOrderedAndCompact) {
    std::mt19937 random(11);
    WordIndex index;
    std::vector<std::string> all;
    for (unsigned page = 0; page < 2000; ++page) {
        std::vector<std::string> lines;
        for (int w = 0; w < 40; ++w) {
            char line[40];
            std::snprintf(line, sizeof line, "w%05u=%08X", static_cast<unsigned>(random() % 20000), page);
            lines.push_back(line);
        }
        all.insert(all.end(), lines.begin(), lines.end());
        index.AddAll(std::move(lines));
    }
    std::sort(all.begin(), all.end(), [](const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; });
    all.erase(std::unique(all.begin(), all.end()), all.end());
    EXPECT_EQ(index.Lines(), all);
    const std::string file = index.FileText();
    EXPECT_LE(index.MemoryBytes(), 2 * file.size());
    EXPECT_LE(index.RunCount(), 2 + static_cast<std::size_t>(std::log2(1.0 + index.Size())));
}

class IndexFiles : public ::testing::Test {
protected:
    TempDir dir;
    std::string dataSet = dir.File("data.jb");
    IndexList list;
};

// A file of several blocks is written by the writer's own thread: a failure at any of its file
// calls reaches the caller as an IoError, the index file is the old one or the whole new one
// (a failed folder sync comes after the rename), and ".id1" goes; without a failure every line
// arrives in order.
TEST_F(IndexFiles, AWriterOfManyBlocksReportsAFailedWriteAndKeepsTheOldFile) {
    const std::string indexPath = CompanionPath(dataSet, ".idx");
    const std::string old = "old=00000001\r\n";
    std::string expected;
    for (int i = 0; i < 300000; ++i) expected += "word" + std::to_string(i) + "=00A3F19C\r\n";  // about 6 MB
    long failAt = 1;
    for (;; ++failAt) {
        SCOPED_TRACE("call " + std::to_string(failAt));
        ASSERT_LT(failAt, 100);
        WriteFileBytes(indexPath, old);
        test::FaultyFileSystem files(failAt);
        try {
            IndexFileWriter writer(files, dataSet);
            for (int i = 0; i < 300000; ++i) writer.AddLine("word" + std::to_string(i) + "=", "00A3F19C");
            writer.Commit();
        } catch (const IoError&) {
            ASSERT_TRUE(files.Failed());
            const std::string now = ReadFileBytes(indexPath);
            EXPECT_TRUE(now == old || now == expected);
            EXPECT_FALSE(test::FileExists(CompanionPath(dataSet, ".id1")));
            continue;
        }
        ASSERT_FALSE(files.Failed());
        break;
    }
    EXPECT_GT(failAt, 8);  // the open, several writes, the sync, the rename and the folder sync
    EXPECT_EQ(ReadFileBytes(indexPath), expected);
}

TEST_F(IndexFiles, AddPageWordsAddsEachIndexableWordOnce) {
    AddPageWords(list, dataSet, "00A3F19C", "The cat sat on the mat");
    EXPECT_TRUE(list.Loaded());
    EXPECT_EQ(list.Entries().Lines(),
              (std::vector<std::string>{"cat=00A3F19C", "mat=00A3F19C", "sat=00A3F19C", "the=00A3F19C"}));
    AddPageWords(list, dataSet, "00000001", "Caf\xC3\xA9 e-mail x-1\t2026\ndon't");
    EXPECT_EQ(list.Entries().Lines(),
              (std::vector<std::string>{"2026=00000001", "caf=00000001", "cat=00A3F19C", "don't=00000001",
                                        "email=00000001", "mat=00A3F19C", "sat=00A3F19C", "the=00A3F19C"}));
    EXPECT_FALSE(test::FileExists(dir.File("data.idx")));  // nothing written before SaveIndex
}

TEST_F(IndexFiles, StopWordsIgnoreCaseAndAreReadAgainWhenEdited) {
    WriteFileBytes(dir.File("Exclude.lst"), "THE\r\nSat\r\n");
    AddPageWords(list, dataSet, "00000001", "the cat sat");
    EXPECT_EQ(list.Entries().Lines(), (std::vector<std::string>{"cat=00000001"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    WriteFileBytes(dir.File("Exclude.lst"), "cat\r\n");
    AddPageWords(list, dataSet, "00000002", "the cat sat");
    EXPECT_EQ(list.Entries().Lines(),
              (std::vector<std::string>{"cat=00000001", "sat=00000002", "the=00000002"}));
}

TEST_F(IndexFiles, MissingStopWordListIsEmptyButUnreadableOneFails) {
    AddPageWords(list, dataSet, "00000001", "alpha");
    EXPECT_EQ(list.Entries().Size(), 1u);
    WriteFileBytes(dir.File("Exclude.lst"), "beta\r\n");
    test::FaultyFileSystem faulty(1);  // the first call, opening the list, fails
    IndexList other(faulty);
    other.SetLoaded(true);
    EXPECT_THROW(AddPageWords(other, dataSet, "00000001", "alpha"), IoError);
    EXPECT_EQ(other.Entries().Size(), 0u);
}

TEST_F(IndexFiles, SaveWritesListOrderWithCrLfAndLoadKeepsLinesAsTheyAre) {
    WriteFileBytes(dir.File("data.idx"), "dog=2\nCat=1\r\ncat=1\r\ndog=2\r\nbroken\r\n");
    LoadIndex(list, dataSet);
    EXPECT_TRUE(list.Loaded());
    EXPECT_EQ(list.Entries().Lines(), (std::vector<std::string>{"broken", "Cat=1", "cat=1", "dog=2", "dog=2"}));
    AddPageWords(list, dataSet, "1", "CAT bird");
    SaveIndex(list, dataSet);
    EXPECT_FALSE(list.Loaded());
    EXPECT_EQ(list.Entries().Size(), 0u);
    EXPECT_EQ(ReadFileBytes(dir.File("data.idx")), "bird=1\r\nbroken\r\nCat=1\r\ncat=1\r\ndog=2\r\ndog=2\r\n");
    EXPECT_FALSE(test::FileExists(dir.File("data.id1")));
    LoadIndex(list, dataSet);
    EXPECT_EQ(list.Entries().FileText(), ReadFileBytes(dir.File("data.idx")));
}

TEST_F(IndexFiles, AbsentFileIsEmptyIndexAndFailedSaveKeepsList) {
    LoadIndex(list, dataSet);
    EXPECT_TRUE(list.Loaded());
    EXPECT_TRUE(list.Entries().Empty());
    list.Entries().Add("cat=1");

    test::FaultyFileSystem faulty(1);  // creating the new file fails
    IndexList failing(faulty);
    failing.SetLoaded(true);
    failing.Entries().Add("cat=1");
    EXPECT_THROW(SaveIndex(failing, dataSet), IoError);
    EXPECT_TRUE(failing.Loaded());
    EXPECT_EQ(failing.Entries().Size(), 1u);

    test::FaultyFileSystem failingWrite(2);  // the write after the open fails
    IndexList failing2(failingWrite);
    failing2.SetLoaded(true);
    failing2.Entries().Add("cat=1");
    EXPECT_THROW(SaveIndex(failing2, dataSet), IoError);
    EXPECT_EQ(failing2.Entries().Size(), 1u);
    EXPECT_FALSE(test::FileExists(dir.File("data.idx")));
}

TEST_F(IndexFiles, AListUnchangedSinceItWasLoadedIsOnlyFreed) {
    WriteFileBytes(dir.File("data.idx"), "cat=1\n");
    LoadIndex(list, dataSet);
    EXPECT_TRUE(list.MatchesFile());
    // The file changes behind the list (a rebuild): the list, unchanged, does not write it back.
    WriteFileBytes(dir.File("data.idx"), "rebuilt=1\r\n");
    SaveIndex(list, dataSet);
    EXPECT_FALSE(list.Loaded());
    EXPECT_TRUE(list.Entries().Empty());
    EXPECT_EQ("rebuilt=1\r\n", ReadFileBytes(dir.File("data.idx")));

    // No index file: an unchanged (empty) list leaves none behind.
    std::filesystem::remove(dir.File("data.idx"));
    LoadIndex(list, dataSet);
    SaveIndex(list, dataSet);
    EXPECT_FALSE(test::FileExists(dir.File("data.idx")));

    // Any change, or a list not read from the file, is written.
    LoadIndex(list, dataSet);
    AddPageWords(list, dataSet, "2", "dog");
    EXPECT_FALSE(list.MatchesFile());
    SaveIndex(list, dataSet);
    EXPECT_EQ("dog=2\r\n", ReadFileBytes(dir.File("data.idx")));
    list.SetLoaded(true);
    list.Entries().Add("emu=3");
    SaveIndex(list, dataSet);
    EXPECT_EQ("emu=3\r\n", ReadFileBytes(dir.File("data.idx")));
}

// A page's entries go into the index file with the page itself; the window's list takes them
// too, and saving it later keeps what other programs appended meanwhile.
TEST_F(IndexFiles, EntriesAppendedWithAPageSurviveAndSavingKeepsOtherProgramsEntries) {
    const struct {
        const char* name;
        bool otherProgramAppends;
        const char* fileAfterSave;
    } cases[] = {
        {"alone", false, "ant=1\r\ncat=1\r\ndog=2\r\n"},
        {"with another program adding a page", true, "ant=1\r\ncat=1\r\ndog=2\r\nemu=3\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(dir.File(""));
        std::filesystem::create_directory(dir.File(""));
        WriteFileBytes(dir.File("data.idx"), "cat=1\r\nant=1\r\n");  // not sorted: not written by us
        LoadIndex(list, dataSet);
        PageStore store;
        std::vector<std::string> ours = PageEntries(list.Stops(), dataSet, "2", "dog dog");
        IndexAppend append;
        append.text = EntryLines(ours);
        int n = 0;
        ASSERT_EQ(kStatusOk, store.AppendPage(dataSet, "", false, "2", "dog dog", 0, 0, n, &append));
        EXPECT_EQ("cat=1\r\nant=1\r\ndog=2\r\n", ReadFileBytes(dir.File("data.idx")));  // before any save
        list.Entries().AddAll(ours);
        list.NoteAppend(append);
        if (c.otherProgramAppends) {
            IndexAppend theirs;
            theirs.text = "emu=3\r\n";
            ASSERT_EQ(kStatusOk, PageStore().AppendPage(dataSet, "", false, "3", "emu", 0, 0, n, &theirs));
        }
        SaveIndex(list, dataSet);
        EXPECT_EQ(c.fileAfterSave, ReadFileBytes(dir.File("data.idx")));
    }
}

TEST_F(IndexFiles, AnAppendEndsAnUnfinishedLineAndAFailedOneStillStoresThePage) {
    PageStore store;
    int n = 0;
    WriteFileBytes(dir.File("data.idx"), "cat=1\r\nwal");  // a program stopped while appending
    IndexAppend append;
    append.text = "dog=2\r\n";
    ASSERT_EQ(kStatusOk, store.AppendPage(dataSet, "", false, "2", "dog", 0, 0, n, &append));
    EXPECT_EQ("", append.error);
    EXPECT_EQ("cat=1\r\nwal\r\ndog=2\r\n", ReadFileBytes(dir.File("data.idx")));

    std::filesystem::remove(dir.File("data.idx"));
    std::filesystem::create_directory(dir.File("data.idx"));  // cannot be opened as a file
    IndexAppend refused;
    refused.text = "emu=3\r\n";
    ASSERT_EQ(kStatusOk, store.AppendPage(dataSet, "", false, "3", "emu", 0, 0, n, &refused));
    EXPECT_NE("", refused.error);
    EXPECT_EQ(2, store.PageCount(dataSet));
    EXPECT_EQ("3", store.PageIdAt(dataSet, 1));
}

// A file this program could have written (lines ended by CR LF, sorted but for a short tail) is
// mapped and searched in place; every other file is read and sorted whole. Either way each
// reader sees what the same text sorted whole gives.
std::string RandomEntry(std::mt19937& rng, bool upper, bool equals) {
    const char* letters = upper ? "abAB'" : "abc'";
    std::string word;
    const int length = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < length; ++i) word += letters[rng() % std::strlen(letters)];
    if (!equals) return word;
    return word + "=" + "0123456789ABCDEF"[rng() % 3] + "0123456789ABCDEF"[rng() % 16];
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

TEST_F(IndexFiles, MappedFileReadsAsTheTextSortedWhole) {
    enum Kind { kSorted, kTail, kTailEqualToPrefix, kTailWithRepeats, kLongTail, kCrOnly, kLfOnly, kEmptyLine,
                kNoEquals, kUpper, kNoFinalLineEnd, kKinds };
    std::mt19937 rng(20261211);
    int mappedWhole = 0, mappedWithTail = 0;
    for (int round = 0; round < 330; ++round) {
        const Kind kind = static_cast<Kind>(round % kKinds);
        SCOPED_TRACE("round " + std::to_string(round) + " kind " + std::to_string(kind));
        std::vector<std::string> lines;
        const int count = 1 + static_cast<int>(rng() % 300);
        for (int i = 0; i < count; ++i) lines.push_back(RandomEntry(rng, kind == kUpper, kind != kNoEquals || rng() % 3));
        std::stable_sort(lines.begin(), lines.end(),
                         [](const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; });
        std::string text = JoinCrLf(lines);
        // Lines after the sorted part, as another program appends them; none of them sorts
        // after the last line of the sorted part.
        std::vector<std::string> tail;
        auto tailLine = [&](bool fresh) {
            std::string line = fresh ? "a" + RandomEntry(rng, false, true) : lines[rng() % lines.size()];
            if (!fresh && (rng() % 2)) line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
            return line;
        };
        if (kind == kTail || kind == kTailEqualToPrefix || kind == kTailWithRepeats || kind == kLongTail) {
            const std::size_t n = kind == kLongTail ? lines.size() / 4 + 2 : 1 + rng() % 4;
            for (std::size_t i = 0; i < n; ++i) tail.push_back(tailLine(true));
            if (kind == kTailEqualToPrefix) tail.insert(tail.begin() + static_cast<long>(rng() % tail.size()), tailLine(false));
            if (kind == kTailWithRepeats) tail.push_back(tail[rng() % tail.size()]);
            lines.push_back("zzzz=FF");  // so that the tail is not sorted after the rest
            text += "zzzz=FF\r\n" + JoinCrLf(tail);
        }
        const std::size_t cut = rng() % text.size();
        const std::size_t lineStart = text.rfind('\n', cut) == std::string::npos ? 0 : text.rfind('\n', cut) + 1;
        if (kind == kCrOnly) text.erase(text.find("\r\n", lineStart) + 1, 1);
        if (kind == kLfOnly) text.erase(text.find("\r\n", lineStart), 1);
        if (kind == kEmptyLine) text.insert(lineStart, "\r\n");
        if (kind == kNoFinalLineEnd) text.resize(text.size() - 2 + rng() % 2);

        WriteFileBytes(dir.File("data.idx"), text);
        LoadIndex(list, dataSet);
        WordIndex whole;
        whole.AssignFileText(text);
        const WordIndex& mapped = list.Entries();
        if (round % 2) {  // a lookup as the first use of the list (of a word some line has in capitals)
            std::string word(EntryWord(lines[rng() % lines.size()]));
            for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            std::vector<std::string_view> a, b;
            if (round % 4 == 1)
                mapped.WordIds(word, a), whole.WordIds(word, b);
            else
                mapped.PrefixIds(word, a), whole.PrefixIds(word, b);
            ASSERT_EQ(Sorted(Strings(a)), Sorted(Strings(b))) << word;
        }
        ASSERT_EQ(mapped.Size(), whole.Size());
        ASSERT_EQ(mapped.Lines(), whole.Lines());
        ASSERT_EQ(mapped.FileText(), whole.FileText());
        EXPECT_EQ(list.LoadedFileSize(), static_cast<std::int64_t>(text.size()));
        // The fast path is taken where it should be: a mapped file is not held in memory, and
        // its tail is a run of its own.
        if (kind == kSorted || kind == kUpper) {
            EXPECT_LT(mapped.MemoryBytes(), whole.MemoryBytes());
            mappedWhole += mapped.MemoryBytes() < whole.MemoryBytes();
        }
        if (kind == kTail && mapped.RunCount() == 2) ++mappedWithTail;
        if (kind == kTailEqualToPrefix || kind == kTailWithRepeats || kind == kLongTail || kind == kCrOnly ||
            kind == kLfOnly || kind == kEmptyLine || kind == kNoFinalLineEnd) {
            EXPECT_EQ(mapped.RunCount(), whole.RunCount());  // read whole
        }

        for (int q = 0; q < 30; ++q) {
            std::string word(EntryWord(RandomEntry(rng, rng() % 4 == 0, false)).substr(0, 1 + rng() % 4));
            std::vector<std::string_view> a, b;
            mapped.WordIds(word, a);
            whole.WordIds(word, b);
            ASSERT_EQ(Sorted(Strings(a)), Sorted(Strings(b))) << word;
            a.clear();
            b.clear();
            mapped.PrefixIds(word, a);
            whole.PrefixIds(word, b);
            ASSERT_EQ(Sorted(Strings(a)), Sorted(Strings(b))) << word;
            const std::string line = q % 2 ? lines[rng() % lines.size()] : RandomEntry(rng, rng() % 2, true);
            ASSERT_EQ(mapped.Contains(line), whole.Contains(line)) << line;
        }
        std::vector<std::string> b;
        std::vector<std::string> more;
        for (int i = 0; i < 12; ++i) more.push_back(i % 3 ? RandomEntry(rng, rng() % 2, true) : lines[rng() % lines.size()]);
        EXPECT_EQ(list.Entries().Add(more[0]), whole.Add(more[0]));
        EXPECT_EQ(list.Entries().Add(more[1]), whole.Add(more[1]));
        EXPECT_EQ(list.Entries().AddAll(more), whole.AddAll(more));
        ASSERT_EQ(list.Entries().Lines(), whole.Lines());
        SaveIndex(list, dataSet);
        EXPECT_EQ(ReadFileBytes(dir.File("data.idx")), whole.FileText());
    }
    EXPECT_EQ(mappedWhole, 60);
    EXPECT_GE(mappedWithTail, 25);  // a fresh tail line may happen to equal one of the file
}

// Reads the file at this path shortened to 3 bytes, when set.
std::string shortenedFile;
void ShortenFile() {
    if (!shortenedFile.empty()) std::filesystem::resize_file(shortenedFile, 3);
}

TEST_F(IndexFiles, AMappedFileCutWhileItIsCheckedFailsEveryUseUntilLoadedAgain) {
    const std::string text = "ant=1\r\nbee=2\r\ncat=3\r\n";
    WriteFileBytes(dir.File("data.idx"), text);
    shortenedFile = dir.File("data.idx");
    WordIndex::SetCheckStartHookForTests(&ShortenFile);
    LoadIndex(list, dataSet);
    EXPECT_TRUE(list.Loaded());
    const WordIndex& entries = list.Entries();
    std::vector<std::string_view> ids;
    EXPECT_THROW(entries.Size(), IoError);  // waits for the check
    WordIndex::SetCheckStartHookForTests(nullptr);
    shortenedFile.clear();
    EXPECT_THROW(entries.Lines(), IoError);
    EXPECT_THROW(entries.Contains("ant=1"), IoError);
    EXPECT_THROW(entries.WordIds("ant", ids), IoError);
    EXPECT_THROW(entries.PrefixIds("a", ids), IoError);
    EXPECT_THROW(list.Entries().Add("dog=4"), IoError);
    EXPECT_TRUE(ids.empty());
    // Nothing is written from a list that cannot be read.
    EXPECT_THROW(SaveIndex(list, dataSet), IoError);
    EXPECT_EQ(ReadFileBytes(dir.File("data.idx")), "ant");
    EXPECT_FALSE(test::FileExists(dir.File("data.id1")));

    // An unchanged list is only freed, whatever became of its check.
    WriteFileBytes(dir.File("data.idx"), text);
    shortenedFile = dir.File("data.idx");
    WordIndex::SetCheckStartHookForTests(&ShortenFile);
    LoadIndex(list, dataSet);
    SaveIndex(list, dataSet);
    WordIndex::SetCheckStartHookForTests(nullptr);
    shortenedFile.clear();
    EXPECT_FALSE(list.Loaded());
    EXPECT_EQ(list.Entries().Size(), 0u);

    // A fresh load reads the file as it is now.
    WriteFileBytes(dir.File("data.idx"), text);
    LoadIndex(list, dataSet);
    EXPECT_EQ(list.Entries().Lines(), (std::vector<std::string>{"ant=1", "bee=2", "cat=3"}));
}

TEST_F(IndexFiles, AListClearedOrDroppedWhileItsFileIsCheckedStopsTheCheck) {
    std::string file;
    for (int i = 0; i < 400000; ++i) {
        char line[40];
        std::snprintf(line, sizeof line, "word%07d=%08X\r\n", i, i);
        file += line;
    }
    WriteFileBytes(dir.File("data.idx"), file);
    for (int i = 0; i < 3; ++i) {
        LoadIndex(list, dataSet);
        SaveIndex(list, dataSet);  // unchanged: only freed
        EXPECT_EQ(list.Entries().Size(), 0u);
        IndexList other;
        LoadIndex(other, dataSet);
    }
    LoadIndex(list, dataSet);
    EXPECT_EQ(list.Entries().Size(), 400000u);
    EXPECT_TRUE(list.Entries().Contains("WORD0123456=0001E240"));
    EXPECT_EQ(ReadFileBytes(dir.File("data.idx")), file);
}

TEST_F(IndexFiles, ListStaysCompact) {
    std::string file;
    for (int i = 0; i < 50000; ++i) {
        char line[40];
        std::snprintf(line, sizeof line, "word%06d=%08X\r\n", i % 7919, i);
        file += line;
    }
    WriteFileBytes(dir.File("data.idx"), file);
    LoadIndex(list, dataSet);
    EXPECT_EQ(list.Entries().Size(), 50000u);
    EXPECT_LE(list.Entries().MemoryBytes(), 2 * file.size());
}

}  // namespace
}  // namespace jb
