#pragma once

// A hot spot that shows a splash: a primary click opens a view over the
// display rectangle as the frame's modal view, showing the same bitmap
// from its top-left corner; a primary click on that view closes it. The
// hot spot itself draws (its part of the bitmap, from the offset) only
// while the splash is open.

#include <cstdint>

#include "toolkit/CControl.h"

class CSplashScreenView;

class CSplashScreen : public CControl {
  public:
    CSplashScreen(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                  const CRect& toDisplay, const CPoint& offset = CPoint());
    ~CSplashScreen() override;

    void draw(CDrawContext* context) override;
    // False for any click without the primary button.
    bool hitTest(const CPoint& where, long buttons = kButtonsFromContext) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    bool removed(CView* parent) override;
    bool isTypeOf(const char* name) const override;

    // Closes the splash: value 0, told to the listener, and the view gone.
    virtual void unSplash(CDrawContext* context = nullptr);
    // The splash view's opacity: 255 draws it after the transparency flag,
    // 0 transparently, anything between blended.
    void setBitmapTransparency(uint8_t alpha) { bitmapTransparency = alpha; }
    uint8_t getBitmapTransparency() const { return bitmapTransparency; }
    CSplashScreenView* getSplashView() const { return splashView; }

  protected:
    // Takes the splash view off the frame and lets it go.
    void closeView();

    CRect toDisplay;
    CSplashScreenView* splashView = nullptr; // one reference, while open
    uint8_t bitmapTransparency = 255;
};
