#pragma once

// The one event loop: its queue, the state of the input taken from it, and
// the pass that takes input, dispatches and redraws.

#include "platform/hitoolbox/CarbonEvents.h"

namespace platform::detail {

struct InputState {
    UInt32 buttons = 0;
    UInt32 modifiers = 0;
    // Where the mouse last was: its window (null when none) and the point in
    // it, and the point in global coordinates.
    WindowRef window = nullptr;
    HIPoint local{};
    HIPoint global{};
};

const InputState& inputState();

// Makes a run of the loop that is waiting look again at the queue and the
// backend's input. Any thread.
void wakeEventLoop();

// Drops the queued events that belong to a window that is going.
void forgetWindowEvents(WindowRef window);

} // namespace platform::detail
