#include "store/dates.h"

#include <langinfo.h>
#include <locale.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace jb {

namespace {

// Days from 1970-01-01 (Howard Hinnant's days_from_civil).
long long DaysFromEpoch(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

CivilDate CivilFromEpochDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return CivilDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr long long kEpochOffset = 25569;  // 1970-01-01 as days since 1899-12-30

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

}  // namespace

double DateFromCivil(const CivilDate& date) {
    return static_cast<double>(DaysFromEpoch(date.year, static_cast<unsigned>(date.month),
                                             static_cast<unsigned>(date.day)) +
                               kEpochOffset);
}

bool IsValidCivil(const CivilDate& date) {
    return date.year >= 1 && date.year <= 9999 && date.month >= 1 && date.month <= 12 && date.day >= 1 &&
           date.day <= DaysInMonth(date.year, date.month);
}

CivilDate CivilFromDate(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) return CivilDate{};
    return CivilFromEpochDays(static_cast<long long>(std::trunc(value)) - kEpochOffset);
}

TimeOfDay TimeFromDate(double value) {
    if (!std::isfinite(value)) return TimeOfDay{};
    double fraction = std::fabs(value - std::trunc(value));
    long long ms = std::llround(fraction * 86400000.0);
    if (ms >= 86400000) ms = 86400000 - 1;
    TimeOfDay t;
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
}

double DateTimeFrom(const CivilDate& date, int hour, int minute, int second) {
    return DateFromCivil(date) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

DateOrder LocaleDateOrder() {
    const char* names[] = {"LC_ALL", "LC_TIME", "LANG"};
    const char* name = nullptr;
    for (const char* n : names) {
        const char* v = std::getenv(n);
        if (v && *v) {
            name = v;
            break;
        }
    }
    if (!name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
        std::strncmp(name, "C.", 2) == 0)
        return DateOrder::kDayFirst;
    locale_t loc = newlocale(LC_TIME_MASK, name, static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return DateOrder::kDayFirst;
    std::string format = nl_langinfo_l(D_FMT, loc);
    freelocale(loc);
    if (format.find("%D") != std::string::npos) return DateOrder::kMonthFirst;
    auto m = format.find("%m");
    auto d = format.find("%d");
    if (d == std::string::npos) d = format.find("%e");
    return (m != std::string::npos && d != std::string::npos && m < d) ? DateOrder::kMonthFirst
                                                                       : DateOrder::kDayFirst;
}

std::string ShortDateText(double value, DateOrder order) {
    CivilDate c = CivilFromDate(value);
    char text[32];
    if (order == DateOrder::kDayFirst)
        std::snprintf(text, sizeof text, "%02d/%02d/%04d", c.day, c.month, c.year);
    else
        std::snprintf(text, sizeof text, "%02d/%02d/%04d", c.month, c.day, c.year);
    return text;
}

std::optional<double> ParseShortDate(std::string_view text, DateOrder order) {
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (char ch : text) {
        if (ch >= '0' && ch <= '9') {
            if (++digits[part] > 4) return std::nullopt;
            parts[part] = parts[part] * 10 + (ch - '0');
        } else if (ch == '/' && part < 2 && digits[part] > 0) {
            ++part;
        } else {
            return std::nullopt;
        }
    }
    if (part != 2 || digits[0] > 2 || digits[1] > 2 || digits[2] == 0) return std::nullopt;
    CivilDate c;
    c.day = order == DateOrder::kDayFirst ? parts[0] : parts[1];
    c.month = order == DateOrder::kDayFirst ? parts[1] : parts[0];
    c.year = parts[2];
    if (digits[2] <= 2) c.year += c.year < 50 ? 2000 : 1900;
    if (!IsValidCivil(c)) return std::nullopt;
    return DateFromCivil(c);
}

std::string IsoDateText(double value) {
    CivilDate c = CivilFromDate(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.year, c.month, c.day);
    return text;
}

std::string IsoDateTimeText(double value) {
    TimeOfDay t = TimeFromDate(value);
    char text[48];
    std::snprintf(text, sizeof text, "%sT%02d:%02d:%02d", IsoDateText(value).c_str(), t.hour, t.minute, t.second);
    return text;
}

}  // namespace jb
