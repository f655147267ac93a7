#pragma once

// X key symbols as the Macintosh keyboard's key codes.

#include "platform/hitoolbox/CarbonEvents.h"

namespace platform::detail {

struct MacKey {
    // kNoMacKeyCode for a key the Macintosh keyboard lacks.
    UInt32 code;
    // The character the key types by itself; 0 to take the one X gives.
    char character;
};

// Key code 0 is the A key; this one is on no keyboard.
inline constexpr UInt32 kNoMacKeyCode = 0xFFFF;

// The key that makes `keysym` without modifiers (the first symbol of its X
// key code), at its place on a US keyboard.
MacKey macKeyOf(unsigned long keysym);

} // namespace platform::detail
