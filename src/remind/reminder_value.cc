#include "remind/reminder_value.h"

#include <cmath>

namespace jb::remind {

double WholeDays(double value) { return std::trunc(value); }

double TimeOfDayPart(double value) { return std::fabs(value - std::trunc(value)); }

double StoredReminder(bool boxOn, double date, double time) {
    if (!boxOn) date = 0;
    if (WholeDays(date) < 1) return 0;
    return WholeDays(date) + TimeOfDayPart(time);
}

}  // namespace jb::remind
