#include "toolkit/CVerticalSlider.h"

#include <cstring>

CVerticalSlider::CVerticalSlider(const CRect& size, CControlListener* listener, long tag, long iMinPos,
                                 long iMaxPos, CBitmap* handle, CBitmap* background, const CPoint& offset,
                                 long style)
    : CSlider(size, listener, tag, iMinPos, iMaxPos, handle, background, offset,
              (style & ~long{kHorizontal}) | kVertical)
{
}

bool CVerticalSlider::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CVerticalSlider") == 0 || CSlider::isTypeOf(name);
}
