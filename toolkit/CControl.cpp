#include "toolkit/CControl.h"

#include <algorithm>
#include <cstring>

#include "platform/hitoolbox/CarbonEvents.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/MouseButtons.h"

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
    if (bTransparencyEnabled)
        bitmap->drawTransparent(context, size, offset);
    else
        bitmap->draw(context, size, offset);
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
