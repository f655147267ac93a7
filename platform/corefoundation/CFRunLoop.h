#pragma once

// Run loops and timers: one run loop per thread, made on first use; the main
// run loop is the one of the process's main thread. A run loop runs in one
// mode at a time and then serves only the timers and posted work of that mode
// (or of the common modes, when that mode is one of them).
//
// A run (CFRunLoopRunInMode) repeats passes until it has a reason to return:
// each pass fires the mode's timers that are due, in fire-date order (each at
// most once a pass), then the work posted for the mode before the pass began,
// in posting order. It returns kCFRunLoopRunStopped after CFRunLoopStop,
// kCFRunLoopRunHandledSource after a pass that ran posted work if asked to,
// kCFRunLoopRunFinished when the mode has no timer and no posted work, and
// kCFRunLoopRunTimedOut once its time is up (a run of 0 seconds makes exactly
// one pass). Between passes it sleeps until its next timer, its timeout, or a
// wake-up (posted work, CFRunLoopWakeUp, CFRunLoopStop, a timer added or
// moved).
//
// Time is the platform clock's (PlatformClock.h). On the virtual clock a run
// never sleeps in real time while it has a timeout: with nothing left to do
// in a pass, it moves the clock forward to its next timer or its timeout,
// whichever is first. So CFRunLoopRunInMode(mode, 3.0, false) lets three
// virtual seconds pass at once, and every timer due in them fires at its own
// time, in order, reading that time from the clock. A run without a timeout
// (CFRunLoopRun) does not move the clock: it waits for posted work, a stop,
// or platform::advanceVirtualClock.
//
// Nested runs (a timer callback that runs its run loop again) are allowed; a
// timer does not fire again while its callback runs. CFRunLoopStop ends the
// innermost run in progress on that run loop, and nothing when none is.
//
// Thread safety: every call may come from any thread; a run loop runs only on
// its own thread (CFRunLoopRun and CFRunLoopRunInMode run the current one).
// Callbacks run without any platform lock held, so they may call back in.

#include "platform/corefoundation/CFDate.h"
#include "platform/corefoundation/CoreFoundation.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct __CFRunLoop* CFRunLoopRef;
typedef struct __CFRunLoopTimer* CFRunLoopTimerRef;

typedef SInt32 CFRunLoopRunResult;
enum {
    kCFRunLoopRunFinished = 1,
    kCFRunLoopRunStopped = 2,
    kCFRunLoopRunTimedOut = 3,
    kCFRunLoopRunHandledSource = 4,
};

typedef void (*CFRunLoopTimerCallBack)(CFRunLoopTimerRef timer, void* info);
// retain, when given, is called on info at creation and release when the
// timer is freed; either may be NULL. version must be 0.
typedef struct {
    CFIndex version;
    void* info;
    const void* (*retain)(const void* info);
    void (*release)(const void* info);
    CFStringRef (*copyDescription)(const void* info);
} CFRunLoopTimerContext;

#pragma GCC visibility push(default)

extern const CFStringRef kCFRunLoopDefaultMode;
// Not a mode to run in: a timer added "to the common modes" is in every mode
// marked common, which the default mode always is.
extern const CFStringRef kCFRunLoopCommonModes;

CFTypeID CFRunLoopGetTypeID(void);
// Neither is owned by the caller.
CFRunLoopRef CFRunLoopGetCurrent(void);
CFRunLoopRef CFRunLoopGetMain(void);

// Runs the current run loop in the default mode until it is stopped or has
// nothing left in that mode.
void CFRunLoopRun(void);
// Runs the current run loop in mode for at most `seconds` (negative: 0).
CFRunLoopRunResult CFRunLoopRunInMode(CFStringRef mode, CFTimeInterval seconds,
                                      Boolean returnAfterSourceHandled);
void CFRunLoopStop(CFRunLoopRef rl);
void CFRunLoopWakeUp(CFRunLoopRef rl);
// Marks mode as common: it then also serves the timers of the common modes.
void CFRunLoopAddCommonMode(CFRunLoopRef rl, CFStringRef mode);

// A timer is in at most one run loop, in any number of its modes; the run
// loop retains it there. Adding a timer that is invalid or already in another
// run loop does nothing.
void CFRunLoopAddTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFStringRef mode);
void CFRunLoopRemoveTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFStringRef mode);

CFTypeID CFRunLoopTimerGetTypeID(void);
// Fires first at fireDate, then every `interval` seconds after the previous
// fire date (fire dates missed while the run loop was busy are skipped); an
// interval of 0 or less makes a one-shot timer, invalidated after it fires
// unless its callback set a new fire date. flags and order are ignored.
// context may be NULL.
CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef allocator, CFAbsoluteTime fireDate,
                                       CFTimeInterval interval, CFOptionFlags flags, CFIndex order,
                                       CFRunLoopTimerCallBack callout, CFRunLoopTimerContext* context);
// Stops it for good and takes it out of its run loop.
void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer);
Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer);
CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timer);
// Ignored for an invalid timer.
void CFRunLoopTimerSetNextFireDate(CFRunLoopTimerRef timer, CFAbsoluteTime fireDate);

#pragma GCC visibility pop

#ifdef __cplusplus
}

namespace platform {

// Runs function(context) once on rl's thread, the next time rl runs in mode
// (any common mode for kCFRunLoopCommonModes), after the work posted to it
// before; wakes rl. Posted work counts as a handled source. Work still
// pending when rl is freed is dropped. Takes a lock and allocates: not for
// the audio thread.
[[gnu::visibility("default")]] void performOnRunLoop(CFRunLoopRef rl, CFStringRef mode,
                                                     void (*function)(void*), void* context);

} // namespace platform
#endif
