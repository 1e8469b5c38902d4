#include "search/phrase_scan.h"

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <cctype>
#include <random>

#include "store/io_error.h"

#include "support/temp_dir.h"

namespace jb::search {
namespace {

// A data file made of bodies placed one after another (or at chosen offsets), and header
// records pointing at them.
class PhraseScanFixture : public ::testing::Test {
protected:
    // Appends a body at the end of the file; returns its page number.
    int Append(const std::string& body) {
        HeaderRecord r;
        r.start = static_cast<std::int32_t>(bytes.size());
        bytes += body;
        r.end = static_cast<std::int32_t>(bytes.size());
        headers.push_back(r);
        return static_cast<int>(headers.size()) - 1;
    }
    // A page whose record points at bytes already in the file (an older body, or a deleted
    // page when start == end).
    int Point(std::int32_t start, std::int32_t end) {
        HeaderRecord r;
        r.start = start;
        r.end = end;
        headers.push_back(r);
        return static_cast<int>(headers.size()) - 1;
    }
    std::vector<int> Scan(const std::string& phrase, std::size_t blockSize = kPhraseBlockSize) {
        if (bytes != written) {
            test::WriteFileBytes(dataSet, bytes);
            written = bytes;
        }
        auto file = FileSystem::Default().Open(dataSet, OpenMode::kRead);
        return ScanPhrase(*file, headers, phrase, dataSet, blockSize);
    }

    test::TempDir dir;
    std::string dataSet = dir.File("data.jb");
    std::string bytes;
    std::string written = std::string(1, '\xFF');  // what the data file holds
    std::vector<HeaderRecord> headers;
};

// The definition, body by body: the stored bytes up to the first zero byte hold the phrase,
// ASCII letters compared without regard to case.
std::vector<int> PlainScan(const std::string& bytes, const std::vector<HeaderRecord>& headers,
                           const std::string& phrase) {
    auto fold = [](std::string s) {
        for (char& c : s)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        return s;
    };
    std::vector<int> found;
    for (std::size_t n = 0; n < headers.size(); ++n) {
        if (headers[n].IsDeleted() && !phrase.empty()) continue;
        std::string body = bytes.substr(static_cast<std::size_t>(headers[n].start),
                                        static_cast<std::size_t>(headers[n].end - headers[n].start));
        body = body.substr(0, body.find('\0'));
        if (fold(body).find(fold(phrase)) != std::string::npos) found.push_back(static_cast<int>(n));
    }
    return found;
}

TEST_F(PhraseScanFixture, EveryWindowSizeFindsTheSamePages) {
    // page  body
    //    0  "the quick bro"           ends where page 1 starts: "quick brown" spans both
    //    1  "wn dog sat"
    //    2  "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx Needle In A HayStack yy" (long)
    //    3  deleted
    //    4  "visible\0hidden needle"   the scan stops at the zero byte
    //    5  an older body: bytes 40 to 67 of page 2 again, "xxxxxx Needle In A HayStack"
    //    6  "NEEDLE in a"             ends at the end of the file
    Append("the quick bro");
    Append("wn dog sat");
    const int big = Append(std::string(46, 'x') + " Needle In A HayStack yy");
    Point(5, 5);
    Append(std::string("visible\0hidden needle", 21));
    Point(headers[big].start + 40, headers[big].end - 3);
    Append("NEEDLE in a");

    struct Case {
        std::string phrase;
        std::vector<int> pages;
    } cases[] = {
        {"quick brown", {}},                 // only across two bodies
        {"quick bro", {0}},                  // a whole body
        {"needle in a haystack", {2, 5}},    // late in a body longer than small windows
        {"NEEDLE IN A", {2, 5, 6}},
        {"hidden", {}},                      // after the zero byte
        {"visible", {4}},
        {"sat", {1}},                        // at the end of a body
        {"in a haystack yy", {2}},           // up to the last byte of a body
        {"yy", {2}},                         // page 5 ends before it
        {"x needle", {2, 5}},
        {"", {0, 1, 2, 3, 4, 5, 6}},         // the empty phrase: every page
    };
    std::vector<std::size_t> sizes{kPhraseBlockSize};
    for (std::size_t s = 1; s <= bytes.size() + 1; ++s) sizes.push_back(s);
    for (const Case& c : cases) {
        EXPECT_EQ(PlainScan(bytes, headers, c.phrase), c.pages) << c.phrase;  // the model agrees
        for (std::size_t blockSize : sizes)
            EXPECT_EQ(Scan(c.phrase, blockSize), c.pages) << "'" << c.phrase << "' in windows of " << blockSize;
    }
}

TEST_F(PhraseScanFixture, PhraseAcrossTheDefaultWindowEnd) {
    // The first window starts at page 0 and ends kPhraseBlockSize bytes into the file. Page 1
    // runs past that end and holds the phrase across it in mixed case; page 2, longer than a
    // window, holds it at its very end; page 3 holds it only across the boundary with page 2.
    const std::string phrase = "Straddling Phrase";
    Append("a small first body");
    const std::size_t boundary = kPhraseBlockSize;
    std::string second(boundary - bytes.size() - 6, 'p');
    second += "sTRADDLING pHRASE and more";
    Append(second);
    ASSERT_LT(static_cast<std::size_t>(headers[1].start) + second.find("sTRADDLING"), boundary);
    ASSERT_GT(static_cast<std::size_t>(headers[1].start) + second.find("pHRASE"), boundary);
    Append(std::string(kPhraseBlockSize + 1000, 'q') + "straddling");
    Append(" PHRASE");
    Append("straddling phrase");

    EXPECT_EQ(Scan(phrase), (std::vector<int>{1, 4}));
    EXPECT_EQ(Scan("straddling"), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(Scan("qqqqstraddling"), (std::vector<int>{2}));
    EXPECT_EQ(Scan(phrase), PlainScan(bytes, headers, phrase));
}

TEST_F(PhraseScanFixture, RandomBodiesAndWindowsMatchPlainScan) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::string alphabet = std::string("abAB \0", 6);
    auto text = [&](std::size_t maxLength) {
        std::string s(random() % (maxLength + 1), ' ');
        for (char& c : s) c = alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 30; ++round) {
        bytes.clear();
        headers.clear();
        const int pages = 1 + static_cast<int>(random() % 12);
        for (int n = 0; n < pages; ++n) {
            if (!bytes.empty() && random() % 4 == 0) {
                // A record pointing at earlier bytes (an older body), or a deleted page.
                std::int32_t a = static_cast<std::int32_t>(random() % bytes.size());
                std::int32_t b = static_cast<std::int32_t>(random() % bytes.size());
                Point(std::min(a, b), std::max(a, b));
            } else {
                Append(text(40));
            }
        }
        for (int q = 0; q < 10; ++q) {
            std::string phrase = text(4);
            phrase.erase(std::remove(phrase.begin(), phrase.end(), '\0'), phrase.end());
            std::size_t blockSize = 1 + random() % 64;
            EXPECT_EQ(Scan(phrase, blockSize), PlainScan(bytes, headers, phrase))
                << "'" << phrase << "' in windows of " << blockSize;
        }
    }
}

// Texts of bytes that a careless case folding confuses: letters at both ends of the alphabet,
// the bytes next to them ("@", "[", "`", "{"), their high-bit twins, zero and 0xFF.
const std::string kTrickyBytes = std::string("aAzZmM@[`{\xC1\xE1\xDA\xFA\x80\xFF \0", 18);

std::string FoldedForTest(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

TEST(PhraseFinder, MatchesAPlainCaseBlindFindAtEveryOffsetAndLength) {
    // Texts up to 200 bytes put the phrase before, across and after the 16-, 32- and 64-byte
    // steps of the vector searches; phrases up to 20 bytes cross the 8-byte steps of the
    // comparison. Zero bytes end the text for InUpToZero.
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto text = [&](std::size_t length, std::size_t kinds) {
        std::string s(length, ' ');
        for (char& c : s) c = kTrickyBytes[random() % kinds];
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::size_t kinds = 2 + random() % (kTrickyBytes.size() - 1);  // few kinds: many matches
        std::string haystack = text(random() % 201, kinds);
        std::string phrase = text(1 + random() % 20, kinds);
        if (random() % 2 && phrase.size() <= haystack.size()) {
            // Plant the phrase, each letter in a random case, at a random place.
            std::string planted = phrase;
            for (char& c : planted)
                if (std::isalpha(static_cast<unsigned char>(c)) && random() % 2) c = static_cast<char>(c ^ 0x20);
            haystack.replace(random() % (haystack.size() - phrase.size() + 1), phrase.size(), planted);
        }
        const std::size_t expected = FoldedForTest(haystack).find(FoldedForTest(phrase));
        const std::string upToZero = haystack.substr(0, haystack.find('\0'));
        const bool expectedUpToZero = FoldedForTest(upToZero).find(FoldedForTest(phrase)) != std::string::npos;
        PhraseFinder widest(phrase), sse2(phrase);
        sse2.ForceSse2();
        for (const PhraseFinder* finder : {&widest, &sse2}) {
            ASSERT_EQ(finder->Find(haystack.data(), haystack.size()), expected)
                << "round " << round << " phrase [" << phrase << "] text [" << haystack << "]";
            ASSERT_EQ(finder->In(haystack.data(), haystack.size()), expected != std::string::npos);
            ASSERT_EQ(finder->InUpToZero(haystack.data(), haystack.size()), expectedUpToZero)
                << "round " << round << " phrase [" << phrase << "] text [" << haystack << "]";
        }
    }
    EXPECT_TRUE(PhraseFinder("").In("", 0));
    EXPECT_FALSE(PhraseFinder("@").In("`", 1));
    EXPECT_FALSE(PhraseFinder("[").In("{", 1));
    EXPECT_FALSE(PhraseFinder("\xC1").In("\xE1", 1));
    EXPECT_TRUE(PhraseFinder("zA").In("..............Za", 16));
}

// A data file that fails its n-th read, as a disk that goes away in the middle of a scan.
class FailingReads : public File {
public:
    FailingReads(std::string bytes, int failAt) : bytes_(std::move(bytes)), failAt_(failAt) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        if (++reads_ == failAt_) throw IoError(path_, "read failed");
        const std::size_t n = std::min(size, bytes_.size() - static_cast<std::size_t>(at_));
        memcpy(buffer, bytes_.data() + at_, n);
        at_ += static_cast<std::int64_t>(n);
        return n;
    }
    void Write(const void*, std::size_t) override { throw IoError(path_, "read only"); }
    void Seek(std::int64_t offset) override { at_ = offset; }
    void SeekToEnd() override { at_ = static_cast<std::int64_t>(bytes_.size()); }
    std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
    void Sync() override {}
    const std::string& Path() const override { return path_; }

private:
    std::string bytes_;
    int failAt_;
    int reads_ = 0;
    std::int64_t at_ = 0;
    std::string path_ = "data.jb";
};

TEST_F(PhraseScanFixture, ThreadsFindWhatOneThreadFinds) {
    // Many small windows shared out among 1 to 4 threads, with bodies of tricky bytes in random
    // order, older bodies and deleted pages among them.
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (int round = 0; round < 40; ++round) {
        bytes.clear();
        headers.clear();
        const int pages = 1 + static_cast<int>(random() % 200);
        for (int n = 0; n < pages; ++n) {
            if (!bytes.empty() && random() % 5 == 0) {
                std::int32_t a = static_cast<std::int32_t>(random() % bytes.size());
                std::int32_t b = static_cast<std::int32_t>(random() % bytes.size());
                Point(std::min(a, b), std::max(a, b));
            } else {
                std::string body(random() % 120, ' ');
                for (char& c : body) c = kTrickyBytes[random() % 6];
                Append(body);
            }
        }
        for (int q = 0; q < 5; ++q) {
            std::string phrase(1 + random() % 4, ' ');
            for (char& c : phrase) c = kTrickyBytes[random() % 6];
            const std::vector<int> expected = PlainScan(bytes, headers, phrase);
            const std::size_t blockSize = 1 + random() % 300;
            Scan(phrase, blockSize);  // writes the file
            auto file = FileSystem::Default().Open(dataSet, OpenMode::kRead);
            // The threads take turns with one file, or read files of their own at once.
            const auto openAnother = [&] { return FileSystem::Default().Open(dataSet, OpenMode::kRead); };
            for (int threads = 1; threads <= 4; ++threads) {
                EXPECT_EQ(ScanPhrase(*file, headers, phrase, dataSet, blockSize, threads), expected)
                    << "'" << phrase << "' in windows of " << blockSize << ", " << threads << " threads";
                EXPECT_EQ(ScanPhrase(*file, headers, phrase, dataSet, blockSize, threads, openAnother), expected)
                    << "'" << phrase << "' in windows of " << blockSize << ", " << threads << " threads, own files";
            }
        }
    }
}

TEST_F(PhraseScanFixture, AReadFailingInAnyThreadIsThrown) {
    for (int n = 0; n < 50; ++n) Append("body number " + std::to_string(n) + " with a needle");
    for (int threads = 1; threads <= 3; ++threads)
        for (int failAt : {1, 2, 7, 25, 50}) {
            FailingReads file(bytes, failAt);
            EXPECT_THROW(ScanPhrase(file, headers, "needle", dataSet, 1, threads), IoError)
                << threads << " threads, read " << failAt;
        }
    FailingReads whole(bytes, 1000);
    EXPECT_EQ(ScanPhrase(whole, headers, "NUMBER 4 ", dataSet, 1, 3), (std::vector<int>{4}));
}

}  // namespace
}  // namespace jb::search
