#pragma once

// A display of one image out of a strip (the images one above the other),
// picked by the value; it takes no input.

#include "toolkit/CControl.h"

class CMovieBitmap : public CControl {
  public:
    CMovieBitmap(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                 CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint());
    // Images as high as the control, as many as the background holds.
    CMovieBitmap(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                 const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

  protected:
    long subPixmaps;
    CCoord heightOfOneImage;
};
