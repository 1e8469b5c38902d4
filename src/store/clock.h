#pragma once
// Where "now" comes from. Tests give a fixed or stepped clock.

namespace jb {

class Clock {
public:
    virtual ~Clock() = default;
    // The current local date and time as days since 1899-12-30, the fraction the time of day.
    virtual double Now() const = 0;
    // Today's date with time part 0.
    double Today() const;

    static const Clock& System();
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(double now) : now_(now) {}
    double Now() const override { return now_; }
    void Set(double now) { now_ = now; }

private:
    double now_;
};

}  // namespace jb
