#pragma once

#include <cstdint>

// A program: a name of up to 24 bytes (zero-padded; exactly 24 has no
// terminator), one value per parameter, and words the program never reads.
template <uint32_t ParameterCount> struct VokPreset {
    char name[24];
    float values[ParameterCount];
    uint32_t reserved[255];
};
