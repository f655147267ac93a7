#pragma once

// A two-state button: the background holds the off image above the on
// image. It switches on the press and does not track the mouse.

#include "toolkit/CControl.h"

class COnOffButton : public CControl {
  public:
    // style 1 tells the listener before the frame redraws the button, 0 after.
    COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                 long style = 0);

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;
    bool isTypeOf(const char* name) const override;

    long getStyle() const { return style; }
    void setStyle(long val) { style = val; }

  protected:
    long style;
};
