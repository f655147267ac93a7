#include "toolkit/CSplashScreen.h"

#include <cstring>

#include "toolkit/CFrame.h"
#include "toolkit/CSplashScreenView.h"

CSplashScreen::CSplashScreen(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                             const CRect& toDisplay, const CPoint& offset)
    : CControl(size, listener, tag, background), toDisplay(toDisplay)
{
    backOffset = offset;
}

CSplashScreen::~CSplashScreen()
{
    closeView();
}

bool CSplashScreen::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CSplashScreen") == 0 || CControl::isTypeOf(name);
}

void CSplashScreen::draw(CDrawContext* context)
{
    if (pBackground && (value > 0.f || value < 0.f)) drawBackground(context, pBackground, backOffset);
    setDirty(false);
}

bool CSplashScreen::hitTest(const CPoint& where, long buttons)
{
    if (buttons != kButtonsFromContext && !(buttons & kPrimaryButton)) return false;
    return CControl::hitTest(where, buttons);
}

void CSplashScreen::mouse(CDrawContext* context, CPoint&, long buttons)
{
    if (!takesClick(context, buttons)) return;
    if (value != 0.f) {
        unSplash(context);
        return;
    }
    if (!pParentFrame || splashView) return;
    auto* view =
        new CSplashScreenView(toDisplay, this, pBackground, bTransparencyEnabled, bitmapTransparency);
    if (!pParentFrame->setModalView(view)) {
        // Another modal view is up: the splash stays closed.
        view->forget();
        return;
    }
    splashView = view;
    value = 1.f;
    reportEdit(context);
}

void CSplashScreen::unSplash(CDrawContext* context)
{
    Tracking tracking(this);
    value = 0.f;
    reportEdit(context);
    if (tracking.frameOpen()) pParentFrame->setDirty();
    closeView();
}

void CSplashScreen::closeView()
{
    if (!splashView) return;
    if (pParentFrame && pParentFrame->getModalView() == splashView) pParentFrame->setModalView(nullptr);
    splashView->forget();
    splashView = nullptr;
}

bool CSplashScreen::removed(CView* parent)
{
    closeView();
    return CControl::removed(parent);
}
