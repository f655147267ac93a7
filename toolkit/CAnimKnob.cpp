#include "toolkit/CAnimKnob.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/NumericConversions.h"

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                     CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKnob(size, listener, tag, background, nullptr, offset), subPixmaps(static_cast<short>(subPixmaps)),
      heightOfOneImage(heightOfOneImage)
{
    inset = 0;
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                     const CPoint& offset)
    : CAnimKnob(size, listener, tag, static_cast<short>(imagesIn(background, size.height())), size.height(),
                background, offset)
{
}

bool CAnimKnob::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CAnimKnob") == 0 || CKnob::isTypeOf(name);
}

bool CAnimKnob::isDirty() const
{
    if (!bDirty) {
        CPoint point;
        valueToPoint(point);
        if (point == lastDrawnPoint) return false;
    }
    return CKnob::isDirty();
}

void CAnimKnob::draw(CDrawContext* context)
{
    // NaN and negative values show the first image, values above 1 the
    // last; without image height or a second image there is only the first.
    CPoint where(0, 0);
    if (value >= 0.f && heightOfOneImage > 0 && subPixmaps > 1) {
        const float val = value > 1.f ? 1.f : value;
        const float span = static_cast<float>(subPixmaps - 1) * static_cast<float>(heightOfOneImage);
        const CCoord y = toolkit::clampTo<CCoord>((bInverseBitmap ? 1.f - val : val) * span);
        where.v = y / heightOfOneImage * heightOfOneImage;
    }
    if (pBackground) drawBackground(context, pBackground, where);
    valueToPoint(lastDrawnPoint);
    setDirty(false);
}
