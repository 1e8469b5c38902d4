#include "remind/qt_dates.h"

#include <cmath>

#include "remind/reminder_value.h"
#include "store/dates.h"

namespace jb::remind {

QString PickerDateFormat() { return LocaleDateOrder() == DateOrder::kMonthFirst ? "MM/dd/yyyy" : "dd/MM/yyyy"; }

QDate DateOfDays(double value) { return DayZero().addDays(static_cast<qint64>(WholeDays(value))); }

double DaysOfDate(const QDate& date) { return static_cast<double>(DayZero().daysTo(date)); }

QTime TimeOfFraction(double value) {
    long long ms = std::llround(TimeOfDayPart(value) * 86400000.0);
    if (ms >= 86400000) ms = 86399999;
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

double FractionOfTime(const QTime& time) { return time.msecsSinceStartOfDay() / 86400000.0; }

}  // namespace jb::remind
