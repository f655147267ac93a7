#include <gtest/gtest.h>

#include <chrono>

#include "platform/corefoundation/CoreFoundation.h"
#include "platform/corefoundation/CoreServices.h"
#include "platform/corefoundation/PlatformClock.h"

TEST(PlatformClock, RealClockIsWallTimeSince2001AndNeverGoesBack)
{
    const double unixNow =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const CFAbsoluteTime first = CFAbsoluteTimeGetCurrent();
    EXPECT_NEAR(first, unixNow - 978307200.0, 1.0);
    const uint32_t ticks = TickCount();
    CFAbsoluteTime previous = first;
    for (int i = 0; i < 1000; ++i) {
        const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
        ASSERT_GE(now, previous);
        previous = now;
    }
    EXPECT_GE(TickCount(), ticks);
}

TEST(PlatformClock, VirtualClockMovesOnlyWhenAdvanced)
{
    platform::useVirtualClock(1000.0);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), 1000.0);
    EXPECT_EQ(TickCount(), 0u);
    platform::advanceVirtualClock(0.5);
    platform::advanceVirtualClock(-3.0); // ignored
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), 1000.5);
    EXPECT_EQ(TickCount(), 30u);
    // Ticks are whole sixtieths, counted down.
    platform::advanceVirtualClock(1.0 / 120.0);
    EXPECT_EQ(TickCount(), 30u);
    platform::advanceVirtualClock(1.0 / 120.0);
    EXPECT_EQ(TickCount(), 31u);
    platform::useRealClock();
    EXPECT_GT(CFAbsoluteTimeGetCurrent(), 6e8); // after 2020
}
