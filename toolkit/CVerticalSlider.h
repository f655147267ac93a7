#pragma once

// A slider standing along y; by default value 0 is at the bottom end.

#include "toolkit/CSlider.h"

class CVerticalSlider : public CSlider {
  public:
    CVerticalSlider(const CRect& size, CControlListener* listener, long tag, long iMinPos, long iMaxPos,
                    CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(),
                    long style = kBottom);

    bool isTypeOf(const char* name) const override;
};
