// The event loop on the virtual clock: timers, quitting, waiting for events.

#include <gtest/gtest.h>

#include <vector>

#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/HIToolbox.h"

namespace {

class EventLoop : public ::testing::Test {
  protected:
    void SetUp() override { platform::useVirtualClock(1000); }
    void TearDown() override { platform::useRealClock(); }
};

struct TimerLog {
    std::vector<CFAbsoluteTime> fired;
    EventLoopTimerRef timer = nullptr;
    size_t removeAfter = 0;
    size_t quitAfter = 0;
};

void logTimer(EventLoopTimerRef timer, void* userData)
{
    auto* log = static_cast<TimerLog*>(userData);
    EXPECT_EQ(timer, log->timer);
    log->fired.push_back(CFAbsoluteTimeGetCurrent());
    if (log->fired.size() == log->removeAfter) RemoveEventLoopTimer(timer);
    if (log->fired.size() == log->quitAfter) QuitApplicationEventLoop();
}

TEST_F(EventLoop, TimersFireAtTheirTimesWhileTheLoopRuns)
{
    TimerLog log;
    ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.5, 0.25, logTimer, &log, &log.timer), noErr);
    EXPECT_EQ(RunCurrentEventLoop(1.1), eventLoopTimedOutErr);
    EXPECT_EQ(log.fired, (std::vector<CFAbsoluteTime>{1000.5, 1000.75, 1001.0}));
    EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent(), 1001.1);

    // Not while the loop is not running; removed, never again.
    platform::advanceVirtualClock(5);
    EXPECT_EQ(log.fired.size(), 3u);
    ASSERT_EQ(RemoveEventLoopTimer(log.timer), noErr);
    RunCurrentEventLoop(1);
    EXPECT_EQ(log.fired.size(), 3u);
}

TEST_F(EventLoop, TimerRemovedFromItsOwnCallback)
{
    TimerLog log;
    log.removeAfter = 2;
    ASSERT_EQ(InstallEventLoopTimer(GetCurrentEventLoop(), 0, 0.1, logTimer, &log, &log.timer), noErr);
    RunCurrentEventLoop(1);
    EXPECT_EQ(log.fired.size(), 2u);
}

TEST_F(EventLoop, QuitEndsTheApplicationLoop)
{
    TimerLog log;
    log.quitAfter = 3;
    ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 1, 1, logTimer, &log, &log.timer), noErr);
    RunApplicationEventLoop();
    EXPECT_EQ(log.fired.size(), 3u);
    EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent(), 1003);
    RemoveEventLoopTimer(log.timer);

    // A quit inside a shorter run ends that run.
    log = TimerLog{};
    log.quitAfter = 1;
    ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.2, 0, logTimer, &log, &log.timer), noErr);
    EXPECT_EQ(RunCurrentEventLoop(10), eventLoopQuitErr);
    EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent(), 1003.2);
    RemoveEventLoopTimer(log.timer);
}

// An editor runs the loop itself, nested in the application's, from its
// timers and tracking loops: the application's quit must reach the
// application loop through such a run.
TEST_F(EventLoop, AnApplicationQuitInANestedRunEndsTheApplicationLoop)
{
    struct Nesting {
        OSStatus nestedResult = noErr;
        EventLoopTimerRef nest = nullptr, quit = nullptr, backstop = nullptr;
    } nesting;
    InstallEventLoopTimer(
        GetMainEventLoop(), 1, 0,
        [](EventLoopTimerRef, void* data) {
            auto& n = *static_cast<Nesting*>(data);
            n.nestedResult = RunCurrentEventLoop(5);
        },
        &nesting, &nesting.nest);
    InstallEventLoopTimer(
        GetMainEventLoop(), 1.5, 0, [](EventLoopTimerRef, void*) { QuitApplicationEventLoop(); }, nullptr,
        &nesting.quit);
    // Ends a loop that missed the quit, so that the test fails rather than hangs.
    InstallEventLoopTimer(
        GetMainEventLoop(), 100, 0, [](EventLoopTimerRef, void*) { QuitApplicationEventLoop(); }, nullptr,
        &nesting.backstop);
    RunApplicationEventLoop();
    EXPECT_EQ(nesting.nestedResult, eventLoopQuitErr);
    EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent(), 1001.5);
    for (EventLoopTimerRef timer : {nesting.nest, nesting.quit, nesting.backstop})
        RemoveEventLoopTimer(timer);

    // Let go of once the application loop has ended: later runs run.
    EXPECT_EQ(RunCurrentEventLoop(0.5), eventLoopTimedOutErr);
}

struct Poster {
    EventRef event;
};

void postFromTimer(EventLoopTimerRef, void* userData)
{
    PostEventToQueue(GetMainEventQueue(), static_cast<Poster*>(userData)->event, kEventPriorityStandard);
}

TEST_F(EventLoop, ReceiveNextEventWaitsForAMatchingType)
{
    EventRef unwanted = nullptr, wanted = nullptr;
    CreateEvent(nullptr, kEventClassWindow, kEventWindowClose, 0, 0, &unwanted);
    CreateEvent(nullptr, kEventClassWindow, kEventWindowDrawContent, 0, 0, &wanted);
    ASSERT_EQ(PostEventToQueue(GetMainEventQueue(), unwanted, kEventPriorityStandard), noErr);

    const EventTypeSpec types[] = {{kEventClassWindow, kEventWindowUpdate},
                                   {kEventClassWindow, kEventWindowDrawContent}};
    EventRef received = nullptr;
    EXPECT_EQ(ReceiveNextEvent(2, types, kEventDurationNoWait, true, &received), eventLoopTimedOutErr);
    EXPECT_EQ(received, nullptr);

    Poster poster{wanted};
    EventLoopTimerRef timer = nullptr;
    InstallEventLoopTimer(GetMainEventLoop(), 0.3, 0, postFromTimer, &poster, &timer);
    ASSERT_EQ(ReceiveNextEvent(2, types, 1.0, false, &received), noErr);
    EXPECT_EQ(received, wanted);
    EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent(), 1000.3);
    // Not pulled: still there; pulled: gone.
    ASSERT_EQ(ReceiveNextEvent(2, types, 0, true, &received), noErr);
    EXPECT_EQ(received, wanted);
    ReleaseEvent(received);
    EXPECT_EQ(ReceiveNextEvent(2, types, 0, true, &received), eventLoopTimedOutErr);
    // Any type: the unwanted one is still queued.
    ASSERT_EQ(ReceiveNextEvent(0, nullptr, 0, true, &received), noErr);
    EXPECT_EQ(received, unwanted);
    ReleaseEvent(received);

    RemoveEventLoopTimer(timer);
    ReleaseEvent(unwanted);
    ReleaseEvent(wanted);
}

} // namespace
