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

// Virtual keys (VstKeyCode::virt); 0 for keys with only a character.
enum CVirtualKey : uint8_t {
    kVKeyBack = 1,
    kVKeyTab = 2,
    kVKeyReturn = 4,
    kVKeyPause = 5,
    kVKeyEscape = 6,
    kVKeySpace = 7,
    kVKeyEnd = 9,
    kVKeyHome = 10,
    kVKeyLeft = 11,
    kVKeyUp = 12,
    kVKeyRight = 13,
    kVKeyDown = 14,
    kVKeyPageUp = 15,
    kVKeyPageDown = 16,
    kVKeyPrint = 18,
    kVKeyEnter = 19,
    kVKeyDelete = 22,
    kVKeyHelp = 23,
    kVKeyNumpad0 = 24, // to kVKeyNumpad0 + 9
    kVKeyMultiply = 34,
    kVKeyAdd = 35,
    kVKeySubtract = 37,
    kVKeyDecimal = 38,
    kVKeyDivide = 39,
    kVKeyF1 = 40, // to kVKeyF1 + 11
    kVKeyNumLock = 52,
    kVKeyEquals = 57,
};
