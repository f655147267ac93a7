#pragma once

// A level meter of LEDs: the on bitmap shows the lit part (from the bottom
// up, or from the left), the off bitmap the rest, each from the same place
// in its bitmap. The level shown falls by at most the decrease step a
// redraw, and is quantised to the nearest whole LED. It has no listener.

#include "toolkit/CControl.h"
#include "toolkit/ControlOffscreen.h"

class CVuMeter : public CControl {
  public:
    CVuMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, long nbLed, long style = kVertical);
    ~CVuMeter() override;

    // Draws nothing without an on bitmap; without LEDs all of it is off.
    void draw(CDrawContext* context) override;
    // Also while the level shown is still falling to the value.
    bool isDirty() const override;
    bool removed(CView* parent) override;
    bool isTypeOf(const char* name) const override;

    void setDecreaseStepValue(float step) { decreaseValue = step; }
    float getDecreaseStepValue() const { return decreaseValue; }
    // Drawing through the meter's own off-screen context.
    void setUseOffscreen(bool use) { offscreen.setEnabled(use); }
    bool getUseOffscreen() const { return offscreen.isEnabled(); }
    // The level drawn last, before quantising.
    float getShownLevel() const { return shownLevel; }

  protected:
    CBitmap* onBitmap;
    CBitmap* offBitmap;
    long nbLed;
    long style;
    float decreaseValue = 0.1f;
    float shownLevel = 0.f;
    ControlOffscreen offscreen;
};
