#include "toolkit/CVerticalSwitch.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/NumericConversions.h"

CVerticalSwitch::CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                                 CCoord heightOfOneImage, long iMaxPositions, CBitmap* background,
                                 const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset), subPixmaps(subPixmaps),
      heightOfOneImage(heightOfOneImage), iMaxPositions(iMaxPositions)
{
    defaultValue = 0.f;
}

CVerticalSwitch::CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                                 const CPoint& offset)
    : CVerticalSwitch(size, listener, tag, imagesIn(background, size.height()), size.height(),
                      imagesIn(background, size.height()), background, offset)
{
}

bool CVerticalSwitch::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CVerticalSwitch") == 0 || CControl::isTypeOf(name);
}

void CVerticalSwitch::draw(CDrawContext* context)
{
    if (pBackground) {
        const int64_t y = int64_t{positionOf(iMaxPositions)} * heightOfOneImage;
        drawBackground(context, pBackground, CPoint(0, toolkit::clampTo<CCoord>(y)));
    }
    setDirty(false);
}

void CVerticalSwitch::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    trackSwitch(context, where, buttons, iMaxPositions, heightOfOneImage, false);
}
