#pragma once

// A switch of several positions side by side: the background holds one
// image per position, left to right, and a click or drag picks the
// position under the mouse. The value runs from 0 (left) to 1 (right) in
// equal steps.

#include "toolkit/CControl.h"

class CHorizontalSwitch : public CControl {
  public:
    CHorizontalSwitch(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                      CCoord widthOfOneImage, long iMaxPositions, CBitmap* background,
                      const CPoint& offset = CPoint());
    // Images as wide as the control, one per position, as many as the background holds.
    CHorizontalSwitch(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                      const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    bool isTypeOf(const char* name) const override;

  protected:
    long subPixmaps;
    CCoord widthOfOneImage;
    long iMaxPositions;
};
