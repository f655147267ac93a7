#include "toolkit/CHorizontalSwitch.h"

#include <cstring>

#include "toolkit/NumericConversions.h"

CHorizontalSwitch::CHorizontalSwitch(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                                     CCoord widthOfOneImage, long iMaxPositions, CBitmap* background,
                                     const CPoint& offset)
    : CControl(size, listener, tag, background), subPixmaps(subPixmaps), widthOfOneImage(widthOfOneImage),
      iMaxPositions(iMaxPositions)
{
    backOffset = offset;
    defaultValue = 0.f;
}

CHorizontalSwitch::CHorizontalSwitch(const CRect& size, CControlListener* listener, long tag,
                                     CBitmap* background, const CPoint& offset)
    : CHorizontalSwitch(size, listener, tag, imagesIn(background, size.width(), true), size.width(),
                        imagesIn(background, size.width(), true), background, offset)
{
}

bool CHorizontalSwitch::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CHorizontalSwitch") == 0 || CControl::isTypeOf(name);
}

void CHorizontalSwitch::draw(CDrawContext* context)
{
    if (pBackground) {
        const int64_t x = backOffset.h + int64_t{positionOf(iMaxPositions)} * widthOfOneImage;
        drawBackground(context, pBackground, CPoint(toolkit::clampTo<CCoord>(x), backOffset.v));
    }
    setDirty(false);
}

void CHorizontalSwitch::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    trackSwitch(context, where, buttons, iMaxPositions, widthOfOneImage, true);
}
