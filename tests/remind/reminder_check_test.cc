#include "remind/reminder_check.h"

#include <gtest/gtest.h>

namespace jb::remind {
namespace {

constexpr double kDay = 45000.0;  // 2023-03-15

double At(double day, int h, int m, double s) {
    return day + (h * 3600.0 + m * 60.0 + s) / 86400.0;
}

TEST(TimeSlot, IsTheFractionCutToThreeDecimalsAfterRoundingToSix) {
    EXPECT_EQ("0.604", TimeSlot(At(kDay, 14, 30, 0)));
    EXPECT_EQ("0.000", TimeSlot(kDay));
    EXPECT_EQ("0.500", TimeSlot(kDay + 0.5));
    EXPECT_EQ("0.999", TimeSlot(kDay + 0.9994));
    EXPECT_EQ("1.000", TimeSlot(kDay + 0.9999996));
    // Rounding to six decimals moves a fraction just below a slot boundary into the next slot.
    EXPECT_EQ("0.605", TimeSlot(kDay + 0.6049996));
    EXPECT_EQ("0.604", TimeSlot(kDay + 0.6049994));
}

struct DueCase {
    const char* what;
    double reminder;
    double now;
    bool due;
};

const double kAtHalfPastTwo = At(kDay, 14, 30, 0);

const DueCase kDueCases[] = {
    {"just before the slot", kAtHalfPastTwo, At(kDay, 14, 29, 45.55), false},
    {"first moment of the slot", kAtHalfPastTwo, At(kDay, 14, 29, 45.56), true},
    {"the reminder's own time", kAtHalfPastTwo, kAtHalfPastTwo, true},
    {"30 seconds later", kAtHalfPastTwo, At(kDay, 14, 30, 30), true},
    {"last moment of the slot", kAtHalfPastTwo, At(kDay, 14, 31, 11.95), true},
    {"just after the slot", kAtHalfPastTwo, At(kDay, 14, 31, 11.96), false},
    {"a minute later", kAtHalfPastTwo, At(kDay, 14, 31, 30), false},
    {"same time the next day", kAtHalfPastTwo, At(kDay + 1, 14, 30, 0), false},
    {"reminder yesterday", At(kDay - 1, 14, 30, 0), kAtHalfPastTwo, false},
    {"no reminder at midnight", 0.0, 0.0, false},
    {"no reminder", 0.0, kAtHalfPastTwo, false},
    {"reminder at midnight today", kDay, At(kDay, 0, 0, 30), true},
};

TEST(IsDue, ReminderAtHalfPastTwoIsDueOnlyInItsSlotOfItsDay) {
    for (const DueCase& c : kDueCases) EXPECT_EQ(c.due, IsDue(c.reminder, c.now)) << c.what;
}

TEST(DuePages, CollectsTheDuePageNumbersInPageOrder) {
    std::vector<HeaderRecord> headers(8);
    const double reminders[] = {0,
                                kAtHalfPastTwo,
                                At(kDay, 14, 31, 30),
                                kAtHalfPastTwo,
                                At(kDay - 1, 14, 30, 0),
                                At(kDay, 14, 30, 40),
                                0.5,
                                kAtHalfPastTwo};
    for (std::size_t i = 0; i < headers.size(); ++i) headers[i].reminder = reminders[i];
    EXPECT_EQ((std::vector<int>{1, 3, 5, 7}), DuePages(headers, At(kDay, 14, 30, 20)));
    for (const DueCase& c : kDueCases) {
        std::vector<HeaderRecord> one(1);
        one[0].reminder = c.reminder;
        EXPECT_EQ(c.due ? std::vector<int>{0} : std::vector<int>{}, DuePages(one, c.now)) << c.what;
    }
    EXPECT_TRUE(DuePages({}, kAtHalfPastTwo).empty());
}

TEST(ReminderPromptText, OneTwoAndThreePages) {
    EXPECT_EQ("Page number 7 is set to remind you now. Do you wish to browse to this page now?",
              ReminderPromptText({7}));
    EXPECT_EQ(
        "Pages number 3 and 12 are set to remind you now. Do you wish to browse to these pages "
        "now?",
        ReminderPromptText({3, 12}));
    EXPECT_EQ(
        "Pages number 4, 9, and 12 are set to remind you now. Do you wish to browse to these pages "
        "now?",
        ReminderPromptText({4, 9, 12}));
}

TEST(ReminderPromptText, TwentyFivePagesCutTheListToOneHundredCharacters) {
    std::vector<int> pages;
    for (int n = 10; n <= 34; ++n) pages.push_back(n);
    const std::string text = ReminderPromptText(pages);
    const std::string head = "Pages number ";
    const std::string tail =
        " are set to remind you now. Do you wish to browse to these pages now?";
    ASSERT_EQ(0u, text.find(head));
    ASSERT_EQ(text.size() - tail.size(), text.rfind(tail));
    const std::string list = text.substr(head.size(), text.size() - head.size() - tail.size());
    EXPECT_EQ(100u, list.size());
    EXPECT_EQ("10, 11, 12, ", list.substr(0, 12));
    EXPECT_EQ("32, 33, and ", list.substr(list.size() - 12));
}

TEST(ReminderBanner, OneAndSeveralPages) {
    EXPECT_EQ(" ... REMINDER! Today's Page to note is: 5 ...", ReminderBanner({5}));
    EXPECT_EQ(" ... REMINDER! Today's Pages to note are: 3,7, and 9 ...",
              ReminderBanner({3, 7, 9}));
    EXPECT_EQ(" ... REMINDER! Today's Pages to note are: 3, and 7 ...", ReminderBanner({3, 7}));
}

TEST(ReminderBanner, IsCutTo255Characters) {
    std::vector<int> pages;
    for (int n = 1000; n < 1100; ++n) pages.push_back(n);
    const std::string banner = ReminderBanner(pages);
    EXPECT_EQ(255u, banner.size());
    EXPECT_EQ(" ... REMINDER! Today's Pages to note are: 1000,1001,", banner.substr(0, 52));
}

}  // namespace
}  // namespace jb::remind
