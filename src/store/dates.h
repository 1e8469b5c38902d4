#pragma once
// Date-time values as stored: days since 1899-12-30 in a double, the fraction being the time
// of day. This module converts them to and from calendar dates, times of day and the fixed
// 10-character short date text.

#include <optional>
#include <string>
#include <string_view>

namespace jb {

struct CivilDate {
    int year = 1899;
    int month = 12;
    int day = 30;
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Days from 1899-12-30 to the given calendar date (proleptic Gregorian). No range check.
double DateFromCivil(const CivilDate& date);
// Whether the date names a real calendar day (years 1..9999).
bool IsValidCivil(const CivilDate& date);
// The calendar date of a date-time (its whole part; the time of day is ignored).
CivilDate CivilFromDate(double value);
// The time of day of a date-time, rounded to the millisecond.
TimeOfDay TimeFromDate(double value);
double DateTimeFrom(const CivilDate& date, int hour, int minute, int second = 0);

// The order of day and month in the user's short date format.
enum class DateOrder { kDayFirst, kMonthFirst };

// The order the user's locale (LC_ALL, LC_TIME, LANG) uses; the C and POSIX locales count as
// day-first.
DateOrder LocaleDateOrder();

// "dd/MM/yyyy" or "MM/dd/yyyy": always 10 characters for years 1000..9999.
std::string ShortDateText(double value, DateOrder order);
// Reads a short date text: day, month and year separated by "/" (one or two digits for day and
// month, up to four for the year; a two-digit year counts from 2000 below 50, else 1900).
// Nothing else may stand in the text. Returns nothing for anything that is not a real date.
std::optional<double> ParseShortDate(std::string_view text, DateOrder order);

// "yyyy-mm-dd" and "yyyy-mm-ddThh:mm:ss" forms for machine-readable output.
std::string IsoDateText(double value);
std::string IsoDateTimeText(double value);

}  // namespace jb
