#pragma once
// The reminder of a page as the reminder controls hold it: a date picker (whole days) and a
// time picker (time of day), both as date-time values (days since 1899-12-30).

namespace jb::remind {

// A page shows a reminder when its stored value is greater than this.
inline constexpr double kNoReminderLimit = 1.0;

inline bool HasReminder(double reminder) { return reminder > kNoReminderLimit; }

// The whole days of a date-time and its time of day.
double WholeDays(double value);
double TimeOfDayPart(double value);

// The value written for the controls: 0 when the box is off or the date's whole part is below
// 1; otherwise the date's whole days plus the time's time of day.
double StoredReminder(bool boxOn, double date, double time);

}  // namespace jb::remind
