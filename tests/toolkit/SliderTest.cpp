// Sliders in a frame: where the handle is drawn, pressing and dragging it
// (free or by the handle, finely with shift), the wheel and the keys.

#include <cmath>
#include <limits>

#include "ControlWindow.h"
#include "toolkit/CHorizontalSlider.h"
#include "toolkit/CVerticalSlider.h"

namespace toolkit::test {
namespace {

constexpr long kTag = 5;
constexpr CColor kTrack{40, 40, 90, 255};

// A horizontal slider 200 pixels long at (20, 100) with a red handle 20
// pixels square whose left edge runs from x = 20 to x = 200: value v puts
// the handle at 20 + 180 v, its centre at 30 + 180 v.
class Slider : public ControlWindow {
  protected:
    void SetUp() override
    {
        ControlWindow::SetUp();
        slider = add(newSlider(20, 200));
    }

    template <typename Kind = CHorizontalSlider> Kind* newSlider(long first, long last)
    {
        CBitmap* handle = bitmapOf(20, 20, [](int, int) { return kRedCColor; });
        CBitmap* track = bitmapOf(200, 20, [](int, int) { return kTrack; });
        auto* made = new Kind(CRect(20, 100, 220, 120), nullptr, kTag, first, last, handle, track);
        handle->forget();
        track->forget();
        return made;
    }

    // The left edge of the handle in the window's row at y = 110.
    int handleLeft()
    {
        for (int x = 0; x < kWidth; ++x)
            if (windowPixel(x, 110) == kRedCColor) return x;
        return -1;
    }

    CSlider* slider = nullptr;
};

TEST_F(Slider, DrawsTheHandleWhereTheValuePutsIt)
{
    const auto shows = [&](float value, int left) {
        slider->setValue(value);
        settle();
        EXPECT_EQ(handleLeft(), left) << "value " << value;
        EXPECT_EQ(windowPixel(left + 19, 110), kRedCColor);
        EXPECT_EQ(windowPixel(left + 20, 110), left + 20 < 220 ? kTrack : kBlackCColor);
    };
    shows(0.f, 20);
    shows(0.5f, 110);
    shows(1.f, 200);
    // Values that no position holds stop at an end of the track.
    shows(-3.f, 20);
    shows(7.f, 200);
    shows(std::numeric_limits<float>::quiet_NaN(), 20);
    shows(std::numeric_limits<float>::infinity(), 200);

    // The handle offset moves the handle along its track and across it.
    shows(0.5f, 110);
    slider->setOffsetHandle(CPoint(-4, 5));
    settle();
    EXPECT_EQ(handleLeft(), 106);
    EXPECT_EQ(windowPixel(115, 104), kTrack);
    EXPECT_EQ(windowPixel(115, 105), kRedCColor);

    // Through its own off-screen context it draws the same.
    slider->setOffsetHandle(CPoint());
    slider->setUseOffscreen(true);
    shows(0.25f, 65);
    EXPECT_EQ(windowPixel(21, 101), kTrack);
}

TEST_F(Slider, FreeClickPutsTheHandleCentreUnderTheMouseAndDragsIt)
{
    listener.changes.clear();
    click(120, 110);
    EXPECT_FLOAT_EQ(slider->getValue(), 0.5f);
    EXPECT_EQ(handleLeft(), 110);
    EXPECT_EQ(gestures(kTag), std::make_pair(1, 1));

    drag({{30, 110}, {75, 115}, {300, 110}});
    EXPECT_EQ(slider->getValue(), 1.f);
    ASSERT_EQ(listener.changes.size(), 4u);
    EXPECT_EQ(listener.changes[1].value, 0.f);
    EXPECT_FLOAT_EQ(listener.changes[2].value, 0.25f);
    EXPECT_EQ(listener.changes[3].value, 1.f);
    EXPECT_EQ(gestures(kTag), std::make_pair(2, 2));
    EXPECT_EQ(handleLeft(), 200);

    // Off the left end: clamped to 0.
    click(21, 110);
    EXPECT_EQ(slider->getValue(), 0.f);
}

TEST_F(Slider, WithoutFreeClickOnlyTheHandleIsCaughtAndKeepsItsDistance)
{
    slider->setFreeClick(false);
    slider->setValue(0.5f);
    settle();
    listener.changes.clear();

    // Beside the handle: nothing happens at all.
    click(60, 110);
    drag({{100, 110}, {160, 110}});
    EXPECT_EQ(slider->getValue(), 0.5f);
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(gestures(kTag), std::make_pair(0, 0));

    // Caught near its left edge and moved 45 pixels: a quarter further.
    drag({{112, 110}, {157, 110}});
    EXPECT_FLOAT_EQ(slider->getValue(), 0.75f);
    EXPECT_EQ(handleLeft(), 155);
    // Its right and bottom edges still catch it.
    drag({{175, 120}, {130, 120}});
    EXPECT_FLOAT_EQ(slider->getValue(), 0.5f);
    EXPECT_EQ(gestures(kTag), std::make_pair(2, 2));
}

TEST_F(Slider, ShiftSlowsTheDragByTheZoomFactorFromWhereItWas)
{
    // Plain to 150, then with shift 36 pixels further: a tenth of them.
    platform::headless::mouseDown(window, 120, 110);
    platform::headless::mouseMove(window, 150, 110);
    platform::headless::mouseMove(window, 150, 110, shiftKey);
    platform::headless::mouseMove(window, 186, 110, shiftKey);
    platform::headless::mouseUp(window, 186, 110, kEventMouseButtonPrimary, shiftKey);
    settle();
    EXPECT_NEAR(slider->getValue(), 0.5f + 30.f / 180.f + 36.f / 1800.f, 1e-5);

    // Letting shift go continues at full speed without a jump.
    slider->setZoomFactor(4.f);
    platform::headless::mouseDown(window, 120, 110, kEventMouseButtonPrimary, shiftKey);
    platform::headless::mouseMove(window, 192, 110, shiftKey);
    platform::headless::mouseMove(window, 192, 110);
    platform::headless::mouseMove(window, 210, 110);
    platform::headless::mouseUp(window, 210, 110);
    settle();
    EXPECT_NEAR(slider->getValue(), 0.5f + 72.f / 720.f + 18.f / 180.f, 1e-5);
    for (size_t i = 1; i < listener.changes.size(); ++i)
        EXPECT_LE(std::fabs(listener.changes[i].value - listener.changes[i - 1].value), 0.5f);
    EXPECT_EQ(slider->getZoomFactor(), 4.f);
}

TEST_F(Slider, ModifierClicksGoToTheListenerAndCommandClickResets)
{
    slider->setValue(0.9f);
    listener.consumeModifierClicks = 1;
    click(30, 110, shiftKey);
    EXPECT_EQ(slider->getValue(), 0.9f);
    EXPECT_EQ(listener.modifierClicks, std::vector<long>{kPrimaryButton | kShiftHeld});

    listener.consumeModifierClicks = 0;
    slider->setDefaultValue(0.25f);
    click(30, 110, cmdKey);
    EXPECT_EQ(slider->getValue(), 0.25f);
    EXPECT_EQ(gestures(kTag), std::make_pair(1, 1));
    click(30, 110, 0, kEventMouseButtonSecondary);
    EXPECT_EQ(slider->getValue(), 0.25f);
}

TEST_F(Slider, WheelAndArrowKeysStepLikeAKnob)
{
    slider->setValue(0.5f);
    platform::headless::wheel(window, 120, 110, kEventMouseWheelAxisY, 2);
    settle();
    EXPECT_NEAR(slider->getValue(), 0.7f, 1e-5);
    platform::headless::wheel(window, 120, 110, kEventMouseWheelAxisY, -1, shiftKey);
    settle();
    EXPECT_NEAR(slider->getValue(), 0.69f, 1e-5);

    VstKeyCode key;
    key.virt = kVKeyLeft;
    EXPECT_EQ(slider->onKeyDown(key), 1);
    key.virt = kVKeyUp;
    key.modifier = kModifierShift;
    EXPECT_EQ(slider->onKeyDown(key), 1);
    EXPECT_NEAR(slider->getValue(), 0.6f, 1e-5);
    key.virt = kVKeyReturn;
    EXPECT_EQ(slider->onKeyDown(key), -1);
    EXPECT_EQ(listener.changes.size(), 4u);
    EXPECT_EQ(gestures(kTag), std::make_pair(4, 4));
}

TEST_F(Slider, AVerticalSliderPutsValueZeroAtTheBottom)
{
    CBitmap* handle = bitmapOf(20, 20, [](int, int) { return kGreenCColor; });
    auto* vertical = add(new CVerticalSlider(CRect(260, 20, 280, 220), nullptr, 6, 20, 200, handle, nullptr));
    handle->forget();
    EXPECT_FALSE(vertical->getStyle() & kHorizontal);

    click(270, 30);
    EXPECT_EQ(vertical->getValue(), 1.f);
    EXPECT_EQ(windowPixel(270, 21), kGreenCColor);
    click(270, 75);
    EXPECT_FLOAT_EQ(vertical->getValue(), 0.75f);
    EXPECT_EQ(windowPixel(270, 65), kGreenCColor);
    EXPECT_NE(windowPixel(270, 64), kGreenCColor);
    drag({{270, 100}, {270, 250}});
    EXPECT_EQ(vertical->getValue(), 0.f);
    EXPECT_EQ(windowPixel(270, 219), kGreenCColor);

    // With 0x20 value 0 is at the top instead; without a handle bitmap
    // the handle is a pixel, whose place is under the mouse.
    auto* topDown = add(
        new CVerticalSlider(CRect(290, 20, 310, 220), nullptr, 8, 20, 200, nullptr, nullptr, CPoint(), kTop));
    click(300, 20);
    EXPECT_EQ(topDown->getValue(), 0.f);
    click(300, 65);
    EXPECT_FLOAT_EQ(topDown->getValue(), 0.25f);
}

// A track without length: the handle stays at its first place and clicks
// change nothing (the value would be a division by zero).
TEST_F(Slider, ATrackWithoutLengthKeepsItsValue)
{
    auto* stuck = add(newSlider(60, 60));
    frame->removeView(slider);
    stuck->setValue(0.3f);
    settle();
    EXPECT_EQ(handleLeft(), 60);
    listener.changes.clear();
    click(70, 110);
    drag({{70, 110}, {150, 110}});
    EXPECT_EQ(stuck->getValue(), 0.3f);
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(gestures(kTag), std::make_pair(0, 0));
    // A reversed track is as empty.
    auto* backwards = add(newSlider(150, 100));
    click(155, 110);
    EXPECT_EQ(backwards->getValue(), 0.f);
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(Slider, ClosingTheEditorDuringADragEndsTheLoop)
{
    listener.onChange = [this](CControl*) { editor.close(); };
    drag({{30, 110}, {120, 110}, {200, 110}});
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(editor.getFrame(), nullptr);
}

} // namespace
} // namespace toolkit::test
