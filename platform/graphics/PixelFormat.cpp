#include "platform/graphics/PixelFormat.h"

#include <bit>
#include <limits>

static_assert(std::endian::native == std::endian::little,
              "pixel layouts below assume a little-endian machine");

namespace platform::detail {

namespace {

// pixman names a format by its 32-bit value, most significant byte first; on
// a little-endian machine the bytes in memory are in the reverse order.
// Quartz's big-endian (default) order names the memory order.
std::optional<pixman_format_code_t> formatOf(CGImageAlphaInfo alpha, bool little)
{
    switch (alpha) {
    case kCGImageAlphaPremultipliedFirst:
    case kCGImageAlphaFirst:
        return little ? PIXMAN_a8r8g8b8 : PIXMAN_b8g8r8a8;
    case kCGImageAlphaPremultipliedLast:
    case kCGImageAlphaLast:
        return little ? PIXMAN_r8g8b8a8 : PIXMAN_a8b8g8r8;
    case kCGImageAlphaNoneSkipFirst:
        return little ? PIXMAN_x8r8g8b8 : PIXMAN_b8g8r8x8;
    case kCGImageAlphaNoneSkipLast:
        return little ? PIXMAN_r8g8b8x8 : PIXMAN_x8b8g8r8;
    default:
        return std::nullopt;
    }
}

std::optional<pixman_format_code_t> formatOf(CGBitmapInfo info)
{
    if (info & kCGBitmapFloatComponents) return std::nullopt;
    const CGBitmapInfo order = info & kCGBitmapByteOrderMask;
    if (order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Big &&
        order != kCGBitmapByteOrder32Little)
        return std::nullopt;
    return formatOf(info & kCGBitmapAlphaInfoMask, order == kCGBitmapByteOrder32Little);
}

} // namespace

std::optional<pixman_format_code_t> bitmapContextFormat(CGBitmapInfo info)
{
    const CGImageAlphaInfo alpha = info & kCGBitmapAlphaInfoMask;
    // Quartz draws into premultiplied or opaque layouts only.
    if (alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaLast) return std::nullopt;
    return formatOf(info);
}

std::optional<pixman_format_code_t> imageFormat(CGBitmapInfo info, bool* premultiplied)
{
    const CGImageAlphaInfo alpha = info & kCGBitmapAlphaInfoMask;
    *premultiplied = alpha != kCGImageAlphaFirst && alpha != kCGImageAlphaLast;
    return formatOf(info);
}

bool isAddressable(size_t width, size_t height, size_t bytesPerRow)
{
    if (width == 0 || height == 0 || bytesPerRow % 4 != 0 || bytesPerRow / 4 < width) return false;
    // pixman takes sides and strides as int.
    const size_t intMax = static_cast<size_t>(std::numeric_limits<int>::max());
    return width <= intMax && height <= intMax && bytesPerRow <= intMax &&
           height <= std::numeric_limits<size_t>::max() / bytesPerRow;
}

void copyPixels(const PixelMemory& from, const PixelMemory& to, int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0) return;
    auto image = [](const PixelMemory& memory) {
        return pixman_image_create_bits(memory.format, static_cast<int>(memory.width),
                                        static_cast<int>(memory.height), static_cast<uint32_t*>(memory.data),
                                        static_cast<int>(memory.bytesPerRow));
    };
    pixman_image_t* source = image(from);
    pixman_image_t* destination = image(to);
    if (source && destination)
        pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, destination, x, y, 0, 0, x, y, width,
                                 height);
    if (source) pixman_image_unref(source);
    if (destination) pixman_image_unref(destination);
}

void premultiply(uint32_t* pixels, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const uint32_t pixel = pixels[i];
        const uint32_t alpha = pixel >> 24;
        if (alpha == 255) continue;
        auto scale = [alpha](uint32_t channel) { return (channel * alpha + 127) / 255; };
        pixels[i] = (alpha << 24) | (scale((pixel >> 16) & 0xFF) << 16) | (scale((pixel >> 8) & 0xFF) << 8) |
                    scale(pixel & 0xFF);
    }
}

} // namespace platform::detail
