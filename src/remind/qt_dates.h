#pragma once
// Date-time values (days since 1899-12-30, the fraction the time of day) to and from the date
// and time pickers.

#include <QDate>
#include <QString>
#include <QTime>

namespace jb::remind {

// The display format of every date picker: the program's short date, "dd/MM/yyyy" or
// "MM/dd/yyyy" as the locale orders day and month.
QString PickerDateFormat();

// Day 0 of the stored dates.
inline QDate DayZero() { return QDate(1899, 12, 30); }

// The picker date of a date-time's whole days, and back.
QDate DateOfDays(double value);
double DaysOfDate(const QDate& date);
// The picker time of a date-time's time of day (to the millisecond), and back as a fraction.
QTime TimeOfFraction(double value);
double FractionOfTime(const QTime& time);

}  // namespace jb::remind
