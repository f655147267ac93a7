#include "toolkit/CVuMeter.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/NumericConversions.h"

CVuMeter::CVuMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, long nbLed, long style)
    : CControl(size), onBitmap(onBitmap), offBitmap(offBitmap), nbLed(nbLed), style(style)
{
    if (onBitmap) onBitmap->remember();
    if (offBitmap) offBitmap->remember();
}

CVuMeter::~CVuMeter()
{
    if (onBitmap) onBitmap->forget();
    if (offBitmap) offBitmap->forget();
}

bool CVuMeter::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CVuMeter") == 0 || CControl::isTypeOf(name);
}

bool CVuMeter::isDirty() const
{
    return CControl::isDirty() || shownLevel > toolkit::clampUnit(value);
}

void CVuMeter::draw(CDrawContext* context)
{
    if (!onBitmap) {
        setDirty(false);
        return;
    }
    const float wanted = toolkit::clampUnit(value);
    shownLevel =
        wanted > shownLevel - decreaseValue ? wanted : toolkit::clampUnit(shownLevel - decreaseValue);
    const long lit = nbLed > 0 ? toolkit::clampTo<long>(shownLevel * double(nbLed) + 0.5) : 0;

    CRect area;
    CDrawContext* target = offscreen.begin(pParentFrame, context, size, area);
    const bool horizontal = style & kHorizontal;
    const int64_t extent = horizontal ? area.width() : area.height();
    const CCoord litPixels = nbLed > 0 ? toolkit::clampTo<CCoord>(extent * lit / nbLed) : 0;
    CRect on = area;
    CRect off = area;
    CPoint onFrom;
    CPoint offFrom;
    if (horizontal) {
        on.right = off.left = area.left + litPixels;
        offFrom.h = litPixels;
    } else {
        on.top = off.bottom = area.bottom - litPixels;
        onFrom.v = on.top - area.top;
    }
    if (!on.isEmpty()) onBitmap->draw(target, on, onFrom);
    if (offBitmap && !off.isEmpty()) offBitmap->draw(target, off, offFrom);
    offscreen.end(context, size);
    setDirty(false);
}

bool CVuMeter::removed(CView* parent)
{
    offscreen.release();
    return CControl::removed(parent);
}
