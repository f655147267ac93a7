#include "toolkit/CSlider.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/MouseButtons.h"
#include "toolkit/NumericConversions.h"

CSlider::CSlider(const CRect& size, CControlListener* listener, long tag, long iMinPos, long iMaxPos,
                 CBitmap* handle, CBitmap* background, const CPoint& offset, long style)
    : CControl(size, listener, tag, background),
      rangeHandle(toolkit::clampTo<CCoord>(int64_t{iMaxPos} - iMinPos)),
      minPos(toolkit::clampTo<CCoord>(int64_t{iMinPos} - (style & kHorizontal ? size.left : size.top))),
      style(style)
{
    backOffset = offset;
    setHandle(handle);
}

CSlider::~CSlider()
{
    if (pHandle) pHandle->forget();
}

bool CSlider::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CSlider") == 0 || CControl::isTypeOf(name);
}

void CSlider::setHandle(CBitmap* handle)
{
    if (handle) handle->remember();
    if (pHandle) pHandle->forget();
    pHandle = handle;
    widthOfSlider = pHandle ? pHandle->getWidth() : 1;
    heightOfSlider = pHandle ? pHandle->getHeight() : 1;
    setDirty();
}

void CSlider::setOffsetHandle(const CPoint& offset)
{
    offsetHandle = offset;
    setDirty();
}

void CSlider::setDrawTransparentHandle(bool val)
{
    bDrawTransparentHandle = val;
    setDirty();
}

CRect CSlider::handleRect() const
{
    // NaN and values outside 0..1 stop at an end of the track; a track
    // without length keeps the handle at its first place.
    const float val = toolkit::clampUnit(reversed() ? 1.f - value : value);
    const CCoord travel =
        rangeHandle > 0 ? toolkit::clampTo<CCoord>(val * static_cast<double>(rangeHandle)) : 0;
    const CCoord lower = minPos;
    const CCoord upper = minPos + (rangeHandle > 0 ? rangeHandle : 0);
    CCoord place = minPos + travel + along(offsetHandle);
    place = place < lower ? lower : place > upper ? upper : place;
    if (horizontal())
        return CRect(CPoint(size.left + place, size.top + offsetHandle.v), widthOfSlider, heightOfSlider);
    return CRect(CPoint(size.left + offsetHandle.h, size.top + place), widthOfSlider, heightOfSlider);
}

void CSlider::draw(CDrawContext* context)
{
    CRect area;
    CDrawContext* target = offscreen.begin(pParentFrame, context, size, area);
    if (pBackground) drawBackground(target, pBackground, backOffset, area);
    if (pHandle) {
        const CRect handle = handleRect().offset(area.left - size.left, area.top - size.top);
        if (bDrawTransparentHandle)
            pHandle->drawTransparent(target, handle);
        else
            pHandle->draw(target, handle);
    }
    offscreen.end(context, size);
    setDirty(false);
}

void CSlider::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (!takesClick(context, buttons)) return;
    if (checkDefaultValue(context, buttons)) return;
    // A track without length has no value to give any place.
    if (rangeHandle <= 0) return;

    const CRect handle = handleRect();
    const CCoord start = (horizontal() ? size.left : size.top) + minPos + along(offsetHandle);
    // Where along the axis the mouse puts value 0 (before any reversal).
    CCoord grab = start + handleLength() / 2;
    if (!bFreeClick) {
        const bool onHandle = where.h >= handle.left && where.h <= handle.right && where.v >= handle.top &&
                              where.v <= handle.bottom;
        if (!onHandle) return;
        grab = start + along(where) - (horizontal() ? handle.left : handle.top);
    }
    const auto placed = [&](const CPoint& at) {
        const float share = static_cast<float>(along(at) - grab) / static_cast<float>(rangeHandle);
        return reversed() ? 1.f - share : share;
    };

    // Fine adjustment divides the change since shift went down (or up) by
    // the zoom factor, so that the value never jumps.
    bool fine = buttons & kShiftHeld;
    float anchorPlace = placed(where);
    float anchorValue = bFreeClick || std::isnan(value) ? anchorPlace : value;
    Tracking tracking(this);
    beginEdit();
    track(
        context, where, buttons, tracking,
        [&](const CPoint& at, long now) {
            if (bool(now & kShiftHeld) != fine) {
                fine = !fine;
                anchorPlace = placed(at);
                anchorValue = value;
            }
            const float slowing = fine && zoomFactor > 0.f ? zoomFactor : 1.f;
            value = anchorValue + (placed(at) - anchorPlace) / slowing;
            bounceValue();
        },
        [](long now) { return (now & kPrimaryButton) != 0; });
    endEdit();
}

bool CSlider::onWheel(CDrawContext* context, const CPoint&, float distance)
{
    return wheelStep(context, distance);
}

long CSlider::onKeyDown(VstKeyCode& key)
{
    return arrowKeyStep(key);
}

bool CSlider::removed(CView* parent)
{
    offscreen.release();
    return CControl::removed(parent);
}
