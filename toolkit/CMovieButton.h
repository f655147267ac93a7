#pragma once

// A two-state button that follows the mouse while pressed: over the
// control it shows the other state, off it the state of the press. The
// background holds the off image above the on image.

#include "toolkit/CControl.h"

class CMovieButton : public CControl {
  public:
    CMovieButton(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                 CBitmap* background, const CPoint& offset = CPoint());
    // Images as high as the control.
    CMovieButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                 const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    bool isTypeOf(const char* name) const override;

  protected:
    // Whether the press goes on with the buttons now.
    virtual bool held(long buttons, long pressed) const { return buttons == pressed; }
    // Runs once the press is over, inside its edit.
    virtual void released(CDrawContext*) {}

    CCoord heightOfOneImage;
};
