#pragma once

// The keyboard layout: Macintosh key codes to characters, for a US
// keyboard. The layout's character data is an opaque table that
// KeyTranslate reads; it is the only layout there is.
//
// Main thread only.

#include "platform/hitoolbox/CarbonEvents.h"

using KeyboardLayoutRef = struct OpaqueKeyboardLayoutRef*;
using KeyboardLayoutPropertyTag = UInt32;

// GetScriptManagerVariable selectors.
enum : SInt16 {
    smKeyScript = 22,
    smKCHRCache = 38,
};

// KLGetKeyboardLayoutProperty tags: the character data KeyTranslate takes,
// the layout's identifier (SInt32) and name (CFStringRef, not retained).
enum : KeyboardLayoutPropertyTag {
    kKLKCHRData = 0,
    kKLuchrData = 1,
    kKLIdentifier = 2,
    kKLName = 4,
};

inline constexpr SInt32 kKLUSKeyboardLayout = 0;
inline constexpr OSStatus kKLUnsupportedPropertyErr = -50;

#pragma GCC visibility push(default)
extern "C" {

// smKCHRCache: the current layout's character data (as a long); smKeyScript:
// 0, the Roman script. Anything else: 0.
long GetScriptManagerVariable(short selector);

OSStatus KLGetCurrentKeyboardLayout(KeyboardLayoutRef* oKeyboardLayout);
// kKLUnsupportedPropertyErr for kKLuchrData and unknown tags.
OSStatus KLGetKeyboardLayoutProperty(KeyboardLayoutRef iKeyboardLayout,
                                     KeyboardLayoutPropertyTag iPropertyTag, const void** oValue);

// keycode: the key code in bits 0 to 6, bit 7 set for a key release, the
// modifier bits (shiftKey, alphaLock, optionKey, controlKey, cmdKey) in
// bits 8 to 15. The character in the low byte of the result, 0 for a key
// without one or for null character data; state is left at 0 (no dead
// keys). Shift and caps lock give capitals; shift also the upper symbols.
UInt32 KeyTranslate(const void* transData, UInt16 keycode, UInt32* state);

} // extern "C"
#pragma GCC visibility pop
