#include "store/clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace jb {

double Clock::Today() const { return std::floor(Now()); }

namespace {

class SystemClock final : public Clock {
public:
    double Now() const override {
        using namespace std::chrono;
        auto now = system_clock::now();
        std::time_t seconds = system_clock::to_time_t(now);
        std::tm local{};
        localtime_r(&seconds, &local);
        auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
        // Local wall-clock seconds since 1970-01-01, as days since 1899-12-30.
        double localSeconds = static_cast<double>(seconds) + static_cast<double>(local.tm_gmtoff);
        return 25569.0 + (localSeconds + static_cast<double>(ms) / 1000.0) / 86400.0;
    }
};

}  // namespace

const Clock& Clock::System() {
    static SystemClock instance;
    return instance;
}

}  // namespace jb
