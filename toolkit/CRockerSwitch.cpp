#include "toolkit/CRockerSwitch.h"

#include <cmath>
#include <cstring>

#include "toolkit/MouseButtons.h"

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                             CBitmap* background, const CPoint& offset, long style)
    : CControl(size, listener, tag, background), heightOfOneImage(heightOfOneImage), style(style)
{
    backOffset = offset;
    vmin = -1.f;
    defaultValue = 0.f;
}

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                             const CPoint& offset, long style)
    : CRockerSwitch(size, listener, tag, size.height(), background, offset, style)
{
}

bool CRockerSwitch::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CRockerSwitch") == 0 || CControl::isTypeOf(name);
}

void CRockerSwitch::draw(CDrawContext* context)
{
    // NaN shows the first image.
    const long index = std::isnan(value) || value < 0.f ? 0 : value > 0.f ? 2 : 1;
    drawStackedImage(context, index, heightOfOneImage);
    setDirty(false);
}

void CRockerSwitch::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (!takesClick(context, buttons)) return;

    const bool horizontal = style & kHorizontal;
    Tracking tracking(this);
    beginEdit();
    track(
        context, where, buttons, tracking,
        [&](const CPoint& at, long) {
            const bool firstHalf =
                horizontal ? at.h < size.left + size.width() / 2 : at.v < size.top + size.height() / 2;
            value = firstHalf ? -1.f : 1.f;
        },
        [](long now) { return (now & kPrimaryButton) != 0; });
    value = 0.f;
    if (tracking.frameOpen()) tell(context);
    endEdit();
}

bool CRockerSwitch::onWheel(CDrawContext* context, const CPoint&, float distance)
{
    if (!bMouseEnabled) return false;
    beginEdit();
    value = distance > 0.f ? -1.f : 1.f;
    tell(context);
    value = 0.f;
    tell(context);
    endEdit();
    return true;
}
