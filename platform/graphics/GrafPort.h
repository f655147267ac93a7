#pragma once

// A port: a 32-bit pixel map (A, R, G, B bytes) with its colours and the
// Quartz context begun on it, if any.

#include "platform/graphics/QuickDraw.h"

// Ports register themselves so that CopyBits knows a port's pixel map;
// the toolbox library makes ports of its own.
struct [[gnu::visibility("default")]] OpaqueGrafPtr
{
    PixMap pixMap{};
    // What a PixMapHandle points to.
    PixMap* pixMapPointer = &pixMap;
    bool ownsPixels = false;
    int lockCount = 0;
    RGBColor foreColor{0, 0, 0};
    RGBColor backColor{0xFFFF, 0xFFFF, 0xFFFF};
    CGContextRef begunContext = nullptr;
    // How many times the pixels were drawn into through the port (a Quartz
    // context begun on it ended, CopyBits into it): a window shows what was
    // drawn.
    unsigned drawings = 0;
    // The layout a Quartz context begun on the port is given.
    CGBitmapInfo contextInfo = kCGImageAlphaPremultipliedFirst;

    OpaqueGrafPtr();
    ~OpaqueGrafPtr();
    OpaqueGrafPtr(const OpaqueGrafPtr&) = delete;
    OpaqueGrafPtr& operator=(const OpaqueGrafPtr&) = delete;

    size_t rowBytes() const
    {
        return static_cast<size_t>(pixMap.rowBytes & 0x3FFF);
    }
    size_t width() const
    {
        return static_cast<size_t>(pixMap.bounds.right - pixMap.bounds.left);
    }
    size_t height() const
    {
        return static_cast<size_t>(pixMap.bounds.bottom - pixMap.bounds.top);
    }
};

namespace platform::detail {

// The port whose pixel map pm is; null for null.
OpaqueGrafPtr* portOf(PixMapHandle pm);

// A Quartz context on the port's pixels (see QDBeginCGContext), owned by
// the caller; null when it cannot be made.
CGContextRef newPortContext(OpaqueGrafPtr* port);

} // namespace platform::detail
