#include "toolkit/CVerticalSwitch.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/MouseButtons.h"
#include "toolkit/NumericConversions.h"

namespace {

long imagesIn(const CBitmap* background, CCoord heightOfOneImage)
{
    if (!background || heightOfOneImage <= 0) return 0;
    return background->getHeight() / heightOfOneImage;
}

} // namespace

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
        // Values outside 0..1 (NaN among them) show the nearer end image.
        const float val = value > 0.f ? (value < 1.f ? value : 1.f) : 0.f;
        const long position = toolkit::clampTo<long>((iMaxPositions - 1) * val + 0.5f);
        const CPoint where(0, toolkit::clampTo<CCoord>(int64_t{position} * heightOfOneImage));
        drawBackground(context, pBackground, where);
    }
    setDirty(false);
}

void CVerticalSwitch::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (!takesClick(context, buttons)) return;
    if (checkDefaultValue(context, buttons)) return;
    // Without two positions and an image height there is nothing to choose.
    if (iMaxPositions < 2 || heightOfOneImage <= 0) return;

    Tracking tracking(this);
    const float step = static_cast<float>(heightOfOneImage) / static_cast<float>(iMaxPositions);
    const long pressed = buttons;
    beginEdit();
    do {
        value = std::floor((where.v - size.top) / step) / static_cast<float>(iMaxPositions - 1);
        if (value > 1.f)
            value = 1.f;
        else if (value < 0.f)
            value = 0.f;
        reportChange(context);
        getMouseLocation(context, where);
        doIdleStuff();
        buttons = context->getMouseButtons();
    } while (buttons == pressed && tracking.frameOpen());
    endEdit();
}
