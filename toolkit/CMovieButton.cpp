#include "toolkit/CMovieButton.h"

#include <cmath>
#include <cstring>

#include "toolkit/MouseButtons.h"

CMovieButton::CMovieButton(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                           CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), heightOfOneImage(heightOfOneImage)
{
    backOffset = offset;
}

CMovieButton::CMovieButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                           const CPoint& offset)
    : CMovieButton(size, listener, tag, size.height(), background, offset)
{
}

bool CMovieButton::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CMovieButton") == 0 || CControl::isTypeOf(name);
}

void CMovieButton::draw(CDrawContext* context)
{
    // NaN shows the off image.
    drawStackedImage(context, value != 0.f && !std::isnan(value) ? 1 : 0, heightOfOneImage);
    setDirty(false);
}

void CMovieButton::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (!takesClick(context, buttons)) return;

    const float pressValue = value;
    const float toggled = value == 0.f ? 1.f : 0.f;
    Tracking tracking(this);
    beginEdit();
    if (!(context->getMouseButtons() & kPrimaryButton)) {
        // Let go before the press was looked at: a click.
        value = toggled;
        tell(context);
    } else {
        const long pressed = buttons;
        track(
            context, where, buttons, tracking,
            [&](const CPoint& at, long) { value = touches(size, at) ? toggled : pressValue; },
            [&](long now) { return held(now, pressed); });
    }
    if (tracking.frameOpen()) released(context);
    endEdit();
}
