#pragma once

// Reading what was drawn, and writing image files for bitmaps to load.

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "toolkit/CColor.h"
#include "toolkit/CDrawContext.h"

namespace toolkit::test {

// The pixel at (x, y), y downwards, of a context drawing into a bitmap
// (bytes alpha, red, green, blue); alpha 255 where opaque.
inline CColor pixelAt(CDrawContext& context, int x, int y)
{
    CGContextRef quartz = context.getCGContext();
    const auto* bytes = static_cast<const uint8_t*>(CGBitmapContextGetData(quartz));
    const uint8_t* pixel = bytes + size_t(y) * CGBitmapContextGetBytesPerRow(quartz) + size_t(x) * 4;
    return {pixel[1], pixel[2], pixel[3], pixel[0]};
}

// The first and last column (or row) of area that holds a pixel other than
// background; {-1, -1} when none.
struct Span {
    int first = -1;
    int last = -1;
};

enum class Axis { columns, rows };

inline Span ink(CDrawContext& context, const CRect& area, const CColor& background, Axis axis)
{
    const bool columns = axis == Axis::columns;
    Span span;
    for (int line = columns ? area.left : area.top; line < (columns ? area.right : area.bottom); ++line)
        for (int across = columns ? area.top : area.left; across < (columns ? area.bottom : area.right);
             ++across)
            if (pixelAt(context, columns ? line : across, columns ? across : line) != background) {
                if (span.first < 0) span.first = line;
                span.last = line;
                break;
            }
    return span;
}

using PixelSource = std::function<CColor(int x, int y)>;

// A PNG with alpha, written by Cairo.
inline void writePNG(const std::filesystem::path& path, int width, int height, const PixelSource& source)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const CColor c = source(x, y);
            const auto premultiply = [&](uint8_t v) { return uint32_t((v * c.alpha + 127) / 255); };
            reinterpret_cast<uint32_t*>(data + y * stride)[x] =
                uint32_t(c.alpha) << 24 | premultiply(c.red) << 16 | premultiply(c.green) << 8 |
                premultiply(c.blue);
        }
    cairo_surface_mark_dirty(surface);
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
}

// A 24-bit BMP (rows bottom-up, padded to four bytes).
inline void writeBMP(const std::filesystem::path& path, int width, int height, const PixelSource& source)
{
    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u;
    std::vector<uint8_t> file(54 + size_t(rowBytes) * height);
    const auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    file[26] = 1;  // planes
    file[28] = 24; // bits per pixel
    put32(34, rowBytes * uint32_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const CColor c = source(x, y);
            uint8_t* pixel = &file[54 + size_t(height - 1 - y) * rowBytes + size_t(x) * 3];
            pixel[0] = c.blue;
            pixel[1] = c.green;
            pixel[2] = c.red;
        }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
}

} // namespace toolkit::test
