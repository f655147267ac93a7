#pragma once

// The splash a CSplashScreen shows as the frame's modal view; a primary
// click on it closes the splash.

#include <cstdint>

#include "toolkit/CView.h"

class CSplashScreen;

class CSplashScreenView : public CView {
  public:
    // Draws bitmap from its top-left corner: opaquely at alpha 255 unless
    // transparent, transparently at alpha 0, blended otherwise.
    CSplashScreenView(const CRect& size, CSplashScreen* splash, CBitmap* bitmap, bool transparent,
                      uint8_t alpha);

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    bool isTypeOf(const char* name) const override;

  protected:
    CSplashScreen* splash; // the splash holds this view, not the other way round
    uint8_t alpha;
};
