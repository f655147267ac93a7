#include "toolkit/CSplashScreenView.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CSplashScreen.h"

CSplashScreenView::CSplashScreenView(const CRect& size, CSplashScreen* splash, CBitmap* bitmap,
                                     bool transparent, uint8_t alpha)
    : CView(size), splash(splash), alpha(alpha)
{
    setBackground(bitmap);
    setTransparency(transparent);
}

bool CSplashScreenView::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CSplashScreenView") == 0 || CView::isTypeOf(name);
}

void CSplashScreenView::draw(CDrawContext* context)
{
    if (pBackground) {
        if (alpha == 0 || (alpha == 255 && bTransparencyEnabled))
            pBackground->drawTransparent(context, size);
        else if (alpha < 255)
            pBackground->drawAlphaBlend(context, size, CPoint(), alpha);
        else
            pBackground->draw(context, size);
    }
    setDirty(false);
}

void CSplashScreenView::mouse(CDrawContext* context, CPoint&, long buttons)
{
    if (buttons == kButtonsFromContext) buttons = context->getMouseButtons();
    if (!(buttons & kPrimaryButton)) return;
    // Closing the splash lets this view go.
    remember();
    splash->unSplash(context);
    forget();
}
