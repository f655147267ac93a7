#pragma once

// Theme cursors: one cursor for the process, shown by the window backend
// over its windows.
//
// Main thread only.

#include "platform/hitoolbox/CarbonEvents.h"

using ThemeCursor = UInt32;

enum : ThemeCursor {
    kThemeArrowCursor = 0,
    kThemeCopyArrowCursor = 1,
    kThemeAliasArrowCursor = 2,
    kThemeContextualMenuArrowCursor = 3,
    kThemeIBeamCursor = 4,
    kThemeCrossCursor = 5,
    kThemePlusCursor = 6,
    kThemeWatchCursor = 7,
    kThemeClosedHandCursor = 8,
    kThemeOpenHandCursor = 9,
    kThemePointingHandCursor = 10,
    kThemeCountingUpHandCursor = 11,
    kThemeCountingDownHandCursor = 12,
    kThemeCountingUpAndDownHandCursor = 13,
    kThemeSpinningCursor = 14,
    kThemeResizeLeftCursor = 15,
    kThemeResizeRightCursor = 16,
    kThemeResizeLeftRightCursor = 17,
    kThemeNotAllowedCursor = 18,
    kThemeResizeUpCursor = 19,
    kThemeResizeDownCursor = 20,
    kThemeResizeUpDownCursor = 21,
    kThemePoofCursor = 22,
};

inline constexpr OSStatus themeBadCursorIndexErr = -30566;

#pragma GCC visibility push(default)
extern "C" {

// themeBadCursorIndexErr (and no change) for a cursor not listed above.
OSStatus SetThemeCursor(ThemeCursor inCursor);
// The arrow.
void InitCursor(void);

} // extern "C"
#pragma GCC visibility pop
