#include "toolkit/CKnob.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/MouseButtons.h"
#include "toolkit/NumericConversions.h"
#include "toolkit/VstKeyCode.h"

namespace {

constexpr float kTwoPi = 2.f * std::numbers::pi_v<float>;
constexpr int kKnobModeLinear = 2;
constexpr float kLinearRange = 200.f;

long insetFor(const CBitmap* handle)
{
    return handle ? static_cast<long>(handle->getWidth() * 0.5 + 2.5) : 3;
}

} // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background, CBitmap* handle,
             const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset), pHandle(handle), inset(insetFor(handle)),
      startAngle(3.9269907f), rangeAngle(-4.712389f), radius((size.right - size.left) / 2.f)
{
    if (pHandle) pHandle->remember();
    compute();
}

CKnob::~CKnob()
{
    if (pHandle) pHandle->forget();
}

bool CKnob::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CKnob") == 0 || CControl::isTypeOf(name);
}

void CKnob::draw(CDrawContext* context)
{
    if (pBackground) drawBackground(context, pBackground, offset);
    drawHandle(context);
    setDirty(false);
}

void CKnob::drawHandle(CDrawContext* context)
{
    CPoint where;
    valueToPoint(where);
    if (pHandle) {
        const CCoord width = pHandle->getWidth();
        const CCoord height = pHandle->getHeight();
        where.offset(size.left - width / 2, size.top - height / 2);
        pHandle->drawTransparent(context, CRect(where, width, height));
        return;
    }
    const CPoint origin(size.width() / 2, size.height() / 2);
    where.offset(size.left - 1, size.top);
    CPoint centre(size.left + origin.h - 1, size.top + origin.v);
    context->setFrameColor(colorShadowHandle);
    context->moveTo(where);
    context->lineTo(centre);
    where.offset(1, -1);
    centre.offset(1, -1);
    context->setFrameColor(colorHandle);
    context->moveTo(where);
    context->lineTo(centre);
}

void CKnob::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (!takesClick(context, buttons)) return;
    if (checkDefaultValue(context, buttons)) return;

    Tracking tracking(this);
    const bool linear =
        (pParentFrame && pParentFrame->getKnobMode() == kKnobModeLinear) != bool(buttons & kOptionHeld);
    const auto linearRange = [this](long set) {
        return set & kShiftHeld ? kLinearRange * zoomFactor : kLinearRange;
    };

    float coef = (vmax - vmin) / linearRange(buttons);
    float startValue = value;
    const CPoint press = where;
    long oldButtons = buttons;

    CPoint local(where.h - size.left, where.v - size.top);
    float previous = valueFromPoint(local);
    const float middle = (vmax - vmin) * 0.5f;

    beginEdit();
    CPoint last(-1, -1);
    do {
        buttons = context->getMouseButtons();
        if (where != last) {
            last = where;
            if (linear) {
                const CCoord diff = (press.v - where.v) + (where.h - press.h);
                if (buttons != oldButtons) {
                    oldButtons = buttons;
                    const float newCoef = (vmax - vmin) / linearRange(buttons);
                    startValue += diff * (coef - newCoef);
                    coef = newCoef;
                }
                value = startValue + diff * coef;
                bounceValue();
            } else {
                local = CPoint(where.h - size.left, where.v - size.top);
                value = valueFromPoint(local);
                if (previous - value > middle)
                    value = vmax;
                else if (value - previous > middle)
                    value = vmin;
                else
                    previous = value;
            }
            reportChange(context);
        }
        getMouseLocation(context, where);
        doIdleStuff();
    } while ((buttons & kPrimaryButton) && tracking.frameOpen());
    endEdit();
}

bool CKnob::onWheel(CDrawContext* context, const CPoint&, float distance)
{
    return wheelStep(context, distance);
}

long CKnob::onKeyDown(VstKeyCode& key)
{
    return arrowKeyStep(key);
}

void CKnob::setStartAngle(float val)
{
    startAngle = val;
    compute();
}

void CKnob::setRangeAngle(float val)
{
    rangeAngle = val;
    compute();
}

void CKnob::compute()
{
    aCoef = (vmax - vmin) / rangeAngle;
    bCoef = vmin - aCoef * startAngle;
    halfAngle = (kTwoPi - std::fabs(rangeAngle)) * 0.5f;
    setDirty();
}

void CKnob::valueToPoint(CPoint& point) const
{
    // An empty range or arc puts every value at the start; infinities sit
    // at their end of the range, NaN at the minimum.
    float val = std::isnan(value) ? vmin : std::isinf(value) ? (value > 0 ? vmax : vmin) : value;
    const bool degenerate = aCoef == 0.f || !std::isfinite(aCoef);
    const double angle = degenerate ? startAngle : (val - bCoef) / aCoef;
    point.h = toolkit::clampTo<CCoord>(radius + (radius - inset) * std::cos(angle) + 0.5);
    point.v = toolkit::clampTo<CCoord>(radius - (radius - inset) * std::sin(angle) + 0.5);
}

float CKnob::valueFromPoint(const CPoint& point) const
{
    float theta = std::atan2(radius - point.v, point.h - radius);
    if (theta < 0.f) theta += kTwoPi;

    float c = theta - startAngle;
    if (rangeAngle < 0.f) c -= rangeAngle;
    const float f = c < 0.f ? c + kTwoPi : c > kTwoPi ? c - kTwoPi : c;

    const float range = std::fabs(rangeAngle);
    const float cPrime = c > halfAngle + range ? c - kTwoPi : c < -halfAngle ? c + kTwoPi : c;
    if (rangeAngle < 0.f) {
        if (f > halfAngle + range) return vmax;
        if (f > range) return vmin;
        return cPrime * aCoef + vmax;
    }
    if (f > range + halfAngle) return vmin;
    if (f > range) return vmax;
    return cPrime * aCoef + vmin;
}

void CKnob::setColorShadowHandle(CColor color)
{
    colorShadowHandle = color;
    setDirty();
}

void CKnob::setColorHandle(CColor color)
{
    colorHandle = color;
    setDirty();
}

void CKnob::setHandleBitmap(CBitmap* bitmap)
{
    if (pHandle) pHandle->forget();
    pHandle = bitmap;
    if (pHandle) pHandle->remember();
    inset = insetFor(pHandle);
}
