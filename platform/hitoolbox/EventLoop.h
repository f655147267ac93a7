#pragma once

// What the rest of the library asks of the one event loop.

#include "platform/hitoolbox/CarbonEvents.h"

namespace platform::detail {

// Makes a run of the loop that is waiting look again at the queue and the
// backend's input. Any thread.
void wakeEventLoop();

// Drops the queued events that belong to a window that is going.
void forgetWindowEvents(WindowRef window);

// Whether an event of this class and kind for the window is queued.
bool isQueued(UInt32 eventClass, UInt32 kind, WindowRef window);

} // namespace platform::detail
