#include <gtest/gtest.h>

#include "store/dates.h"

namespace jb {
namespace {

TEST(Dates, CalendarConversionBothWays) {
    struct Case {
        CivilDate date;
        double value;
    } cases[] = {
        {{1899, 12, 30}, 0},     {{1899, 12, 31}, 1},     {{1900, 1, 1}, 2},       {{1900, 3, 1}, 61},
        {{2000, 2, 29}, 36585},  {{2025, 1, 1}, 45658},   {{2026, 12, 10}, 46366}, {{1899, 12, 29}, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateFromCivil(c.date), c.value) << c.value;
        EXPECT_EQ(CivilFromDate(c.value), c.date) << c.value;
    }
}

TEST(Dates, TimeOfDayFromTheFraction) {
    TimeOfDay t = TimeFromDate(46366 + (14 * 3600 + 30 * 60 + 15) / 86400.0);
    EXPECT_EQ(t.hour, 14);
    EXPECT_EQ(t.minute, 30);
    EXPECT_EQ(t.second, 15);
    EXPECT_EQ(DateTimeFrom({2026, 12, 10}, 14, 30), 46366 + (14 * 60 + 30) / 1440.0);
}

TEST(Dates, ShortDateTextIsAlwaysTenCharacters) {
    EXPECT_EQ(ShortDateText(45658, DateOrder::kDayFirst), "01/01/2025");
    EXPECT_EQ(ShortDateText(46366.75, DateOrder::kDayFirst), "10/12/2026");
    EXPECT_EQ(ShortDateText(46366, DateOrder::kMonthFirst), "12/10/2026");
}

TEST(Dates, ParseShortDate) {
    struct Case {
        const char* text;
        DateOrder order;
        double expected;  // -1: refused
    } cases[] = {
        {"10/12/2026", DateOrder::kDayFirst, 46366}, {"12/10/2026", DateOrder::kMonthFirst, 46366},
        {"1/1/2025", DateOrder::kDayFirst, 45658},   {"01/01/25", DateOrder::kDayFirst, 45658},
        {"31/02/2025", DateOrder::kDayFirst, -1},    {"10/12", DateOrder::kDayFirst, -1},
        {"10/12/2026x", DateOrder::kDayFirst, -1},   {"", DateOrder::kDayFirst, -1},
        {"aa/bb/cccc", DateOrder::kDayFirst, -1},    {"10//2026", DateOrder::kDayFirst, -1},
        {"13/13/2026", DateOrder::kMonthFirst, -1},  {"001/01/2025", DateOrder::kDayFirst, -1},
    };
    for (const auto& c : cases) {
        auto value = ParseShortDate(c.text, c.order);
        if (c.expected < 0)
            EXPECT_FALSE(value.has_value()) << c.text;
        else
            EXPECT_EQ(value.value_or(-1), c.expected) << c.text;
    }
}

TEST(Dates, IsoTexts) {
    EXPECT_EQ(IsoDateText(46366), "2026-12-10");
    EXPECT_EQ(IsoDateTimeText(DateTimeFrom({2026, 12, 10}, 9, 5, 7)), "2026-12-10T09:05:07");
}

TEST(Dates, CLocaleCountsAsDayFirst) {
    ::setenv("LC_ALL", "C", 1);
    EXPECT_EQ(LocaleDateOrder(), DateOrder::kDayFirst);
    ::unsetenv("LC_ALL");
}

}  // namespace
}  // namespace jb
