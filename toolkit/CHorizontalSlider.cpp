#include "toolkit/CHorizontalSlider.h"

#include <cstring>

CHorizontalSlider::CHorizontalSlider(const CRect& size, CControlListener* listener, long tag, long iMinPos,
                                     long iMaxPos, CBitmap* handle, CBitmap* background, const CPoint& offset,
                                     long style)
    : CSlider(size, listener, tag, iMinPos, iMaxPos, handle, background, offset, style | kHorizontal)
{
}

bool CHorizontalSlider::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CHorizontalSlider") == 0 || CSlider::isTypeOf(name);
}
