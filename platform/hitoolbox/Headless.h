#pragma once

// The headless window backend's controls, for tests and for hosts that draw
// windows without a display: scripted input and pictures of windows.
//
// Scripted input is queued in order; each piece comes due one input
// interval after the one queued before it, or at once when none is queued
// or that time has passed,
// so that a loop running on the virtual clock sees it arrive over time, as
// a tracking loop would. Locations are in the window's coordinates; key
// codes are the Macintosh keyboard's.

#include <cstddef>

#include "platform/hitoolbox/CarbonEvents.h"

namespace platform::headless {

// The time between two scripted pieces of input.
inline constexpr CFTimeInterval kInputInterval = 0.01;

[[gnu::visibility("default")]] void mouseDown(WindowRef window, CGFloat x, CGFloat y,
                                              EventMouseButton button = kEventMouseButtonPrimary,
                                              UInt32 modifiers = 0, UInt32 clickCount = 1);
[[gnu::visibility("default")]] void mouseUp(WindowRef window, CGFloat x, CGFloat y,
                                            EventMouseButton button = kEventMouseButtonPrimary,
                                            UInt32 modifiers = 0);
// A drag while a scripted button is down.
[[gnu::visibility("default")]] void mouseMove(WindowRef window, CGFloat x, CGFloat y, UInt32 modifiers = 0);
[[gnu::visibility("default")]] void wheel(WindowRef window, CGFloat x, CGFloat y, EventMouseWheelAxis axis,
                                          SInt32 delta, UInt32 modifiers = 0);
[[gnu::visibility("default")]] void keyDown(WindowRef window, UInt32 keyCode, char charCode,
                                            UInt32 modifiers = 0);
[[gnu::visibility("default")]] void keyUp(WindowRef window, UInt32 keyCode, char charCode,
                                          UInt32 modifiers = 0);
// The user closing the window: the window close event.
[[gnu::visibility("default")]] void close(WindowRef window);
// The next piece of input comes `seconds` later than it would.
[[gnu::visibility("default")]] void pause(CFTimeInterval seconds);
// Scripted input not yet taken by the event loop.
[[gnu::visibility("default")]] size_t pendingInput();
// Drops it.
[[gnu::visibility("default")]] void clearInput();

// How many times the window's backing store was presented: once after
// each pass of the event loop that drew into it while it was visible.
[[gnu::visibility("default")]] unsigned presentations(WindowRef window);

// The pixel at (x, y) of the window's backing store as 0xAARRGGBB,
// premultiplied; 0 outside it.
[[gnu::visibility("default")]] uint32_t pixel(WindowRef window, int x, int y);
// Writes the backing store to a PNG file.
[[gnu::visibility("default")]] bool writePNG(WindowRef window, const char* path);

} // namespace platform::headless
