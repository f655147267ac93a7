#pragma once

// An image: its own Cairo surface (premultiplied ARGB) and the alpha info it
// was described with.

#include <cairo.h>

#include "platform/graphics/CoreGraphics.h"
#include "platform/graphics/PixelFormat.h"
#include "platform/graphics/RefCounted.h"

struct CGImage : platform::detail::RefCounted {
    cairo_surface_t* surface;
    CGImageAlphaInfo alphaInfo;

    CGImage(cairo_surface_t* surface, CGImageAlphaInfo alphaInfo) : surface(surface), alphaInfo(alphaInfo) {}
    ~CGImage() override { cairo_surface_destroy(surface); }
};

namespace platform::detail {

// A new ARGB32 surface of that size, or null (the surface destroyed) when
// Cairo cannot make one.
cairo_surface_t* newSurface(size_t width, size_t height);

// An image of a copy of the pixels (layout and place as described); null
// when memory runs out.
CGImageRef imageFromPixels(const PixelMemory& pixels, bool premultiplied, CGImageAlphaInfo alphaInfo);

// An image taking over surface (or null, destroying it, when memory runs out).
CGImageRef imageFromSurface(cairo_surface_t* surface, CGImageAlphaInfo alphaInfo);

// The surface's pixels as pixman sees them.
PixelMemory surfacePixels(cairo_surface_t* surface);

} // namespace platform::detail
