#include "toolkit/QuickDrawConversions.h"

#include <utility>

using toolkit::clampTo;

Rect& CRect2Rect(const CRect& cr, Rect& rr)
{
    rr.left = clampTo<int16_t>(int64_t{cr.left});
    rr.top = clampTo<int16_t>(int64_t{cr.top});
    rr.right = clampTo<int16_t>(int64_t{cr.right});
    rr.bottom = clampTo<int16_t>(int64_t{cr.bottom});
    return RectNormalize(rr);
}

CRect& Rect2CRect(const Rect& rr, CRect& cr)
{
    cr = CRect(rr.left, rr.top, rr.right, rr.bottom);
    return cr;
}

Rect& RectNormalize(Rect& rr)
{
    if (rr.left > rr.right) std::swap(rr.left, rr.right);
    if (rr.top > rr.bottom) std::swap(rr.top, rr.bottom);
    return rr;
}

RGBColor& CColor2RGBColor(const CColor& cc, RGBColor& rgb)
{
    rgb.red = static_cast<uint16_t>(cc.red * 257);
    rgb.green = static_cast<uint16_t>(cc.green * 257);
    rgb.blue = static_cast<uint16_t>(cc.blue * 257);
    return rgb;
}

CColor& RGBColor2CColor(const RGBColor& rgb, CColor& cc)
{
    cc.red = static_cast<uint8_t>(rgb.red / 257);
    cc.green = static_cast<uint8_t>(rgb.green / 257);
    cc.blue = static_cast<uint8_t>(rgb.blue / 257);
    return cc;
}
