#pragma once

// A three-state rocker: -1 while the left (or top) half is pressed, +1
// while the other half is, and 0 again once let go. The background holds
// the images of -1, 0 and +1 one above the other.

#include "toolkit/CControl.h"

class CRockerSwitch : public CControl {
  public:
    CRockerSwitch(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                  CBitmap* background, const CPoint& offset = CPoint(), long style = kHorizontal);
    // Images as high as the control.
    CRockerSwitch(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                  const CPoint& offset = CPoint(), long style = kHorizontal);

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    // Positive distances rock to -1, the others to +1, and back to 0.
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool isTypeOf(const char* name) const override;

    long getStyle() const { return style; }

  protected:
    CCoord heightOfOneImage;
    long style;
};
