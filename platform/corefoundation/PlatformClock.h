#pragma once

// The one clock every time-based platform call reads (CFAbsoluteTimeGetCurrent,
// TickCount, run-loop timers and timeouts, listener intervals), and the hook
// that lets tests and the headless event loop replace it by a virtual clock.
//
// The virtual clock moves only when asked: by advanceVirtualClock, or by a
// run loop that runs with a timeout and has nothing to do before its next
// timer or its timeout, which moves the clock straight there instead of
// sleeping (CFRunLoop.h). Switch clocks only while no run loop is running.

#include "platform/corefoundation/CFDate.h"

namespace platform {

// From now on the clock reads `start` until advanced. TickCount counts from
// `start`.
[[gnu::visibility("default")]] void useVirtualClock(CFAbsoluteTime start);
// Back to the real clock.
[[gnu::visibility("default")]] void useRealClock();
// Whether the virtual clock is in use.
[[gnu::visibility("default")]] bool usingVirtualClock();
// Moves the virtual clock forward by `seconds` (ignored for a negative
// amount or the real clock) and wakes every run loop, so that a run waiting
// without a timeout fires what has come due.
[[gnu::visibility("default")]] void advanceVirtualClock(CFTimeInterval seconds);

} // namespace platform
