#pragma once

// A slider lying along x; by default value 0 is at the left end.

#include "toolkit/CSlider.h"

class CHorizontalSlider : public CSlider {
  public:
    CHorizontalSlider(const CRect& size, CControlListener* listener, long tag, long iMinPos, long iMaxPos,
                      CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(),
                      long style = kLeft);

    bool isTypeOf(const char* name) const override;
};
