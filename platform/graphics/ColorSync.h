#pragma once

// ColorSync profiles, which do not exist here: the toolkit asks for a
// generic RGB profile file that no Linux system has, and draws in device RGB
// when it cannot be opened (see CGColorSpaceCreateWithPlatformColorSpace).

#include <cstdint>

#include "platform/components/Components.h"

struct OpaqueCMProfileRef;
using CMProfileRef = OpaqueCMProfileRef*;

inline constexpr int16_t cmPathBasedProfile = 5;
inline constexpr OSErr cmProfileNotFound = -43;

struct CMPathLocation {
    char path[256];
};

struct CMProfileLocation {
    int16_t locType;
    union {
        CMPathLocation pathLoc;
    } u;
};

#pragma GCC visibility push(default)
extern "C" {

// Always cmProfileNotFound, with *prof set to null.
OSErr CMOpenProfile(CMProfileRef* prof, const CMProfileLocation* theProfile);
// No profile can have been opened: paramErr.
OSErr CMCloseProfile(CMProfileRef prof);

} // extern "C"
#pragma GCC visibility pop
