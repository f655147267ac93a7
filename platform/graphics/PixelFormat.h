#pragma once

// The 32-bit pixel layouts Quartz callers hand over, as pixman formats, and
// copies between them and Cairo's own (native-endian premultiplied ARGB).

#include <pixman.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/graphics/CoreGraphics.h"

namespace platform::detail {

// Pixels in memory: the layout and where they are.
struct PixelMemory {
    pixman_format_code_t format;
    void* data;
    size_t width, height, bytesPerRow;
};

// The format of a 32-bit, 8-bit-per-component bitmap with this info;
// nothing for one the platform does not draw into (non-premultiplied or
// alpha-only layouts, 16-bit byte orders, float components).
std::optional<pixman_format_code_t> bitmapContextFormat(CGBitmapInfo info);
// The same for image data, which may also be non-premultiplied; premultiplied
// tells which (pixman formats are all premultiplied).
std::optional<pixman_format_code_t> imageFormat(CGBitmapInfo info, bool* premultiplied);

// Whether memory's rows can be handed to pixman: 4-byte aligned, a row
// covering width pixels, the whole in a size_t.
bool isAddressable(size_t width, size_t height, size_t bytesPerRow);

// Copies the rectangle (x, y, width, height) of from to the same place in to,
// converting the layout. Both must be at least that large.
void copyPixels(const PixelMemory& from, const PixelMemory& to, int x, int y, int width, int height);

// Multiplies colour by alpha in place, for rows of Cairo pixels that were
// filled with straight (non-premultiplied) colour.
void premultiply(uint32_t* pixels, size_t count);

} // namespace platform::detail

namespace platform::detail {

// Largest side of an image, a bitmap context or a decoded file.
inline constexpr size_t kMaxImageSide = 32767;

} // namespace platform::detail
