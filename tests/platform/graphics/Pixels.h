#pragma once

// A bitmap context on memory the test owns, read back pixel by pixel.

#include <cstdint>
#include <vector>

#include "platform/graphics/CoreGraphics.h"

struct Canvas {
    int width, height;
    std::vector<uint32_t> memory;
    CGContextRef context;

    Canvas(int width, int height, CGBitmapInfo info = kCGImageAlphaPremultipliedFirst)
        : width(width), height(height), memory(static_cast<size_t>(width * height)),
          context(CGBitmapContextCreate(memory.data(), static_cast<size_t>(width),
                                        static_cast<size_t>(height), 8, static_cast<size_t>(width) * 4,
                                        nullptr, info))
    {
    }
    ~Canvas() { CGContextRelease(context); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    const uint8_t* bytes(int x, int row) const
    {
        return reinterpret_cast<const uint8_t*>(memory.data() + static_cast<size_t>(row * width + x));
    }
    // 0xAARRGGBB of the pixel in column x, row `row` from the top, for the
    // default layout (bytes A, R, G, B).
    uint32_t argb(int x, int row) const
    {
        const uint8_t* b = bytes(x, row);
        return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
    }
    uint8_t alpha(int x, int row) const { return bytes(x, row)[0]; }

    // The toolkit's view: origin top-left, y downwards.
    void flip()
    {
        CGContextTranslateCTM(context, 0, height);
        CGContextScaleCTM(context, 1, -1);
    }

    // Rows (top-down) and columns holding any pixel with alpha; -1 when none.
    struct Ink {
        int left = -1, top = -1, right = -1, bottom = -1;
    };
    Ink ink() const
    {
        Ink box;
        for (int row = 0; row < height; ++row)
            for (int x = 0; x < width; ++x)
                if (alpha(x, row)) {
                    if (box.left < 0 || x < box.left) box.left = x;
                    if (box.top < 0) box.top = row;
                    if (x > box.right) box.right = x;
                    box.bottom = row;
                }
        return box;
    }
};
