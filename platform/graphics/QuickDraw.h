#pragma once

// The QuickDraw records the toolkit converts its geometry and colours to,
// with their published layouts.

#include <cstdint>

struct Point {
    int16_t v, h;
};

struct Rect {
    int16_t top, left, bottom, right;
};

struct RGBColor {
    uint16_t red, green, blue;
};
