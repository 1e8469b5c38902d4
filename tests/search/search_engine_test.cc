#include "search/search_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "search/literal_search.h"
#include "store/dataset_paths.h"
#include "support/temp_dir.h"

namespace jb::search {
namespace {

const double kToday = 46000;  // 09/12/2025

class SearchFixture : public ::testing::Test {
protected:
    void SetUp() override {
        // page  id        text                         modified
        //    0  0000000A  cat dog                      today
        //    1  0000000B  computer company             yesterday
        //    2  0000000C  dog big bird, bird in bold     yesterday
        //    3  0000000D  the big cat                  3 days ago
        Write(0, "0000000A", "cat dog", "{\\rtf1 cat dog}", kToday, kToday - 2);
        Write(1, "0000000B", "computer company", "{\\rtf1 computer company}", kToday - 1, kToday - 1);
        Write(2, "0000000C", "dog big bird", "{\\rtf1 dog big \\b bird\\b0}", kToday - 1, kToday + 1.5);
        Write(3, "0000000D", "the big cat", "{\\rtf1 the Big Cat}", kToday - 3, 0);
    }

    void Write(int n, const std::string& id, const std::string& plain, const std::string& rich, double modified,
               double reminder) {
        clock.Set(modified);
        ASSERT_EQ(store.WritePage(dataSet, n, "", false, false, id, rich, reminder, kToday - n), 0u);
        AddPageWords(index, dataSet, id, plain);
    }

    SearchOutcome Search(const std::string& query, SearchSettings settings = {}) {
        settings.today = kToday;
        SearchOutcome fast = RunSearch(query, settings, dataSet, index.Entries(), store);
        EXPECT_EQ(fast, literal::LiteralSearch(query, settings, dataSet, index.Entries(), store)) << query;
        return fast;
    }

    test::TempDir dir;
    std::string dataSet = dir.File("data.jb");
    FixedClock clock{kToday};
    PageStore store{FileSystem::Default(), clock};
    IndexList index;
};

using Ids = std::vector<std::string>;
const std::string A = "0000000A", B = "0000000B", C = "0000000C", D = "0000000D";

TEST_F(SearchFixture, CombinesTermsFromLeftToRight) {
    struct Case {
        std::string query;
        Ids ids;  // empty: nothing found
    } cases[] = {
        {"cat dog", {A, A, C, D}},   // a page found by two OR-ed terms stands twice
        {"-cat", {A, D}},            // the first term always contributes
        {"dog -cat", {C}},
        {"dog and not cat", {C}},
        {"xyzzy +cat", {A, D}},
        {"cat +xyzzy", {}},
        {"cat and dog", {A}},
        {"cat !dog", {A, D}},
        {"cat &dog", {A, D}},
        {"comp*", {B}},
        {"COMP*", {B}},
        {"c*mp", {}},
        {"*", {A, B, C, D}},
        {"\"big cat\"", {D}},
        {"\"big bird\"", {}},          // page 2 has markup between the words
        {"dog +'BIG CAT'", {}},
        {"\"\"", {}},                  // an empty phrase finds nothing, as an empty word
        {"cat \"\"", {A, D}},
        {"cat +\"\"", {}},
        {std::string(300, '"'), {}},
        {"sort=page", {}},
        {"cat sort=modified", {A, D}},
        {"cat dog sort=modified", {A, A, C, D}},
        {"modified=yesterday sort=modified", {C, B}},  // same day: descending ID
        {"dog sort=reminder", {C, A}},
        {"xyzzy modified>=08/12/2025", {A, B, C}},
    };
    for (const auto& c : cases) {
        SearchOutcome o = Search(c.query);
        EXPECT_EQ(o.ids, c.ids) << c.query;
        EXPECT_EQ(o.found, !c.ids.empty()) << c.query;
        if (c.ids.empty()) {
            EXPECT_EQ(o.messages, std::vector<SearchMessage>{NoPagesMessage()}) << c.query;
        }
    }
}

TEST_F(SearchFixture, OutcomeCarriesStoredTextFlagsAndMessages) {
    SearchOutcome o = Search("Cat  AND dog");
    EXPECT_EQ(o.storedText, "cat  +dog ");
    EXPECT_EQ(o.workingText, "cat  +dog");
    EXPECT_FALSE(o.noHighlight);
    EXPECT_EQ(o.StatusText(), " 1 pages in query");

    o = Search("cat date>=1/2/2003");
    EXPECT_EQ(o.ids, (Ids{A, D}));
    EXPECT_EQ(o.messages, std::vector<SearchMessage>{DateFormatMessage()});
    EXPECT_FALSE(o.noHighlight);

    o = Search("cat date>=32/13/2025 xyzzy");
    EXPECT_TRUE(o.stopped);
    EXPECT_FALSE(o.found);
    EXPECT_EQ(o.messages, std::vector<SearchMessage>{InvalidDateMessage("32/13/2025")});

    SearchSettings quiet;
    quiet.searchMessages = false;
    o = Search("xyzzy", quiet);
    EXPECT_FALSE(o.found);
    EXPECT_TRUE(o.messages.empty());
}

TEST_F(SearchFixture, DialogFiltersRefinementAndDateOrder) {
    SearchSettings s;
    s.dateKind = 2;
    s.after = kToday - 1 + 0.75;  // the time of day does not count
    SearchOutcome o = Search("", s);
    EXPECT_EQ(o.ids, (Ids{A, B, C}));
    EXPECT_TRUE(o.noHighlight);
    EXPECT_EQ(o.storedText, " ");

    s = {};
    s.dateKind = 0;
    s.before = kToday + 1;
    EXPECT_EQ(Search("dog", s).ids, (Ids{A, C}));  // reminders on or before tomorrow

    s = {};
    s.refine = "cat ";
    o = Search("dog", s);
    EXPECT_EQ(o.storedText, "cat +dog ");
    EXPECT_EQ(o.ids, (Ids{A}));

    s = {};
    s.dateOrder = DateOrder::kMonthFirst;
    EXPECT_EQ(Search("modified=12/08/2025").ids, Ids{});
    EXPECT_EQ(Search("modified=12/08/2025", s).ids, (Ids{B, C}));
    EXPECT_EQ(ShortDateText(kToday, DateOrder::kDayFirst), "09/12/2025");
    EXPECT_EQ(ShortDateText(kToday, DateOrder::kMonthFirst), "12/09/2025");
}

TEST_F(SearchFixture, StaleIndexEntriesAreDropped) {
    index.Entries().Add("zebra=FFFFFFFF");
    EXPECT_FALSE(Search("zebra").found);          // a single hit is checked at once
    index.Entries().Add("cat=FFFFFFFF");
    EXPECT_EQ(Search("cat").ids, (Ids{A, D}));    // sorting drops it
    index.Entries().Add("zebra=0000000A");
    EXPECT_FALSE(Search("zebra -dog").found);     // one unknown ID left: nothing found
}

TEST_F(SearchFixture, PhraseScanReportsMissingFiles) {
    std::remove(dataSet.c_str());
    SearchOutcome o = Search("\"big cat\" dog");
    EXPECT_EQ(o.messages, std::vector<SearchMessage>{DataFileMissingMessage()});
    EXPECT_EQ(o.ids, (Ids{A, C}));
    std::remove(CompanionPath(dataSet, ".hd").c_str());
    o = Search("'big cat'");
    EXPECT_EQ(o.messages, (std::vector<SearchMessage>{HeaderMissingMessage(), NoPagesMessage()}));
}

TEST(DayOf, CountsWholeDaysAndClampsWildValues) {
    EXPECT_EQ(DayOf(46000.99), 46000);
    EXPECT_EQ(DayOf(-0.5), 0);
    EXPECT_EQ(DayOf(1e300), 0);
    EXPECT_EQ(DayOf(std::nan("")), 0);
}

}  // namespace
}  // namespace jb::search

namespace jb::search {
namespace {

// The sort of the IDs a word finds, against sorting the strings themselves: below and above
// the size where radix passes take over, with IDs of hexadecimal digits, IDs sharing their first
// 8 bytes, shorter and longer ones, zero and high bytes, many repeats, and IDs already in order.
TEST(SortedUniqueIds, SortsAsStringsAndDropsRepeats) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::string bytes = std::string("0123456789ABCDEFa\0\x80\xFF", 21);
    for (int round = 0; round < 300; ++round) {
        const std::size_t n = round % 50 == 49 ? 20000 : random() % 2000;
        // 0: 8 hexadecimal digits; 1: 8 bytes of two kinds, so that each byte takes one or two
        // values; 2: a shared first half; 3: any length, any of the bytes.
        const int mode = static_cast<int>(random() % 4);
        const std::size_t kinds = mode == 0 ? 16 : mode == 1 ? 2 : mode == 2 ? 16 : 2 + random() % (bytes.size() - 1);
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < n; ++i) {
            if (!texts.empty() && random() % 4 == 0) {
                texts.push_back(texts[random() % texts.size()]);  // a repeat
                continue;
            }
            std::string id(mode == 3 ? random() % 13 : 8, ' ');
            for (char& c : id) c = bytes[random() % kinds];
            if (mode == 2) id.replace(0, 4, "00A3");
            texts.push_back(id);
        }
        // Every third round the IDs come in order, as one word's do from an index we wrote: each
        // once, or with a repeat left in. Every third round but one they come as a few runs in
        // order, as they do with entries added since the file was written.
        if (round % 3 == 0) {
            std::sort(texts.begin(), texts.end());
            if (round % 6 == 0) texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
        } else if (round % 3 == 1) {
            const std::size_t runs = 1 + random() % 20;
            for (std::size_t r = 0; r < runs; ++r)
                std::sort(texts.begin() + static_cast<std::ptrdiff_t>(texts.size() * r / runs),
                          texts.begin() + static_cast<std::ptrdiff_t>(texts.size() * (r + 1) / runs));
        }
        std::vector<std::string_view> views(texts.begin(), texts.end());
        std::vector<std::string> expected = texts;
        std::sort(expected.begin(), expected.end());
        expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
        const std::vector<std::string_view> sorted = SortedUniqueIds(views);
        ASSERT_EQ(std::vector<std::string>(sorted.begin(), sorted.end()), expected) << "round " << round << ", " << n << " IDs";
    }
}

}  // namespace
}  // namespace jb::search
