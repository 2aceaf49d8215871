#pragma once
// The clock the program reads: today's date and the time of day. The real one
// reads the system clock; tests install a fixed one.
#include "util/date.h"

#include <memory>

namespace velt::platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual Date today() const = 0;
    // Hundredths of a second since midnight.
    virtual long hundredths() const = 0;
};

// The process-wide clock (the system clock until a test installs another).
Clock& clock();
void setClock(std::unique_ptr<Clock> c);

class FixedClock : public Clock {
public:
    FixedClock(Date d, long hundredths = 0) : date_(d), hs_(hundredths) {}
    Date today() const override { return date_; }
    long hundredths() const override { return hs_; }
    void set(Date d, long hs) { date_ = d; hs_ = hs; }

private:
    Date date_;
    long hs_;
};

} // namespace velt::platform
