#pragma once

// The button set of mouse calls (their `long buttons` argument): the buttons
// down and the modifier keys held.

#include <cstdint>

#include "platform/hitoolbox/CarbonEvents.h"

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

namespace toolkit {

// The modifier keys of a toolbox modifier set, as mouse button bits.
constexpr long modifierButtons(uint32_t modifiers)
{
    long buttons = 0;
    if (modifiers & cmdKey) buttons |= kCommandHeld;
    if (modifiers & shiftKey) buttons |= kShiftHeld;
    if (modifiers & optionKey) buttons |= kOptionHeld;
    if (modifiers & controlKey) buttons |= kControlHeld;
    return buttons;
}

} // namespace toolkit
