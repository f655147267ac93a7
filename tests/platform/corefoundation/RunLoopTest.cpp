#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/corefoundation/CFRef.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/corefoundation/PlatformClock.h"

using platform::CFRef;

namespace {

constexpr CFAbsoluteTime kStart = 1000.0;

// A timer whose callback is a std::function; invalidated when the test ends,
// so that nothing stays on the main run loop for the next test.
class Timer {
  public:
    Timer(CFAbsoluteTime fireDate, CFTimeInterval interval, std::function<void()> action)
        : action_(std::move(action))
    {
        CFRunLoopTimerContext context{0, this, nullptr, nullptr, nullptr};
        timer_.reset(CFRunLoopTimerCreate(nullptr, fireDate, interval, 0, 0, fire, &context));
    }
    ~Timer() { CFRunLoopTimerInvalidate(timer_.get()); }
    CFRunLoopTimerRef get() const { return timer_.get(); }
    void addTo(CFStringRef mode) { CFRunLoopAddTimer(CFRunLoopGetCurrent(), get(), mode); }

  private:
    static void fire(CFRunLoopTimerRef, void* info) { static_cast<Timer*>(info)->action_(); }
    std::function<void()> action_;
    CFRef<CFRunLoopTimerRef> timer_;
};

// Timers record "name@seconds since kStart".
class RunLoopTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::useVirtualClock(kStart); }
    void TearDown() override { platform::useRealClock(); }

    std::function<void()> record(std::string name)
    {
        return [this, name] {
            fired.push_back(name + "@" + std::to_string(CFAbsoluteTimeGetCurrent() - kStart));
        };
    }
    static std::string at(const char* name, double seconds) { return name + ("@" + std::to_string(seconds)); }

    std::vector<std::string> fired;
};

const CFStringRef kOtherMode = CFSTR("OtherMode");

} // namespace

TEST_F(RunLoopTest, OneShotAndRepeatingTimersFireInOrderAtTheirOwnTimes)
{
    Timer once(kStart + 1.5, 0, record("once"));
    Timer second(kStart + 1.0, 1.0, record("second"));
    Timer quick(kStart + 0.5, 0.75, record("quick"));
    for (Timer* timer : {&once, &second, &quick}) timer->addTo(kCFRunLoopDefaultMode);

    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 3.0, false), kCFRunLoopRunTimedOut);
    // At 2.0 both repeating timers are due: the one created first fires first.
    EXPECT_EQ(fired,
              (std::vector{at("quick", 0.5), at("second", 1.0), at("quick", 1.25), at("once", 1.5),
                           at("second", 2.0), at("quick", 2.0), at("quick", 2.75), at("second", 3.0)}));
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), kStart + 3.0);
    EXPECT_FALSE(CFRunLoopTimerIsValid(once.get()));
    EXPECT_TRUE(CFRunLoopTimerIsValid(second.get()));
    EXPECT_EQ(CFRunLoopTimerGetNextFireDate(second.get()), kStart + 4.0);

    // Fire dates missed while nobody ran the loop are skipped, not caught up;
    // the earlier missed date (quick's 3.5) still fires first.
    platform::advanceVirtualClock(2.6);
    fired.clear();
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false), kCFRunLoopRunTimedOut);
    EXPECT_EQ(fired, (std::vector{at("quick", 5.6), at("second", 5.6)}));
    EXPECT_EQ(CFRunLoopTimerGetNextFireDate(second.get()), kStart + 6.0);
    EXPECT_EQ(CFRunLoopTimerGetNextFireDate(quick.get()), kStart + 0.5 + 0.75 * 7);
}

TEST_F(RunLoopTest, TimersCanBeMovedRemovedAndInvalidatedByOtherTimers)
{
    Timer late(kStart + 5.0, 0, record("late"));
    Timer doomed(kStart + 2.0, 0, record("doomed"));
    Timer removed(kStart + 2.0, 0, record("removed"));
    Timer mover(kStart + 1.0, 0, [&] {
        record("mover")();
        CFRunLoopTimerSetNextFireDate(late.get(), kStart + 1.5);
        CFRunLoopTimerInvalidate(doomed.get());
        CFRunLoopRemoveTimer(CFRunLoopGetCurrent(), removed.get(), kCFRunLoopDefaultMode);
    });
    // A one-shot timer that sets its own next fire date fires again.
    int rearmed = 0;
    CFRunLoopTimerRef againRef = nullptr;
    Timer again(kStart + 0.5, 0, [&] {
        if (++rearmed == 1) CFRunLoopTimerSetNextFireDate(againRef, kStart + 2.5);
    });
    againRef = again.get();
    for (Timer* timer : {&late, &doomed, &removed, &mover, &again}) timer->addTo(kCFRunLoopDefaultMode);

    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, false), kCFRunLoopRunFinished);
    EXPECT_EQ(fired, (std::vector{at("mover", 1.0), at("late", 1.5)}));
    EXPECT_EQ(rearmed, 2);
    // Finished once the last timer was gone, well before the timeout.
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), kStart + 2.5);
    // A removed timer is still valid and may join a run loop again.
    EXPECT_TRUE(CFRunLoopTimerIsValid(removed.get()));
    removed.addTo(kCFRunLoopDefaultMode);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false), kCFRunLoopRunFinished);
    EXPECT_EQ(fired.back(), at("removed", 2.5));
}

TEST_F(RunLoopTest, RunReturnsWhyItEnded)
{
    // Nothing in the mode.
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0, false), kCFRunLoopRunFinished);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), kStart);

    Timer keepAlive(kStart + 100.0, 0, record("keepAlive"));
    keepAlive.addTo(kCFRunLoopDefaultMode);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.5, false), kCFRunLoopRunTimedOut);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), kStart + 0.5);

    // A stop with no run in progress is not kept for the next run.
    CFRunLoopStop(CFRunLoopGetCurrent());
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.5, false), kCFRunLoopRunTimedOut);

    Timer stopper(kStart + 2.0, 0, [] { CFRunLoopStop(CFRunLoopGetCurrent()); });
    stopper.addTo(kCFRunLoopDefaultMode);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, false), kCFRunLoopRunStopped);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), kStart + 2.0);

    // Posted work: handled at once when asked to return after it, without
    // moving the clock; otherwise the run goes on to its timeout.
    int performed = 0;
    const auto perform = [](void* count) { ++*static_cast<int*>(count); };
    platform::performOnRunLoop(CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, perform, &performed);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true), kCFRunLoopRunHandledSource);
    EXPECT_EQ(performed, 1);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), kStart + 2.0);
    platform::performOnRunLoop(CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, perform, &performed);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0, false), kCFRunLoopRunTimedOut);
    EXPECT_EQ(performed, 2);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), kStart + 3.0);

    // CFRunLoopRun does not move the clock: it waits for another thread to,
    // and goes on until stopped.
    Timer ticker(kStart + 4.0, 1.0, [&] {
        if (++performed == 5) CFRunLoopStop(CFRunLoopGetCurrent());
    });
    ticker.addTo(kCFRunLoopDefaultMode);
    std::atomic<bool> stopped{false};
    std::thread clock([&] {
        while (!stopped) {
            platform::advanceVirtualClock(1.0);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    CFRunLoopRun();
    stopped = true;
    clock.join();
    EXPECT_EQ(performed, 5);
}

TEST_F(RunLoopTest, TimersAndWorkServeOnlyTheirModes)
{
    // On a thread of its own: marking a mode common lasts as long as the run
    // loop, and the main one lasts as long as the process.
    std::thread([&] {
        Timer other(kStart + 1.0, 0, record("other"));
        Timer common(kStart + 1.0, 1.0, record("common"));
        other.addTo(kOtherMode);
        common.addTo(kCFRunLoopCommonModes);
        bool performed = false;
        platform::performOnRunLoop(
            CFRunLoopGetCurrent(), kOtherMode, [](void* flag) { *static_cast<bool*>(flag) = true; },
            &performed);

        // The default mode is common: it serves the common timer only.
        EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0, false), kCFRunLoopRunTimedOut);
        EXPECT_EQ(fired, (std::vector{at("common", 1.0)}));
        EXPECT_FALSE(performed);

        // The other mode is not common until marked so: once its own timer
        // and work are done, it has nothing left.
        EXPECT_EQ(CFRunLoopRunInMode(kOtherMode, 1.0, false), kCFRunLoopRunFinished);
        EXPECT_EQ(fired, (std::vector{at("common", 1.0), at("other", 1.0)}));
        EXPECT_TRUE(performed);
        CFRunLoopAddCommonMode(CFRunLoopGetCurrent(), kOtherMode);
        EXPECT_EQ(CFRunLoopRunInMode(kOtherMode, 1.0, false), kCFRunLoopRunTimedOut);
        EXPECT_EQ(fired.back(), at("common", 2.0));
    }).join();
}

TEST_F(RunLoopTest, NestedRunsFireOtherTimersButNotTheOneRunning)
{
    int outerCalls = 0;
    Timer inner(kStart + 1.5, 0.5, record("inner"));
    Timer outer(kStart + 1.0, 1.0, [&] {
        ++outerCalls;
        record("outer")();
        if (outerCalls == 1) {
            EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.6, false), kCFRunLoopRunTimedOut);
        }
    });
    outer.addTo(kCFRunLoopDefaultMode);
    inner.addTo(kCFRunLoopDefaultMode);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 3.0, false), kCFRunLoopRunTimedOut);
    // Outer's fire at 2.0 was due while its first call was still running the
    // nested loop; it is skipped, not queued.
    EXPECT_EQ(fired, (std::vector{at("outer", 1.0), at("inner", 1.5), at("inner", 2.0), at("inner", 2.5),
                                  at("inner", 3.0), at("outer", 3.0)}));
}

TEST_F(RunLoopTest, TimerContextIsReleasedWhenTheLastOwnerLetsGo)
{
    struct Counts {
        int retains = 0, releases = 0;
    } counts;
    CFRunLoopTimerContext context{
        0, &counts,
        [](const void* info) {
            ++static_cast<Counts*>(const_cast<void*>(info))->retains;
            return info;
        },
        [](const void* info) { ++static_cast<Counts*>(const_cast<void*>(info))->releases; }, nullptr};
    CFRunLoopTimerRef timer = CFRunLoopTimerCreate(
        nullptr, kStart + 1.0, 0, 0, 0, [](CFRunLoopTimerRef, void*) {}, &context);
    EXPECT_EQ(counts.retains, 1);
    CFRunLoopAddTimer(CFRunLoopGetCurrent(), timer, kCFRunLoopDefaultMode);
    CFRelease(timer);
    EXPECT_EQ(counts.releases, 0); // the run loop holds it
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 2.0, false), kCFRunLoopRunFinished);
    EXPECT_EQ(counts.releases, 1); // fired once, invalidated, dropped
}

TEST(RunLoop, EachThreadHasItsOwnAndWorkRunsOnTheTargetThread)
{
    const CFRunLoopRef main = CFRunLoopGetCurrent();
    EXPECT_EQ(CFRunLoopGetMain(), main);
    EXPECT_EQ(CFGetTypeID(main), CFRunLoopGetTypeID());

    std::promise<CFRunLoopRef> workerLoop;
    std::thread::id ranOn;
    std::thread worker([&] {
        EXPECT_EQ(CFRunLoopGetMain(), main);
        EXPECT_EQ(CFRunLoopGetCurrent(), CFRunLoopGetCurrent());
        // Something to run for until the posted work stops the loop.
        CFRef<CFRunLoopTimerRef> keepAlive(CFRunLoopTimerCreate(
            nullptr, CFAbsoluteTimeGetCurrent() + 600, 0, 0, 0, [](CFRunLoopTimerRef, void*) {}, nullptr));
        CFRunLoopAddTimer(CFRunLoopGetCurrent(), keepAlive.get(), kCFRunLoopDefaultMode);
        workerLoop.set_value(CFRunLoopGetCurrent());
        CFRunLoopRun();
        CFRunLoopTimerInvalidate(keepAlive.get());
    });
    const CFRunLoopRef target = workerLoop.get_future().get();
    EXPECT_NE(target, main);
    platform::performOnRunLoop(
        target, kCFRunLoopDefaultMode,
        [](void* where) {
            *static_cast<std::thread::id*>(where) = std::this_thread::get_id();
            CFRunLoopStop(CFRunLoopGetCurrent());
        },
        &ranOn);
    const std::thread::id workerID = worker.get_id();
    worker.join();
    EXPECT_EQ(ranOn, workerID);
}

TEST(RunLoop, RealClockRunSleepsUntilItsTimerAndItsTimeout)
{
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    CFAbsoluteTime firedAt = 0;
    CFRunLoopTimerContext context{0, &firedAt, nullptr, nullptr, nullptr};
    CFRef<CFRunLoopTimerRef> timer(CFRunLoopTimerCreate(
        nullptr, start + 0.02, 0, 0, 0,
        [](CFRunLoopTimerRef, void* info) {
            *static_cast<CFAbsoluteTime*>(info) = CFAbsoluteTimeGetCurrent();
        },
        &context));
    CFRunLoopAddTimer(CFRunLoopGetCurrent(), timer.get(), kCFRunLoopDefaultMode);
    Timer keepAlive(start + 600, 0, [] {});
    keepAlive.addTo(kCFRunLoopDefaultMode);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.05, false), kCFRunLoopRunTimedOut);
    EXPECT_GE(firedAt, start + 0.02);
    EXPECT_GE(CFAbsoluteTimeGetCurrent(), start + 0.05);
}
