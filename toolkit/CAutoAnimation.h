#pragma once

// An animation stepped by its owner: a click opens it (from the first
// image) or closes it, and nextPixmap and previousPixmap move through the
// strip of images, wrapping at its ends. The value is the pixel offset of
// the image shown from the strip's top, not a value from 0 to 1.

#include "toolkit/CControl.h"

class CAutoAnimation : public CControl {
  public:
    CAutoAnimation(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                   CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint());
    // Images as high as the control, as many as the background holds.
    CAutoAnimation(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                   const CPoint& offset = CPoint());

    // Draws only while open.
    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    bool isTypeOf(const char* name) const override;

    virtual void openWindow();
    virtual void closeWindow();
    virtual void nextPixmap();
    virtual void previousPixmap();
    bool isWindowOpened() const { return bWindowOpened; }

  protected:
    // The offset of the last image; negative without images.
    CCoord lastImage() const;

    long subPixmaps;
    CCoord heightOfOneImage;
    bool bWindowOpened = false;
};
