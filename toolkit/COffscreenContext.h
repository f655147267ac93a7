#pragma once

// A draw context over pixels in memory: its own zeroed buffer (32 bits per
// pixel, premultiplied alpha first), or a bitmap's pixel map drawn in place.
// When the memory or the Quartz context cannot be made it draws nothing.

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"

class COffscreenContext : public CDrawContext {
  public:
    // width x height pixels filled and outlined with backgroundColor.
    COffscreenContext(CFrame* frame, CCoord width, CCoord height,
                      const CColor& backgroundColor = kBlackCColor);
    // The size of bitmap (20 x 20 without one); with drawInBitmap, drawing
    // changes the bitmap's pixel map, locked for the context's life.
    COffscreenContext(CDrawContext* context, CBitmap* bitmap, bool drawInBitmap = false);
    ~COffscreenContext() override;

    CGImageRef getCGImage() override;
    CBitmap* getBitmap() override { return pBitmap; }
    // Ends drawing into the bitmap: the context draws nothing afterwards.
    void releaseBitmap() override;

    // Draws the pixels into context, clipped to destRect, with srcOffset at
    // destRect's top-left corner.
    void copyFrom(CDrawContext* context, const CRect& destRect, const CPoint& srcOffset = CPoint());
    // Copies the bitmap's pixels into context's port (nothing when either is
    // missing): offset in the bitmap to rect in the port.
    void copyTo(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());

    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }
    CColor getBackgroundColor() const { return backgroundColor; }

  private:
    void createBuffer();

    CCoord width;
    CCoord height;
    CBitmap* pBitmap = nullptr;
    CColor backgroundColor = kBlackCColor;
    void* offscreenBitmap = nullptr;
    bool bDestroyPixmap = false;
    GWorldPtr drawnWorld = nullptr; // the bitmap's, while drawing in it
    CGContextRef portContext = nullptr;
};
