#pragma once

// A knob drawn from a filmstrip: the background holds the sub-images one
// above the other, and the value picks one. It drags like CKnob and is
// redrawn only when the handle point on its circle moves.

#include "toolkit/CKnob.h"

class CAnimKnob : public CKnob {
  public:
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
              CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint());
    // Images as high as the control, as many as the background holds.
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
              const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    bool isDirty() const override;
    bool isTypeOf(const char* name) const override;

    void setInverseBitmap(bool val) { bInverseBitmap = val; }

  protected:
    short subPixmaps;
    CCoord heightOfOneImage;
    bool bInverseBitmap = false;
    CPoint lastDrawnPoint;
};
