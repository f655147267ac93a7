#include "toolkit/CSpecialDigit.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/NumericConversions.h"

CSpecialDigit::CSpecialDigit(const CRect& size, CControlListener* listener, long tag, long dwPos,
                             long iNumbers, const long* xpos, const long* ypos, CCoord widthOfOneImage,
                             CCoord heightOfOneImage, CBitmap* background)
    : CControl(size, listener, tag, background), iNumbers(iNumbers < 0            ? 0
                                                          : iNumbers > kMaxDigits ? kMaxDigits
                                                                                  : iNumbers),
      widthOfOneImage(widthOfOneImage), heightOfOneImage(heightOfOneImage)
{
    const CCoord step = background ? background->getWidth() : 0;
    for (long i = 0; i < this->iNumbers; ++i) {
        places[i].h = xpos ? toolkit::clampTo<CCoord>(int64_t{xpos[i]}) : size.left + step * i;
        places[i].v = ypos ? toolkit::clampTo<CCoord>(int64_t{ypos[i]}) : size.top;
    }
    vmax = static_cast<float>(std::pow(10.0, this->iNumbers) - 1.0);
    value = static_cast<float>(dwPos);
}

bool CSpecialDigit::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CSpecialDigit") == 0 || CControl::isTypeOf(name);
}

void CSpecialDigit::draw(CDrawContext* context)
{
    if (pBackground) {
        const float shown = value > vmin ? (value < vmax ? value : vmax) : vmin;
        int64_t rest = toolkit::clampTo<int32_t>(double{shown});
        int64_t unit = static_cast<int64_t>(std::pow(10.0, iNumbers));
        for (long i = 0; i < iNumbers; ++i) {
            unit /= 10;
            const int64_t digit = rest / unit > 9 ? 9 : rest / unit;
            rest %= unit;
            const CRect place(places[i], widthOfOneImage, heightOfOneImage);
            const CCoord y = toolkit::clampTo<CCoord>(digit * heightOfOneImage);
            drawBackground(context, pBackground, CPoint(0, y), place);
        }
    }
    setDirty(false);
}

float CSpecialDigit::getNormValue() const
{
    return vmax > 0.f ? toolkit::clampUnit(value / vmax) : 0.f;
}
