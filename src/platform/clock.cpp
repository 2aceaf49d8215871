#include "platform/clock.h"

#include <ctime>
#include <sys/time.h>

namespace velt::platform {
namespace {
class SystemClock : public Clock {
public:
    Date today() const override
    {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        return Date::fromYMD(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    }
    long hundredths() const override
    {
        timeval tv{};
        gettimeofday(&tv, nullptr);
        std::tm tm{};
        std::time_t t = tv.tv_sec;
        localtime_r(&t, &tm);
        return ((tm.tm_hour * 60L + tm.tm_min) * 60L + tm.tm_sec) * 100L + tv.tv_usec / 10000;
    }
};

std::unique_ptr<Clock>& current()
{
    static std::unique_ptr<Clock> c = std::make_unique<SystemClock>();
    return c;
}
} // namespace

Clock& clock() { return *current(); }
void setClock(std::unique_ptr<Clock> c) { current() = std::move(c); }

} // namespace velt::platform
