#include <gtest/gtest.h>

#include "remind/daily_message.h"
#include "remind/reminder_value.h"
#include "remind/ticker.h"
#include "support/temp_dir.h"

namespace jb::remind {
namespace {

std::u16string TypeAll(Ticker& ticker, int* ticks) {
    std::u16string typed;
    *ticks = 0;
    while (auto c = ticker.Tick()) {
        typed += *c;
        ++*ticks;
    }
    return typed;
}

TEST(Ticker, TypesOneCharacterPerTickThenRestsAtPositionZero) {
    Ticker ticker;
    ticker.SetText(u" ... Query Closed ...", true);
    int ticks = 0;
    EXPECT_EQ(u" ... Query Closed ...", TypeAll(ticker, &ticks));
    EXPECT_EQ(21, ticks);
    EXPECT_EQ(0, ticker.Position());
}

TEST(Ticker, NewTextContinuesAtTheNextPositionUnlessReset) {
    Ticker ticker;
    ticker.SetText(u"abcdef", true);
    ticker.Tick();
    ticker.Tick();
    ticker.SetText(u"UVWXYZ", false);
    int ticks = 0;
    EXPECT_EQ(u"WXYZ", TypeAll(ticker, &ticks));
    ticker.SetText(u"abc", true);
    ticker.Tick();
    ticker.SetText(u"xyz", true);
    EXPECT_EQ(u"xyz", TypeAll(ticker, &ticks));
}

TEST(Ticker, CutsTextsTo255Characters) {
    Ticker ticker;
    ticker.SetText(std::u16string(300, u'x'), true);
    EXPECT_EQ(255u, ticker.Text().size());
    int ticks = 0;
    TypeAll(ticker, &ticks);
    EXPECT_EQ(255, ticks);
}

TEST(DailyMessage, NeverDrawsTheLastLineOfSeveral) {
    std::vector<int> seen(3, 0);
    for (std::uint32_t seed = 0; seed < 400; ++seed) ++seen[DrawMessageIndex(3, seed)];
    EXPECT_EQ(0, seen[2]);
    EXPECT_GT(seen[0], 120);
    EXPECT_GT(seen[1], 120);
    EXPECT_EQ(0u, DrawMessageIndex(1, 7));
    EXPECT_EQ(0u, DrawMessageIndex(2, 7));
}

TEST(DailyMessage, ReadsTheFileOfTheProgramFolder) {
    test::TempDir dir;
    FileSystem& fs = FileSystem::Default();
    EXPECT_EQ("", TodaysMessage(fs, dir.Path(), 1)) << "no file";
    test::WriteFileBytes(dir.File("todays.messages"), "");
    EXPECT_EQ("", TodaysMessage(fs, dir.Path(), 1)) << "empty file";
    test::WriteFileBytes(dir.File("todays.messages"), "only line\r\n");
    EXPECT_EQ("only line", TodaysMessage(fs, dir.Path(), 1));
    test::WriteFileBytes(dir.File("todays.messages"), "first\nsecond\r\nthird");
    for (std::uint32_t seed = 0; seed < 20; ++seed) {
        std::string m = TodaysMessage(fs, dir.Path(), seed);
        EXPECT_TRUE(m == "first" || m == "second") << m;
    }
    test::WriteFileBytes(dir.File("todays.messages"), std::string(300, 'm') + "\n");
    EXPECT_EQ(255u, TodaysMessage(fs, dir.Path(), 1).size());
}

TEST(StoredReminder, DateWholeDaysPlusTimeOnlyWhileTheBoxIsOn) {
    const struct {
        bool on;
        double date, time, stored;
    } cases[] = {
        {true, 45000.0, 0.25, 45000.25},   // time of day comes from the time picker
        {true, 45000.7, 0.5, 45000.5},     // the date picker's fraction is dropped
        {false, 45000.0, 0.25, 0.0},       // box off: no reminder
        {true, 0.0, 0.25, 0.0},            // day 0: no reminder
        {true, 1.0, 0.5, 1.5},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(c.stored, StoredReminder(c.on, c.date, c.time));
    EXPECT_FALSE(HasReminder(0));
    EXPECT_FALSE(HasReminder(1.0));
    EXPECT_TRUE(HasReminder(1.5));
}

}  // namespace
}  // namespace jb::remind
