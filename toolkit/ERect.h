#pragma once

// The editor's rectangle as the host reads it: four 16-bit edges.

#include <cstdint>

#include "toolkit/CGeometry.h"

struct ERect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
};

namespace toolkit {

// Each edge clamped to the 16-bit range.
constexpr ERect toERect(const CRect& rect)
{
    return {clampTo<int16_t>(int64_t{rect.top}), clampTo<int16_t>(int64_t{rect.left}),
            clampTo<int16_t>(int64_t{rect.bottom}), clampTo<int16_t>(int64_t{rect.right})};
}

constexpr CRect toCRect(const ERect& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace toolkit
