#include "toolkit/CControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/hitoolbox/CarbonEvents.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/MouseButtons.h"
#include "toolkit/NumericConversions.h"

CControl::CControl(const CRect& size, CControlListener* listener, long tag, CBitmap* background)
    : CView(size), listener(listener), tag(tag),
      delta(std::max<int32_t>(250, static_cast<int32_t>(std::min<UInt32>(GetDblTime(), INT32_MAX))))
{
    setTransparency(false);
    setWantsFocus(true);
    if (background) setBackground(background);
}

void CControl::doIdleStuff()
{
    if (pParentFrame) pParentFrame->doIdleStuff();
}

void CControl::beginEdit()
{
    if (!pParentFrame) return;
    pParentFrame->setFocusView(this);
    pParentFrame->beginEdit(tag);
}

void CControl::endEdit()
{
    if (pParentFrame) pParentFrame->endEdit(tag);
}

void CControl::bounceValue()
{
    if (value > vmax)
        value = vmax;
    else if (value < vmin)
        value = vmin;
}

bool CControl::checkDefaultValue(CDrawContext* context, long buttons)
{
    if (buttons != (kPrimaryButton | kCommandHeld)) return false;
    beginEdit();
    value = defaultValue;
    reportChange(context);
    endEdit();
    return true;
}

bool CControl::isDirty() const
{
    return !(oldValue == value) || CView::isDirty();
}

void CControl::setDirty(bool val)
{
    CView::setDirty(val);
    if (val)
        oldValue = value == -1.f ? 0.f : -1.f;
    else
        oldValue = value;
}

bool CControl::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CControl") == 0 || CView::isTypeOf(name);
}

bool CControl::isDoubleClick()
{
    const int64_t now = pParentFrame ? pParentFrame->getTicks() : 0;
    if (lastTicks > 0 && now < lastTicks + delta) {
        lastTicks = 0;
        return true;
    }
    lastTicks = now;
    return false;
}

void CControl::drawBackground(CDrawContext* context, CBitmap* bitmap, const CPoint& offset)
{
    drawBackground(context, bitmap, offset, size);
}

void CControl::drawBackground(CDrawContext* context, CBitmap* bitmap, const CPoint& offset, const CRect& rect)
{
    if (bTransparencyEnabled)
        bitmap->drawTransparent(context, rect, offset);
    else
        bitmap->draw(context, rect, offset);
}

void CControl::drawStackedImage(CDrawContext* context, long index, CCoord heightOfOneImage)
{
    if (!pBackground) return;
    const CPoint where(backOffset.h,
                       toolkit::clampTo<CCoord>(backOffset.v + int64_t{index} * int64_t{heightOfOneImage}));
    drawBackground(context, pBackground, where);
}

long CControl::positionOf(long positions) const
{
    if (positions < 2) return 0;
    return toolkit::clampTo<long>((positions - 1) * double{toolkit::clampUnit(value)} + 0.5);
}

void CControl::trackSwitch(CDrawContext* context, CPoint& where, long buttons, long positions,
                           CCoord imageExtent, bool across)
{
    if (!takesClick(context, buttons)) return;
    if (checkDefaultValue(context, buttons)) return;
    if (positions < 2 || imageExtent <= 0) return;

    const float step = static_cast<float>(imageExtent) / static_cast<float>(positions);
    const long pressed = buttons;
    Tracking tracking(this);
    beginEdit();
    track(
        context, where, buttons, tracking,
        [&](const CPoint& at, long) {
            const CCoord from = across ? at.h - size.left : at.v - size.top;
            value = toolkit::clampUnit(std::floor(from / step) / static_cast<float>(positions - 1));
        },
        [pressed](long now) { return now == pressed; });
    endEdit();
}

bool CControl::touches(const CRect& rect, const CPoint& point)
{
    return point.h >= rect.left && point.h <= rect.right && point.v >= rect.top && point.v <= rect.bottom;
}

long CControl::imagesIn(const CBitmap* bitmap, CCoord imageExtent, bool across)
{
    if (!bitmap || imageExtent <= 0) return 0;
    return (across ? bitmap->getWidth() : bitmap->getHeight()) / imageExtent;
}

bool CControl::takesClick(CDrawContext* context, long& buttons)
{
    if (!bMouseEnabled) return false;
    if (buttons == kButtonsFromContext) buttons = context->getMouseButtons();
    return (buttons & kPrimaryButton) && !offerModifierClick(context, buttons);
}

bool CControl::offerModifierClick(CDrawContext* context, long buttons)
{
    const long modifiers = kShiftHeld | kCommandHeld | kOptionHeld | kControlHeld;
    return listener && (buttons & modifiers) && listener->controlModifierClicked(context, this, buttons);
}

void CControl::reportChange(CDrawContext* context)
{
    if (listener && isDirty()) listener->valueChanged(context, this);
}

void CControl::reportEdit(CDrawContext* context)
{
    if (!listener) return;
    beginEdit();
    listener->valueChanged(context, this);
    endEdit();
}

void CControl::tell(CDrawContext* context)
{
    if (listener) listener->valueChanged(context, this);
}

void CControl::stepValue(CDrawContext* context, float distance, bool fine)
{
    value += distance * (fine ? wheelInc * 0.1f : wheelInc);
    bounceValue();
    if (isDirty()) reportEdit(context);
}

bool CControl::wheelStep(CDrawContext* context, float distance)
{
    if (!bMouseEnabled) return false;
    const long buttons = context ? context->getMouseButtons() : 0;
    stepValue(context, distance, buttons & kShiftHeld);
    return true;
}

long CControl::arrowKeyStep(const VstKeyCode& key)
{
    float direction;
    switch (key.virt) {
    case kVKeyUp:
    case kVKeyRight:
        direction = 1.f;
        break;
    case kVKeyLeft:
    case kVKeyDown:
        direction = -1.f;
        break;
    default:
        return kNotHandled;
    }
    stepValue(nullptr, direction, key.modifier & kModifierShift);
    return 1;
}

CControl::Tracking::Tracking(CControl* control) : control(control), frame(control->pParentFrame)
{
    control->remember();
    if (frame) frame->remember();
}

CControl::Tracking::~Tracking()
{
    if (frame) frame->forget();
    control->forget();
}

bool CControl::Tracking::frameOpen() const
{
    return frame && !frame->isClosed();
}
