#pragma once
// The reminder check: which pages are due now, the prompt that offers to browse to them and the
// banner announced at start-up. Pure logic over date-time values (days since 1899-12-30).

#include <string>
#include <vector>

#include "store/header_record.h"

namespace jb::remind {

// The time slot of a date-time: the first five characters of its fraction written with six
// decimals (rounded), "0.604" for 14:30:00, "1.000" for a fraction that rounds up to 1. A slot
// is a thousandth of a day (86.4 seconds).
std::string TimeSlot(double value);

// Whether a page with this reminder is due at `now`: same whole day, same time slot. A reminder
// of 0 (or any value not above 1.0) is never due.
bool IsDue(double reminder, double now);

// The numbers of the due pages, in page order, from every header record of a data set.
std::vector<int> DuePages(const std::vector<HeaderRecord>& headers, double now);

// The most characters of the page list in the prompt for three or more pages.
inline constexpr std::size_t kPromptListLimit = 100;

// The reminder prompt for the due pages (not empty).
std::string ReminderPromptText(const std::vector<int>& pages);

// The start-up banner for the status ticker, for the page numbers of the reminder query (not
// empty), cut to 255 characters.
std::string ReminderBanner(const std::vector<int>& pages);

}  // namespace jb::remind
