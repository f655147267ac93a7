#include "toolkit/CAutoAnimation.h"

#include <cmath>
#include <cstring>

#include "toolkit/NumericConversions.h"

CAutoAnimation::CAutoAnimation(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                               CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), subPixmaps(subPixmaps), heightOfOneImage(heightOfOneImage)
{
    backOffset = offset;
}

CAutoAnimation::CAutoAnimation(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                               const CPoint& offset)
    : CAutoAnimation(size, listener, tag, imagesIn(background, size.height()), size.height(), background,
                     offset)
{
}

bool CAutoAnimation::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CAutoAnimation") == 0 || CControl::isTypeOf(name);
}

CCoord CAutoAnimation::lastImage() const
{
    if (subPixmaps < 1 || heightOfOneImage <= 0) return -1;
    return toolkit::clampTo<CCoord>((int64_t{subPixmaps} - 1) * heightOfOneImage);
}

void CAutoAnimation::draw(CDrawContext* context)
{
    if (bWindowOpened && pBackground) {
        // Offsets outside the strip (NaN among them) show its first image.
        const CCoord y = value >= 0.f && value <= lastImage() ? toolkit::clampTo<CCoord>(value) : 0;
        drawBackground(context, pBackground,
                       CPoint(backOffset.h, toolkit::clampTo<CCoord>(int64_t{backOffset.v} + y)));
    }
    setDirty(false);
}

void CAutoAnimation::mouse(CDrawContext* context, CPoint&, long buttons)
{
    if (!takesClick(context, buttons)) return;
    if (bWindowOpened) {
        closeWindow();
        return;
    }
    openWindow();
    value = 0.f;
    reportEdit(context);
}

void CAutoAnimation::openWindow()
{
    bWindowOpened = true;
    setDirty();
}

void CAutoAnimation::closeWindow()
{
    bWindowOpened = false;
    setDirty();
}

void CAutoAnimation::nextPixmap()
{
    const CCoord last = lastImage();
    if (last < 0) return;
    value = std::isnan(value) || value + heightOfOneImage > last ? 0.f : value + heightOfOneImage;
}

void CAutoAnimation::previousPixmap()
{
    const CCoord last = lastImage();
    if (last < 0) return;
    value = std::isnan(value) || value - heightOfOneImage < 0.f ? static_cast<float>(last)
                                                                : value - heightOfOneImage;
}
