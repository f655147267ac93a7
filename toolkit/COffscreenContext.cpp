#include "toolkit/COffscreenContext.h"

#include <cstdlib>

#include "toolkit/QuartzStatics.h"
#include "toolkit/QuickDrawConversions.h"

namespace {

constexpr CCoord kMaxSide = 32767;

} // namespace

COffscreenContext::COffscreenContext(CFrame* frame, CCoord width, CCoord height,
                                     const CColor& backgroundColor)
    : CDrawContext(frame, nullptr, nullptr), width(width), height(height), backgroundColor(backgroundColor)
{
    createBuffer();
    if (!gCGContext) return;
    const CRect all(0, 0, width, height);
    setFillColor(backgroundColor);
    fillRect(all);
    setFrameColor(backgroundColor);
    drawRect(all);
}

COffscreenContext::COffscreenContext(CDrawContext* context, CBitmap* bitmap, bool drawInBitmap)
    : CDrawContext(context ? context->getFrame() : nullptr, nullptr, nullptr),
      width(bitmap ? bitmap->getWidth() : 20), height(bitmap ? bitmap->getHeight() : 20), pBitmap(bitmap)
{
    if (pBitmap) pBitmap->remember();
    if (drawInBitmap && pBitmap && pBitmap->getHandle()) {
        drawnWorld = pBitmap->getHandle();
        LockPixels(GetGWorldPixMap(drawnWorld));
        clipRect = CRect(0, 0, width, height);
        if (QDBeginCGContext(drawnWorld, &portContext) == noErr) attachCGContext(portContext, height);
    } else {
        createBuffer();
    }
}

COffscreenContext::~COffscreenContext()
{
    releaseBitmap();
    detachCGContext();
    if (bDestroyPixmap) std::free(offscreenBitmap);
    if (pBitmap) pBitmap->forget();
}

void COffscreenContext::createBuffer()
{
    clipRect = CRect(0, 0, width, height);
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return;
    offscreenBitmap = std::calloc(size_t(width) * size_t(height), 4);
    if (!offscreenBitmap) return;
    bDestroyPixmap = true;
    CGContextRef context =
        CGBitmapContextCreate(offscreenBitmap, size_t(width), size_t(height), 8, size_t(width) * 4,
                              _gQuartzStatics.colorSpace(), kCGImageAlphaPremultipliedFirst);
    if (!context) return;
    attachCGContext(context, height);
    CGContextRelease(context);
}

void COffscreenContext::releaseBitmap()
{
    if (!drawnWorld) return;
    detachCGContext();
    if (portContext) QDEndCGContext(drawnWorld, &portContext);
    UnlockPixels(GetGWorldPixMap(drawnWorld));
    drawnWorld = nullptr;
}

CGImageRef COffscreenContext::getCGImage()
{
    if (!gCGContext) return nullptr;
    synchronizeCGContext();
    return CGBitmapContextCreateImage(gCGContext);
}

void COffscreenContext::copyFrom(CDrawContext* context, const CRect& destRect, const CPoint& srcOffset)
{
    if (!context || !context->getCGContext()) return;
    CGImageRef image = getCGImage();
    if (!image) return;
    CRect destination = destRect;
    destination.offset(context->getOffset().h, context->getOffset().v);
    CGContextRef quartz = context->beginCGContext(true);
    CGContextClipToRect(
        quartz, CGRectMake(destination.left, destination.top, destination.width(), destination.height()));
    context->drawCGImage(image,
                         CRect(destination.topLeft(), width, height).offset(-srcOffset.h, -srcOffset.v));
    context->releaseCGContext(quartz);
    CGImageRelease(image);
}

void COffscreenContext::copyTo(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    CGrafPtr port = context ? context->getPort() : nullptr;
    if (!port || !pBitmap || !pBitmap->getHandle()) return;
    Rect source{};
    Rect destination{};
    CRect2Rect(CRect(offset, rect.width(), rect.height()), source);
    CRect2Rect(CRect(rect).offset(context->getOffset().h, context->getOffset().v), destination);

    CGrafPtr savedPort = nullptr;
    GDHandle savedDevice = nullptr;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(port, nullptr);
    RGBColor savedFore{};
    RGBColor savedBack{};
    GetForeColor(&savedFore);
    GetBackColor(&savedBack);
    const RGBColor black{0, 0, 0};
    const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF};
    RGBForeColor(&black);
    RGBBackColor(&white);
    CopyBits(GetPortBitMapForCopyBits(pBitmap->getHandle()), GetPortBitMapForCopyBits(port), &source,
             &destination, srcCopy, nullptr);
    RGBForeColor(&savedFore);
    RGBBackColor(&savedBack);
    SetGWorld(savedPort, savedDevice);
}
