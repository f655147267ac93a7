#include "platform/graphics/CGImage.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/graphics/CGDataProvider.h"

using namespace platform::detail;

namespace platform::detail {

cairo_surface_t* newSurface(size_t width, size_t height)
{
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) return nullptr;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return surface;
}

PixelMemory surfacePixels(cairo_surface_t* surface)
{
    return {PIXMAN_a8r8g8b8, cairo_image_surface_get_data(surface),
            static_cast<size_t>(cairo_image_surface_get_width(surface)),
            static_cast<size_t>(cairo_image_surface_get_height(surface)),
            static_cast<size_t>(cairo_image_surface_get_stride(surface))};
}

CGImageRef imageFromSurface(cairo_surface_t* surface, CGImageAlphaInfo alphaInfo)
{
    auto* image = new (std::nothrow) CGImage(surface, alphaInfo);
    if (!image) cairo_surface_destroy(surface);
    return image;
}

CGImageRef imageFromPixels(const PixelMemory& pixels, bool premultiplied, CGImageAlphaInfo alphaInfo)
{
    cairo_surface_t* surface = newSurface(pixels.width, pixels.height);
    if (!surface) return nullptr;
    const PixelMemory target = surfacePixels(surface);
    copyPixels(pixels, target, 0, 0, static_cast<int>(pixels.width), static_cast<int>(pixels.height));
    if (!premultiplied) {
        for (size_t row = 0; row < target.height; ++row)
            premultiply(reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(target.data) +
                                                    row * target.bytesPerRow),
                        target.width);
    }
    cairo_surface_mark_dirty(surface);
    return imageFromSurface(surface, alphaInfo);
}

} // namespace platform::detail

CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat decode[], bool, CGColorRenderingIntent)
{
    if (bitsPerComponent != 8 || bitsPerPixel != 32 || decode || !provider) return nullptr;
    if (space && CGColorSpaceGetNumberOfComponents(space) != 3) return nullptr;
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) return nullptr;
    const size_t rowLength = width * 4;
    if (bytesPerRow < rowLength) return nullptr;
    bool premultiplied = false;
    const auto format = imageFormat(bitmapInfo, &premultiplied);
    if (!format) return nullptr;

    // The provider's rows, without their padding, which is skipped.
    std::vector<unsigned char> rows;
    try {
        rows.resize(rowLength * height);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    provider->rewind();
    for (size_t row = 0; row < height; ++row) {
        if (provider->read(rows.data() + row * rowLength, rowLength) != rowLength) return nullptr;
        if (row + 1 < height && bytesPerRow > rowLength && !provider->skip(bytesPerRow - rowLength))
            return nullptr;
    }
    const PixelMemory pixels{*format, rows.data(), width, height, rowLength};
    return imageFromPixels(pixels, premultiplied, bitmapInfo & kCGBitmapAlphaInfoMask);
}

CGImageRef CGImageCreateWithImageInRect(CGImageRef image, CGRect rect)
{
    if (!image || CGRectIsNull(rect)) return nullptr;
    const PixelMemory from = surfacePixels(image->surface);
    rect = CGRectStandardize(rect);
    // Rounded outwards, then cut to the image; doubles keep huge or
    // non-finite rectangles away from integer conversions.
    const double left = std::max(0.0, std::floor(rect.origin.x));
    const double top = std::max(0.0, std::floor(rect.origin.y));
    const double right =
        std::min(static_cast<double>(from.width), std::ceil(rect.origin.x + rect.size.width));
    const double bottom =
        std::min(static_cast<double>(from.height), std::ceil(rect.origin.y + rect.size.height));
    if (!(left < right && top < bottom)) return nullptr;
    const auto x = static_cast<size_t>(left);
    const auto y = static_cast<size_t>(top);
    const auto width = static_cast<size_t>(right - left);
    const auto height = static_cast<size_t>(bottom - top);

    cairo_surface_t* surface = newSurface(width, height);
    if (!surface) return nullptr;
    const PixelMemory to = surfacePixels(surface);
    cairo_surface_flush(image->surface);
    for (size_t row = 0; row < height; ++row)
        std::memcpy(static_cast<unsigned char*>(to.data) + row * to.bytesPerRow,
                    static_cast<const unsigned char*>(from.data) + (y + row) * from.bytesPerRow + x * 4,
                    width * 4);
    cairo_surface_mark_dirty(surface);
    return imageFromSurface(surface, image->alphaInfo);
}

CGImageRef CGImageRetain(CGImageRef image)
{
    return retain(image);
}

void CGImageRelease(CGImageRef image)
{
    release(image);
}

size_t CGImageGetWidth(CGImageRef image)
{
    return image ? static_cast<size_t>(cairo_image_surface_get_width(image->surface)) : 0;
}

size_t CGImageGetHeight(CGImageRef image)
{
    return image ? static_cast<size_t>(cairo_image_surface_get_height(image->surface)) : 0;
}

CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image)
{
    return image ? image->alphaInfo : CGImageAlphaInfo{kCGImageAlphaNone};
}
