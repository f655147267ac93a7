#pragma once

// The button set of mouse calls (their `long buttons` argument): the buttons
// down and the modifier keys held.

enum CMouseButton : long {
    kPrimaryButton = 1,
    kMiddleButton = 2,
    kSecondaryButton = 4,
    kShiftHeld = 8,
    kCommandHeld = 16,
    kOptionHeld = 32,
    kControlHeld = 64,
};

// Passed for buttons by a caller that has none: the draw context is asked.
inline constexpr long kButtonsFromContext = -1;
