// The movie bitmap, the digit display, the level meter, the animation and
// the splash screen: what they draw and how the last two answer clicks.

#include <cmath>
#include <limits>

#include "ControlWindow.h"
#include "toolkit/CAutoAnimation.h"
#include "toolkit/CHorizontalSlider.h"
#include "toolkit/CHorizontalSwitch.h"
#include "toolkit/CKickButton.h"
#include "toolkit/CMovieBitmap.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/CRockerSwitch.h"
#include "toolkit/CSpecialDigit.h"
#include "toolkit/CSplashScreen.h"
#include "toolkit/CSplashScreenView.h"
#include "toolkit/CVuMeter.h"

namespace toolkit::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

using Displays = ControlWindow;

TEST_F(Displays, MovieBitmapShowsTheNearestImageOfItsValue)
{
    CBitmap* background = strip(5);
    auto* movie = add(new CMovieBitmap(CRect(20, 20, 40, 40), nullptr, 1, 5, 20, background));
    // Sizes from the bitmap: images as high as the control.
    auto* sized = add(new CMovieBitmap(CRect(60, 20, 80, 40), nullptr, 2, background));
    background->forget();
    for (auto [value, image] :
         {std::pair{0.f, 0}, {0.6f, 2}, {0.7f, 3}, {1.f, 4}, {3.f, 4}, {-1.f, 0}, {kNaN, 0}, {0.5f, 2}}) {
        movie->setValue(value);
        sized->setValue(value);
        settle();
        EXPECT_EQ(windowPixel(30, 30), imageColour(image)) << value;
        EXPECT_EQ(windowPixel(70, 30), imageColour(image)) << value;
    }
    // Display only: a click changes nothing.
    click(30, 30);
    EXPECT_EQ(movie->getValue(), 0.5f);
    EXPECT_TRUE(listener.changes.empty());
}

// Digits 10 pixels square, 0 to 9 from the top of the strip.
class Digits : public ControlWindow {
  protected:
    CSpecialDigit* digits(long value, long count, const long* xpos = nullptr, const long* ypos = nullptr)
    {
        CBitmap* background = strip(10, 10, 10);
        auto* made = add(new CSpecialDigit(CRect(20, 20, 220, 100), nullptr, 1, value, count, xpos, ypos, 10,
                                           10, background));
        background->forget();
        return made;
    }
    // The digits drawn from x = left, one every 10 pixels.
    std::vector<int> shown(int left, int count, int y = 25)
    {
        std::vector<int> found;
        for (int i = 0; i < count; ++i) {
            int digit = -1;
            for (int k = 0; k < 10; ++k)
                if (windowPixel(left + 10 * i + 5, y) == imageColour(k)) digit = k;
            found.push_back(digit);
        }
        return found;
    }
};

TEST_F(Digits, ShowTheNumberDigitByDigitWithinTheirRange)
{
    auto* display = digits(1234, 3);
    EXPECT_EQ(shown(20, 3), (std::vector<int>{9, 9, 9}));
    EXPECT_EQ(display->getMax(), 999.f);
    EXPECT_EQ(display->getNormValue(), 1.f);
    display->setValue(42.f);
    settle();
    EXPECT_EQ(shown(20, 3), (std::vector<int>{0, 4, 2}));
    EXPECT_NEAR(display->getNormValue(), 42.f / 999.f, 1e-6);
    for (float value : {-5.f, kNaN}) {
        display->setValue(value);
        settle();
        EXPECT_EQ(shown(20, 3), (std::vector<int>{0, 0, 0})) << value;
        EXPECT_EQ(display->getNormValue(), 0.f);
    }
    // Never more than seven digits.
    auto* wide = digits(12345678, 9);
    EXPECT_EQ(wide->getMax(), 9999999.f);
}

TEST_F(Digits, StandWhereThePositionsPutThem)
{
    const long xpos[] = {200, 150};
    const long ypos[] = {60, 80};
    digits(57, 2, xpos, ypos);
    EXPECT_EQ(shown(200, 1, 65), std::vector<int>{5});
    EXPECT_EQ(shown(150, 1, 85), std::vector<int>{7});
}

// No digits: nothing to draw, and no range to divide by.
TEST_F(Digits, WithoutDigitsDrawNothing)
{
    auto* none = digits(5, 0);
    EXPECT_EQ(none->getMax(), 0.f);
    EXPECT_EQ(none->getNormValue(), 0.f);
    EXPECT_EQ(windowPixel(25, 25), kBlackCColor);
}

// A meter of 100 pixels drawn into an off-screen context 120 x 120
// at (10, 10): green where lit, red where not.
class Meter : public ::testing::Test {
  protected:
    void SetUp() override
    {
        onBitmap = plain(kGreenCColor);
        offBitmap = plain(kRedCColor);
    }
    void TearDown() override
    {
        onBitmap->forget();
        offBitmap->forget();
    }

    CBitmap* plain(CColor colour)
    {
        auto* bitmap = new CBitmap(nullptr, 100, 100);
        COffscreenContext painter(nullptr, bitmap, true);
        painter.setFillColor(colour);
        painter.fillRect(CRect(0, 0, 100, 100));
        return bitmap;
    }

    // The lit pixels along the meter after drawing it once.
    int lit(CVuMeter* meter, long style = kVertical)
    {
        COffscreenContext context(nullptr, 120, 120, kBlackCColor);
        meter->draw(&context);
        int count = 0;
        for (int i = 0; i < 100; ++i) {
            const CColor c =
                style & kHorizontal ? pixelAt(context, 10 + i, 15) : pixelAt(context, 15, 10 + i);
            if (c == kGreenCColor)
                ++count;
            else
                EXPECT_EQ(c, kRedCColor) << i;
        }
        // Lit from the bottom up (or from the left).
        const CColor first = style & kHorizontal ? pixelAt(context, 10, 15) : pixelAt(context, 15, 109);
        EXPECT_EQ(first, count > 0 ? kGreenCColor : kRedCColor);
        return count;
    }

    CBitmap* onBitmap = nullptr;
    CBitmap* offBitmap = nullptr;
};

TEST_F(Meter, ShowsWholeLedsAndFallsByTheStepEachDraw)
{
    auto* meter = new CVuMeter(CRect(10, 10, 30, 110), onBitmap, offBitmap, 10);
    // To the nearest LED.
    meter->setValue(0.54f);
    EXPECT_EQ(lit(meter), 50);
    meter->setValue(0.56f);
    EXPECT_EQ(lit(meter), 60);
    meter->setValue(0.8f);
    EXPECT_EQ(lit(meter), 80);
    meter->setValue(0.f);
    EXPECT_EQ(lit(meter), 70);
    EXPECT_TRUE(meter->isDirty());
    EXPECT_EQ(lit(meter), 60);
    // Marking it dirty does not restart the fall.
    meter->setDirty();
    EXPECT_EQ(lit(meter), 50);
    meter->setDecreaseStepValue(0.25f);
    EXPECT_EQ(lit(meter), 20);
    EXPECT_EQ(lit(meter), 0);
    EXPECT_FALSE(meter->isDirty());
    // Beyond the ends, and NaN, as the nearer end (NaN as 0).
    meter->setValue(4.f);
    EXPECT_EQ(lit(meter), 100);
    meter->setValue(kNaN);
    meter->setDecreaseStepValue(1.f);
    EXPECT_EQ(lit(meter), 0);
    meter->forget();
}

TEST_F(Meter, HorizontalMeterFillsFromTheLeft)
{
    auto* meter = new CVuMeter(CRect(10, 10, 110, 30), onBitmap, offBitmap, 4, kHorizontal);
    meter->setValue(0.6f);
    EXPECT_EQ(lit(meter, kHorizontal), 50);
    meter->forget();
}

// Without LEDs there is no level to light (nor a division by zero to make).
TEST_F(Meter, WithoutLedsOrOnBitmapItLightsNothing)
{
    auto* dark = new CVuMeter(CRect(10, 10, 30, 110), onBitmap, offBitmap, 0);
    dark->setValue(1.f);
    EXPECT_EQ(lit(dark), 0);
    dark->forget();

    auto* bare = new CVuMeter(CRect(10, 10, 30, 110), nullptr, offBitmap, 10);
    bare->setValue(0.5f);
    COffscreenContext context(nullptr, 40, 120, kBlackCColor);
    bare->draw(&context);
    EXPECT_EQ(pixelAt(context, 15, 100), kBlackCColor);
    EXPECT_EQ(pixelAt(context, 15, 20), kBlackCColor);
    EXPECT_FALSE(bare->isDirty());
    bare->forget();
}

TEST_F(Displays, MeterDrawsThroughItsOwnOffscreenContextInAFrame)
{
    CBitmap* on = bitmapOf(20, 100, [](int, int) { return kGreenCColor; });
    CBitmap* off = bitmapOf(20, 100, [](int, int) { return kRedCColor; });
    auto* meter = add(new CVuMeter(CRect(20, 20, 40, 120), on, off, 10));
    on->forget();
    off->forget();
    meter->setUseOffscreen(true);
    meter->setValue(0.3f);
    settle();
    EXPECT_EQ(windowPixel(30, 119), kGreenCColor);
    EXPECT_EQ(windowPixel(30, 90), kGreenCColor);
    EXPECT_EQ(windowPixel(30, 89), kRedCColor);
    EXPECT_EQ(windowPixel(30, 20), kRedCColor);
    EXPECT_EQ(windowPixel(41, 100), kBlackCColor);
}

TEST_F(Displays, AnimationOpensOnAClickAndStepsThroughItsImages)
{
    CBitmap* background = strip(4);
    auto* animation = add(new CAutoAnimation(CRect(20, 20, 40, 40), nullptr, 3, background));
    background->forget();
    animation->setValue(20.f);
    settle();
    EXPECT_EQ(windowPixel(30, 30), kBlackCColor);

    click(30, 30);
    EXPECT_TRUE(animation->isWindowOpened());
    EXPECT_EQ(animation->getValue(), 0.f);
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(gestures(3), std::make_pair(1, 1));
    EXPECT_EQ(windowPixel(30, 30), imageColour(0));

    // Through every image, and round to the first; back round to the last.
    for (int image : {1, 2, 3, 0}) {
        animation->nextPixmap();
        settle();
        EXPECT_EQ(windowPixel(30, 30), imageColour(image));
    }
    animation->previousPixmap();
    EXPECT_EQ(animation->getValue(), 60.f);
    animation->previousPixmap();
    EXPECT_EQ(animation->getValue(), 40.f);
    // Offsets outside the strip show its first image.
    for (float value : {kNaN, 500.f, -20.f}) {
        animation->setValue(value);
        settle();
        EXPECT_EQ(windowPixel(30, 30), imageColour(0)) << value;
    }
    animation->setValue(kNaN);
    animation->nextPixmap();
    EXPECT_EQ(animation->getValue(), 0.f);

    click(30, 30);
    EXPECT_FALSE(animation->isWindowOpened());
    EXPECT_EQ(listener.changes.size(), 1u);
}

TEST_F(Displays, AnimationWithoutImagesDoesNotStep)
{
    auto* empty = add(new CAutoAnimation(CRect(20, 20, 40, 40), nullptr, 3, 0, 20, nullptr));
    auto* flat = add(new CAutoAnimation(CRect(50, 20, 70, 40), nullptr, 4, 4, 0, nullptr));
    for (CAutoAnimation* animation : {empty, flat}) {
        animation->setValue(7.f);
        animation->nextPixmap();
        animation->previousPixmap();
        EXPECT_EQ(animation->getValue(), 7.f);
    }
}

// The splash's hot spot at (20, 20) shows a display at (100, 100): a bitmap
// 100 x 80, blue on its left half and yellow on its right.
class Splash : public ControlWindow {
  protected:
    void SetUp() override
    {
        ControlWindow::SetUp();
        CBitmap* picture = bitmapOf(100, 80, [](int x, int) { return x < 50 ? kBlueCColor : kYellowCColor; });
        splash = add(new CSplashScreen(CRect(20, 20, 40, 40), nullptr, 6, picture, CRect(100, 100, 200, 180),
                                       CPoint(60, 0)));
        picture->forget();
    }

    CSplashScreen* splash = nullptr;
};

TEST_F(Splash, OpensAModalViewOnAPrimaryClickAndClosesOnOne)
{
    EXPECT_EQ(windowPixel(30, 30), kBlackCColor);
    // Only the primary button hits it.
    click(30, 30, 0, kEventMouseButtonSecondary);
    EXPECT_EQ(splash->getValue(), 0.f);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_FALSE(splash->hitTest(CPoint(30, 30), kSecondaryButton));

    click(30, 30);
    EXPECT_EQ(splash->getValue(), 1.f);
    ASSERT_NE(frame->getModalView(), nullptr);
    EXPECT_TRUE(frame->getModalView()->isTypeOf("CSplashScreenView"));
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(gestures(6), std::make_pair(1, 1));
    EXPECT_EQ(windowPixel(110, 110), kBlueCColor);
    EXPECT_EQ(windowPixel(190, 170), kYellowCColor);
    // The hot spot shows its part of the picture now.
    EXPECT_EQ(windowPixel(30, 30), kYellowCColor);

    // Clicks off the view are dropped; the secondary button on it too.
    click(30, 30);
    click(150, 140, 0, kEventMouseButtonSecondary);
    EXPECT_EQ(splash->getValue(), 1.f);
    EXPECT_EQ(listener.changes.size(), 1u);

    click(150, 140);
    EXPECT_EQ(splash->getValue(), 0.f);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(splash->getSplashView(), nullptr);
    EXPECT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(listener.changes.back().value, 0.f);
    EXPECT_EQ(gestures(6), std::make_pair(2, 2));
    EXPECT_EQ(windowPixel(110, 110), kBlackCColor);
    EXPECT_EQ(frame->getNbViews(), 1);
}

TEST_F(Splash, TheViewIsBlendedAtTheBitmapAlpha)
{
    CBitmap* picture = bitmapOf(10, 10, [](int, int) { return kBlueCColor; });
    const auto drawn = [&](uint8_t alpha) {
        auto* view = new CSplashScreenView(CRect(0, 0, 10, 10), splash, picture, false, alpha);
        COffscreenContext context(nullptr, 10, 10, kBlackCColor);
        view->draw(&context);
        view->forget();
        return pixelAt(context, 5, 5);
    };
    EXPECT_EQ(drawn(255), kBlueCColor);
    EXPECT_NEAR(drawn(128).blue, 128, 2);
    EXPECT_EQ(drawn(0), kBlueCColor);
    picture->forget();

    // The splash hands its alpha to the view it opens.
    splash->setBitmapTransparency(100);
    EXPECT_EQ(splash->getBitmapTransparency(), 100);
    click(30, 30);
    EXPECT_NEAR(windowPixel(110, 110).blue, 100, 2);
    EXPECT_EQ(windowPixel(110, 110).red, 0);
}

TEST_F(Splash, StaysClosedWhileAnotherModalViewIsUp)
{
    auto* other = new CView(CRect(0, 0, 10, 10));
    frame->setModalView(other);
    other->forget();
    CDrawContext* context = frame->createDrawContext();
    CPoint where(30, 30);
    splash->mouse(context, where, kPrimaryButton);
    context->forget();
    EXPECT_EQ(splash->getValue(), 0.f);
    EXPECT_EQ(frame->getModalView(), other);
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(Splash, LeavesNoModalViewBehindWhenRemovedOrClosed)
{
    click(30, 30);
    ASSERT_NE(frame->getModalView(), nullptr);
    frame->removeView(splash);
    EXPECT_EQ(frame->getModalView(), nullptr);

    // Open again, and the editor closing from the listener as it shuts.
    splash = add(new CSplashScreen(CRect(20, 20, 40, 40), nullptr, 6, nullptr, CRect(100, 100, 200, 180)));
    click(30, 30);
    listener.onChange = [this](CControl*) { editor.close(); };
    click(150, 140);
    EXPECT_EQ(editor.getFrame(), nullptr);
}

TEST(OtherControls, AnswerToTheirOwnNamesAndTheirBases)
{
    const CRect size(0, 0, 20, 20);
    const std::vector<std::pair<CControl*, const char*>> controls{
        {new CHorizontalSlider(size, nullptr, 0, 0, 10, nullptr, nullptr), "CSlider"},
        {new CRockerSwitch(size, nullptr, 0, nullptr), "CRockerSwitch"},
        {new CMovieBitmap(size, nullptr, 0, nullptr), "CMovieBitmap"},
        {new CMovieButton(size, nullptr, 0, nullptr), "CMovieButton"},
        {new CAutoAnimation(size, nullptr, 0, nullptr), "CAutoAnimation"},
        {new CSpecialDigit(size, nullptr, 0, 0, 1, nullptr, nullptr, 10, 10, nullptr), "CSpecialDigit"},
        {new CKickButton(size, nullptr, 0, nullptr), "CKickButton"},
        {new CSplashScreen(size, nullptr, 0, nullptr, size), "CSplashScreen"},
        {new CVuMeter(size, nullptr, nullptr, 1), "CVuMeter"},
        {new CHorizontalSwitch(size, nullptr, 0, nullptr), "CHorizontalSwitch"},
    };
    for (auto [control, name] : controls) {
        EXPECT_TRUE(control->isTypeOf(name)) << name;
        EXPECT_TRUE(control->isTypeOf("CControl")) << name;
        EXPECT_TRUE(control->isTypeOf("CView")) << name;
        EXPECT_FALSE(control->isTypeOf(std::string(name) == "CVuMeter" ? "CSlider" : "CVuMeter")) << name;
        control->forget();
    }
}

} // namespace
} // namespace toolkit::test
