#pragma once

// A key as the toolkit hands it to views: the character, a virtual key code
// (the frame maps the keyboard's key codes to these) and the modifiers held.

#include <cstdint>

enum CKeyModifier : uint8_t {
    kModifierShift = 1,
    kModifierOption = 2,
    kModifierControl = 4,
    kModifierCommand = 8,
};

struct VstKeyCode {
    int32_t character = 0;
    uint8_t virt = 0;
    uint8_t modifier = 0; // CKeyModifier bits
};
