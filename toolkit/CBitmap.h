#pragma once

// One image from the plug-in bundle's resources: a PNG decoded with its
// alpha, or a BMP, JPEG (or PNG the platform cannot decode with alpha) drawn
// into a 32-bit pixel map, whose pixels equal to the key colour can be drawn
// transparent. The Quartz image made from it is cached.
//
// Sizes come from decoded files: at most 32767 pixels a side, checked before
// anything is allocated. Main thread only.

#include <cstdint>

#include "platform/corefoundation/CoreFoundation.h"
#include "platform/graphics/CoreGraphics.h"
#include "platform/graphics/QuickDraw.h"
#include "platform/graphics/QuickTime.h"
#include "toolkit/CColor.h"
#include "toolkit/CGeometry.h"
#include "toolkit/CReferenceCounter.h"

class CDrawContext;
class CFrame;

class CBitmap : public CReferenceCounter {
  public:
    // Loads "bmp%05d" of resourceID from gBundleRef's resources.
    explicit CBitmap(int32_t resourceID);
    // An empty (zeroed) 32-bit pixel map of that size; frame may be null.
    CBitmap(CFrame* frame, CCoord width, CCoord height);
    CBitmap();
    ~CBitmap() override;

    // The image part starting at offset, opaque.
    virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    // The same with key-coloured pixels transparent (for images without alpha).
    virtual void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    // Draws the image part starting at offset (a point in the image) into
    // rect, at opacity alpha (255 opaque); only the part of it inside the
    // context's clip is composited.
    virtual void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
                                uint8_t alpha = 128);
    // The cached image with a reference for the caller, made first when
    // there is none: from the pixel map, with the key colour transparent
    // when transparent is true. Null without an image.
    virtual CGImageRef createCGImage(bool transparent = false);
    virtual void dispose();
    // Resource order: png, bmp, jpg, pict; the first that exists is loaded.
    virtual bool loadFromResource(int32_t resourceID);
    // A file named by a file URL with the extension "bmp", "png", "jpg" or "pict".
    virtual bool loadFromPath(CFURLRef url);

    bool isLoaded() const { return pHandle || cgImage; }
    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }
    int32_t getResourceID() const { return resourceID; }
    // For an image without alpha, drops the cached image so that the next
    // draw uses the new key.
    void setTransparentColor(const CColor& color);
    CColor getTransparentColor() const { return transparentCColor; }
    bool getNoAlpha() const { return noAlpha; }
    void setTransparencyMask(CDrawContext*, const CPoint& = CPoint()) {}
    // The pixel map's graphics world, null for an image decoded with alpha.
    GWorldPtr getHandle() const { return pHandle; }

  private:
    bool loadPixelMap(GraphicsImportComponent importer);

    int32_t resourceID = 0;
    CCoord width = 0;
    CCoord height = 0;
    CColor transparentCColor = kTransparentCColor;
    bool noAlpha = true;
    GWorldPtr pHandle = nullptr;
    CGImageRef cgImage = nullptr;
};
