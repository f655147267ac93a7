#pragma once

// The window system that shows the toolbox's windows and brings the user's
// input, chosen once by the program, on the main thread, before its first
// window:
// - headless: no display (Headless.h). It is the one in use until another
//   is chosen, so that tests and programs that only draw never need a
//   display.
// - X11: each window an X11 window on a display, shown at an integer scale
//   (2 for high-density screens: the window is twice as large, and points
//   given to the toolbox stay the same). Buttons 1, 3 and 2 are the
//   primary, secondary and tertiary buttons; 4 to 7 turn the wheel up,
//   down, left and right (deltas 1, -1 on the vertical axis, 1, -1 on the
//   horizontal one). Shift, Control, Alt (Mod1) and Super (Mod4) are the
//   shift, control, option and command modifiers, Lock the caps lock. Keys
//   carry the Macintosh key code of the key at that place on a US keyboard
//   and the character typed (Macintosh control characters for return,
//   arrows and the like). The window manager's close button sends the
//   window close event.
// - automatic: X11 when the display opens, headless otherwise.
//
// A program with its own main loop (a host showing a plug-in's editor)
// does not hand it to the toolbox: it makes the editor's window inside one
// of its own with createEmbeddedWindow, and calls processPending whenever
// connectionNumber() is readable and at least every few tens of
// milliseconds, for the timers.

#include <cstdint>

#include "platform/hitoolbox/HIToolbox.h"

namespace platform::windowsystem {

enum class Kind { headless, x11, automatic };

// displayName null means $DISPLAY; scale 0 means the screen's (Xft.dpi / 96,
// rounded, at least 1). False, with nothing changed, while windows exist or
// when X11 alone was asked for and its display does not open.
[[gnu::visibility("default")]] bool choose(Kind kind, const char* displayName = nullptr, int scale = 0);
// headless or x11.
[[gnu::visibility("default")]] Kind current();
[[gnu::visibility("default")]] int scale();
// The descriptor that is readable when input arrives; -1 for headless.
[[gnu::visibility("default")]] int connectionNumber();
// Takes the input that arrived, sends its events, fires the timers that
// are due and redraws; never waits.
[[gnu::visibility("default")]] void processPending();
// A window whose content lives inside `parent` (an X11 window identifier),
// at contentBounds in the parent's coordinates; otherwise as
// CreateNewWindow. paramErr for a parent that does not exist. Headless, the
// parent is not consulted.
[[gnu::visibility("default")]] OSStatus createEmbeddedWindow(uintptr_t parent, WindowClass windowClass,
                                                             WindowAttributes attributes,
                                                             const Rect* contentBounds, WindowRef* outWindow);

} // namespace platform::windowsystem
