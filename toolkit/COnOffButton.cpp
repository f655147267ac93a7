#include "toolkit/COnOffButton.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/MouseButtons.h"

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                           long style)
    : CControl(size, listener, tag, background), style(style)
{
}

bool COnOffButton::isTypeOf(const char* name) const
{
    return std::strcmp(name, "COnOffButton") == 0 || CControl::isTypeOf(name);
}

void COnOffButton::draw(CDrawContext* context)
{
    if (pBackground) {
        const CPoint where(0, value == 0.f ? 0 : pBackground->getHeight() / 2);
        drawBackground(context, pBackground, where);
    }
    setDirty(false);
}

void COnOffButton::mouse(CDrawContext* context, CPoint&, long buttons)
{
    if (!takesClick(context, buttons)) return;

    Tracking tracking(this);
    // Compared in floating point, so that NaN and infinities (whose integer
    // part does not exist) switch off rather than reach a conversion.
    value = std::trunc(value) == 0.f ? 1.f : 0.f;
    if (style == 1) reportEdit(context);
    doIdleStuff();
    if (style == 0 && tracking.frameOpen()) reportEdit(context);
}
