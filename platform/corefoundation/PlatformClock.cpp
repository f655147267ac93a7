// The platform clock: real (wall time at load plus monotonic time since) or
// virtual (a value that moves only when told).

#include "platform/corefoundation/PlatformClock.h"

#include <atomic>
#include <chrono>
#include <cmath>

#include "platform/corefoundation/CFInternal.h"
#include "platform/corefoundation/CoreServices.h"

namespace {

using Steady = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

// Seconds from the Unix epoch to 2001-01-01.
constexpr double kUnixEpochToAbsolute = 978307200.0;

struct RealStart {
    Steady::time_point steady = Steady::now();
    CFAbsoluteTime absolute =
        Seconds(std::chrono::system_clock::now().time_since_epoch()).count() - kUnixEpochToAbsolute;
};
// Set as the library loads, before anything can read the clock.
const RealStart realStart;

std::atomic<bool> virtualInUse{false};
std::atomic<CFAbsoluteTime> virtualNow{0.0};
std::atomic<CFAbsoluteTime> virtualStart{0.0};

CFAbsoluteTime realNow()
{
    return realStart.absolute + Seconds(Steady::now() - realStart.steady).count();
}

} // namespace

namespace platform {

void useVirtualClock(CFAbsoluteTime start)
{
    virtualStart.store(start);
    virtualNow.store(start);
    virtualInUse.store(true);
}

void useRealClock()
{
    virtualInUse.store(false);
}

bool usingVirtualClock()
{
    return virtualInUse.load();
}

void advanceVirtualClock(CFTimeInterval seconds)
{
    if (!virtualInUse.load() || !(seconds > 0)) return;
    virtualNow.fetch_add(seconds);
    detail::wakeAllRunLoops();
}

} // namespace platform

namespace platform::detail {

void advanceVirtualClockTo(CFAbsoluteTime time)
{
    CFAbsoluteTime now = virtualNow.load();
    while (now < time && !virtualNow.compare_exchange_weak(now, time)) {
    }
}

Steady::time_point steadyTimeOf(CFAbsoluteTime time)
{
    const double seconds = time - realStart.absolute;
    // Far deadlines stay within the time_point's range.
    if (!(seconds < 1e9)) return Steady::time_point::max();
    return realStart.steady + std::chrono::duration_cast<Steady::duration>(Seconds(seconds));
}

} // namespace platform::detail

CFAbsoluteTime CFAbsoluteTimeGetCurrent(void)
{
    return virtualInUse.load() ? virtualNow.load() : realNow();
}

uint32_t TickCount(void)
{
    const CFAbsoluteTime start = virtualInUse.load() ? virtualStart.load() : realStart.absolute;
    // The small allowance counts a tick that sums of fractions of a second
    // reach only to within rounding (30/60 + 1/120 + 1/120 is 31 ticks).
    const double ticks = std::floor((CFAbsoluteTimeGetCurrent() - start) * 60.0 + 1e-6);
    // Wraps like the original 32-bit count (after about 2.3 years).
    return ticks > 0 ? static_cast<uint32_t>(std::fmod(ticks, 4294967296.0)) : 0;
}
