#include "remind/reminder_check.h"

#include <cmath>
#include <cstdio>

#include "remind/reminder_value.h"
#include "remind/ticker.h"

namespace jb::remind {

std::string TimeSlot(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", TimeOfDayPart(value));
    return std::string(text).substr(0, 5);
}

bool IsDue(double reminder, double now) {
    if (!HasReminder(reminder)) return false;
    return WholeDays(reminder) == WholeDays(now) && TimeSlot(reminder) == TimeSlot(now);
}

std::vector<int> DuePages(const std::vector<HeaderRecord>& headers, double now) {
    // Every due reminder shares the whole day and the slot of `now`: compare those once.
    const double today = WholeDays(now);
    const std::string slot = TimeSlot(now);
    std::vector<int> due;
    for (std::size_t n = 0; n < headers.size(); ++n) {
        const double r = headers[n].reminder;
        if (HasReminder(r) && WholeDays(r) == today && TimeSlot(r) == slot)
            due.push_back(static_cast<int>(n));
    }
    return due;
}

std::string ReminderPromptText(const std::vector<int>& pages) {
    if (pages.size() == 1)
        return "Page number " + std::to_string(pages[0]) +
               " is set to remind you now. Do you wish to browse to this page now?";
    std::string list;
    if (pages.size() == 2) {
        list = std::to_string(pages[0]) + " and " + std::to_string(pages[1]);
    } else {
        for (std::size_t i = 0; i + 1 < pages.size(); ++i) list += std::to_string(pages[i]) + ", ";
        list += "and " + std::to_string(pages.back());
        if (list.size() > kPromptListLimit) list.resize(kPromptListLimit);
    }
    return "Pages number " + list +
           " are set to remind you now. Do you wish to browse to these pages now?";
}

std::string ReminderBanner(const std::vector<int>& pages) {
    std::string banner;
    if (pages.size() == 1) {
        banner = " ... REMINDER! Today's Page to note is: " + std::to_string(pages[0]) + " ...";
    } else {
        banner = " ... REMINDER! Today's Pages to note are: ";
        for (std::size_t i = 0; i + 1 < pages.size(); ++i) banner += std::to_string(pages[i]) + ",";
        banner += " and " + std::to_string(pages.back()) + " ...";
    }
    if (banner.size() > Ticker::kMaxText) banner.resize(Ticker::kMaxText);
    return banner;
}

}  // namespace jb::remind
