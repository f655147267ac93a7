// Run loops and timers. One lock guards every run loop's timers, posted work
// and runs, and every timer's schedule; callbacks run with it released.
// Timers are only ever released with the lock released too, since freeing one
// calls its context's release callback.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/corefoundation/CFInternal.h"
#include "platform/corefoundation/CFRef.h"
#include "platform/corefoundation/CFRunLoop.h"
#include "platform/corefoundation/PlatformClock.h"

using platform::CFRef;
using platform::detail::Object;

const CFStringRef kCFRunLoopDefaultMode = CFSTR("kCFRunLoopDefaultMode");
const CFStringRef kCFRunLoopCommonModes = CFSTR("kCFRunLoopCommonModes");

namespace {

std::mutex runLoopLock;

using TimerList = std::vector<CFRef<CFRunLoopTimerRef>>;

constexpr double kNoLimit = std::numeric_limits<double>::infinity();

} // namespace

struct __CFRunLoopTimer final : Object {
    __CFRunLoopTimer(CFAbsoluteTime fireDate, CFTimeInterval interval, CFRunLoopTimerCallBack callout,
                     const CFRunLoopTimerContext* context)
        : Object(platform::detail::kRunLoopTimerTypeID), callout(callout),
          interval(interval > 0 ? interval : 0), fireDate(fireDate)
    {
        if (context) this->context = *context;
        if (this->context.retain)
            this->context.info = const_cast<void*>(this->context.retain(this->context.info));
        static std::atomic<uint64_t> created{0};
        order = created.fetch_add(1, std::memory_order_relaxed);
    }
    ~__CFRunLoopTimer() override
    {
        if (context.release) context.release(context.info);
    }

    const CFRunLoopTimerCallBack callout;
    CFRunLoopTimerContext context{};
    const CFTimeInterval interval;
    uint64_t order; // breaks ties between equal fire dates: first created fires first

    // Under runLoopLock.
    CFAbsoluteTime fireDate;
    bool valid = true;
    bool firing = false;
    CFRunLoopRef runLoop = nullptr;
};

struct __CFRunLoop final : Object {
    struct Work {
        std::string mode;
        void (*function)(void*);
        void* context;
    };
    struct Run {
        bool stopped = false;
    };

    explicit __CFRunLoop(Lifetime lifetime) : Object(platform::detail::kRunLoopTypeID, lifetime)
    {
        std::lock_guard lock(runLoopLock);
        all().push_back(this);
    }
    ~__CFRunLoop() override
    {
        std::map<std::string, TimerList> dropped;
        {
            std::lock_guard lock(runLoopLock);
            std::erase(all(), this);
            for (auto& [mode, list] : timers)
                for (auto& timer : list) timer.get()->runLoop = nullptr;
            dropped.swap(timers);
        }
    }

    // Every run loop alive, for wakeAllRunLoops. Never destroyed: threads may
    // end after static destructors have run.
    static std::vector<__CFRunLoop*>& all()
    {
        static auto* loops = new std::vector<__CFRunLoop*>;
        return *loops;
    }

    // The rest is under runLoopLock.

    bool isCommon(const std::string& mode) const { return commonModes.contains(mode); }

    // The mode's timers, each once, including those of the common modes when
    // mode is one of them.
    std::vector<CFRunLoopTimerRef> timersIn(const std::string& mode) const
    {
        std::vector<CFRunLoopTimerRef> found;
        const auto collect = [&](const std::string& key) {
            if (auto it = timers.find(key); it != timers.end())
                for (const auto& timer : it->second)
                    if (std::find(found.begin(), found.end(), timer.get()) == found.end())
                        found.push_back(timer.get());
        };
        collect(mode);
        if (isCommon(mode)) collect(commonKey());
        return found;
    }

    bool hasWorkFor(const std::string& mode) const
    {
        return std::any_of(work.begin(), work.end(),
                           [&](const Work& item) { return servesMode(item.mode, mode); });
    }

    bool servesMode(const std::string& itemMode, const std::string& mode) const
    {
        return itemMode == mode || (itemMode == commonKey() && isCommon(mode));
    }

    // Takes timer out of every mode; its references go to `dropped`.
    void removeEverywhere(CFRunLoopTimerRef timer, TimerList& dropped)
    {
        for (auto& [mode, list] : timers) removeFrom(list, timer, dropped);
        timer->runLoop = nullptr;
    }

    static void removeFrom(TimerList& list, CFRunLoopTimerRef timer, TimerList& dropped)
    {
        for (auto it = list.begin(); it != list.end();) {
            if (it->get() == timer) {
                dropped.push_back(std::move(*it));
                it = list.erase(it);
            } else {
                ++it;
            }
        }
    }

    void wake()
    {
        woken = true;
        wakeUp.notify_all();
    }

    static std::string utf8String(CFStringRef mode) { return std::string(platform::detail::utf8(mode)); }
    static const std::string& commonKey()
    {
        static const std::string key = utf8String(kCFRunLoopCommonModes);
        return key;
    }

    std::condition_variable wakeUp;
    bool woken = false;
    std::set<std::string> commonModes{utf8String(kCFRunLoopDefaultMode)};
    // By mode; the common modes' timers under kCFRunLoopCommonModes.
    std::map<std::string, TimerList> timers;
    std::deque<Work> work;
    // The runs in progress, innermost last.
    std::vector<Run*> runs;
};

namespace {

// Drops timer references with the lock released, then takes it again.
void releaseUnlocked(std::unique_lock<std::mutex>& lock, TimerList& dropped)
{
    if (dropped.empty()) return;
    lock.unlock();
    dropped.clear();
    lock.lock();
}

// The fire date after one at `fired`, past `now`.
CFAbsoluteTime nextFireDate(CFAbsoluteTime fired, CFTimeInterval interval, CFAbsoluteTime now)
{
    const CFAbsoluteTime next = fired + interval;
    if (next > now) return next;
    return fired + (std::floor((now - fired) / interval) + 1) * interval;
}

// Fires the mode's timers that are due now, earliest first.
void fireDueTimers(CFRunLoopRef rl, const std::string& mode, std::unique_lock<std::mutex>& lock,
                   TimerList& dropped)
{
    const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
    TimerList due;
    for (CFRunLoopTimerRef timer : rl->timersIn(mode))
        if (timer->valid && !timer->firing && timer->fireDate <= now)
            due.push_back(CFRef<CFRunLoopTimerRef>::retain(timer));
    std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
        return a.get()->fireDate != b.get()->fireDate ? a.get()->fireDate < b.get()->fireDate
                                                      : a.get()->order < b.get()->order;
    });
    for (auto& ref : due) {
        CFRunLoopTimerRef timer = ref.get();
        // An earlier callback may have removed, moved or rescheduled it.
        const auto current = rl->timersIn(mode);
        if (!timer->valid || timer->firing || timer->fireDate > now ||
            std::find(current.begin(), current.end(), timer) == current.end())
            continue;
        timer->firing = true;
        const CFAbsoluteTime fired = timer->fireDate;
        lock.unlock();
        timer->callout(timer, timer->context.info);
        lock.lock();
        timer->firing = false;
        if (!timer->valid || timer->fireDate != fired) continue;
        if (timer->interval > 0) {
            // Past the time the callback returned: a nested run may have taken long.
            timer->fireDate = nextFireDate(fired, timer->interval, CFAbsoluteTimeGetCurrent());
        } else {
            timer->valid = false;
            if (timer->runLoop) timer->runLoop->removeEverywhere(timer, dropped);
        }
    }
    lock.unlock();
    due.clear();
    lock.lock();
}

// Runs the work posted for the mode so far; how many items ran.
size_t performWork(CFRunLoopRef rl, const std::string& mode, std::unique_lock<std::mutex>& lock)
{
    std::vector<__CFRunLoop::Work> ready;
    for (auto it = rl->work.begin(); it != rl->work.end();) {
        if (rl->servesMode(it->mode, mode)) {
            ready.push_back(std::move(*it));
            it = rl->work.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& item : ready) {
        lock.unlock();
        item.function(item.context);
        lock.lock();
    }
    return ready.size();
}

CFRunLoopRunResult run(CFRunLoopRef rl, const std::string& mode, CFTimeInterval seconds,
                       bool returnAfterSourceHandled)
{
    const CFAbsoluteTime limit = CFAbsoluteTimeGetCurrent() + std::max(seconds, 0.0);
    __CFRunLoop::Run frame;
    TimerList dropped;
    std::unique_lock lock(runLoopLock);
    rl->runs.push_back(&frame);
    const auto result = [&]() -> CFRunLoopRunResult {
        for (;;) {
            rl->woken = false;
            fireDueTimers(rl, mode, lock, dropped);
            const bool handled = performWork(rl, mode, lock) > 0;
            releaseUnlocked(lock, dropped);
            if (frame.stopped) return kCFRunLoopRunStopped;
            if (handled && returnAfterSourceHandled) return kCFRunLoopRunHandledSource;

            CFAbsoluteTime next = kNoLimit;
            for (CFRunLoopTimerRef timer : rl->timersIn(mode))
                if (timer->valid && !timer->firing) next = std::min(next, timer->fireDate);
            const bool hasWork = rl->hasWorkFor(mode);
            if (!hasWork && rl->timersIn(mode).empty()) return kCFRunLoopRunFinished;
            const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
            if (now >= limit) return kCFRunLoopRunTimedOut;
            if (hasWork || rl->woken) continue;

            next = std::min(next, limit);
            if (platform::usingVirtualClock()) {
                if (limit != kNoLimit) {
                    platform::detail::advanceVirtualClockTo(next);
                    continue;
                }
                rl->wakeUp.wait(lock, [&] { return rl->woken; });
            } else if (next == kNoLimit) {
                rl->wakeUp.wait(lock, [&] { return rl->woken; });
            } else {
                rl->wakeUp.wait_until(lock, platform::detail::steadyTimeOf(next), [&] { return rl->woken; });
            }
        }
    }();
    rl->runs.pop_back();
    return result;
}

} // namespace

namespace platform::detail {

void wakeAllRunLoops()
{
    std::lock_guard lock(runLoopLock);
    for (__CFRunLoop* rl : __CFRunLoop::all()) rl->wake();
}

} // namespace platform::detail

void platform::performOnRunLoop(CFRunLoopRef rl, CFStringRef mode, void (*function)(void*), void* context)
{
    std::lock_guard lock(runLoopLock);
    rl->work.push_back({__CFRunLoop::utf8String(mode), function, context});
    rl->wake();
}

CFTypeID CFRunLoopGetTypeID(void)
{
    return platform::detail::kRunLoopTypeID;
}

CFRunLoopRef CFRunLoopGetMain(void)
{
    // Never freed: the main thread's run loop lasts as long as the process.
    static const CFRunLoopRef main = new __CFRunLoop(Object::Lifetime::immortal);
    return main;
}

CFRunLoopRef CFRunLoopGetCurrent(void)
{
    thread_local CFRef<CFRunLoopRef> current;
    if (!current) {
        const bool isMainThread = gettid() == getpid();
        current.reset(isMainThread ? CFRunLoopGetMain() : new __CFRunLoop(Object::Lifetime::counted));
    }
    return current.get();
}

void CFRunLoopRun(void)
{
    CFRunLoopRunResult result;
    do {
        result = run(CFRunLoopGetCurrent(), __CFRunLoop::utf8String(kCFRunLoopDefaultMode), kNoLimit, false);
    } while (result != kCFRunLoopRunStopped && result != kCFRunLoopRunFinished);
}

CFRunLoopRunResult CFRunLoopRunInMode(CFStringRef mode, CFTimeInterval seconds,
                                      Boolean returnAfterSourceHandled)
{
    return run(CFRunLoopGetCurrent(), __CFRunLoop::utf8String(mode), seconds, returnAfterSourceHandled);
}

void CFRunLoopStop(CFRunLoopRef rl)
{
    std::lock_guard lock(runLoopLock);
    if (!rl->runs.empty()) rl->runs.back()->stopped = true;
    rl->wake();
}

void CFRunLoopWakeUp(CFRunLoopRef rl)
{
    std::lock_guard lock(runLoopLock);
    rl->wake();
}

void CFRunLoopAddCommonMode(CFRunLoopRef rl, CFStringRef mode)
{
    std::lock_guard lock(runLoopLock);
    rl->commonModes.insert(__CFRunLoop::utf8String(mode));
    rl->wake();
}

void CFRunLoopAddTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFStringRef mode)
{
    std::lock_guard lock(runLoopLock);
    if (!timer->valid || (timer->runLoop && timer->runLoop != rl)) return;
    TimerList& list = rl->timers[__CFRunLoop::utf8String(mode)];
    if (std::none_of(list.begin(), list.end(), [&](const auto& held) { return held.get() == timer; }))
        list.push_back(CFRef<CFRunLoopTimerRef>::retain(timer));
    timer->runLoop = rl;
    rl->wake();
}

void CFRunLoopRemoveTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFStringRef mode)
{
    TimerList dropped;
    std::lock_guard lock(runLoopLock);
    const auto it = rl->timers.find(__CFRunLoop::utf8String(mode));
    if (it == rl->timers.end()) return;
    __CFRunLoop::removeFrom(it->second, timer, dropped);
    const bool stillThere = std::any_of(rl->timers.begin(), rl->timers.end(), [&](const auto& entry) {
        return std::any_of(entry.second.begin(), entry.second.end(),
                           [&](const auto& held) { return held.get() == timer; });
    });
    if (!stillThere && timer->runLoop == rl) timer->runLoop = nullptr;
}

CFTypeID CFRunLoopTimerGetTypeID(void)
{
    return platform::detail::kRunLoopTimerTypeID;
}

CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef, CFAbsoluteTime fireDate, CFTimeInterval interval,
                                       CFOptionFlags, CFIndex, CFRunLoopTimerCallBack callout,
                                       CFRunLoopTimerContext* context)
{
    return new __CFRunLoopTimer(fireDate, interval, callout, context);
}

void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer)
{
    TimerList dropped;
    std::lock_guard lock(runLoopLock);
    timer->valid = false;
    if (timer->runLoop) timer->runLoop->removeEverywhere(timer, dropped);
}

Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer)
{
    std::lock_guard lock(runLoopLock);
    return timer->valid;
}

CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timer)
{
    std::lock_guard lock(runLoopLock);
    return timer->fireDate;
}

void CFRunLoopTimerSetNextFireDate(CFRunLoopTimerRef timer, CFAbsoluteTime fireDate)
{
    std::lock_guard lock(runLoopLock);
    if (!timer->valid) return;
    timer->fireDate = fireDate;
    if (timer->runLoop) timer->runLoop->wake();
}
