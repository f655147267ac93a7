#pragma once

// A switch of several positions, one above the other: the background holds
// one image per position and a click or drag picks the position under the
// mouse. The value runs from 0 (top) to 1 (bottom) in equal steps.

#include "toolkit/CControl.h"

class CVerticalSwitch : public CControl {
  public:
    CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                    CCoord heightOfOneImage, long iMaxPositions, CBitmap* background,
                    const CPoint& offset = CPoint());
    // Images as high as the control, one per position, as many as the background holds.
    CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                    const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;
    bool isTypeOf(const char* name) const override;

  protected:
    CPoint offset;
    long subPixmaps;
    CCoord heightOfOneImage;
    long iMaxPositions;
};
