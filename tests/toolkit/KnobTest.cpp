// Knobs: the geometry of values and points, and dragging, clicking, the
// wheel and the keys through a frame in a window.

#include <cmath>
#include <limits>

#include "ControlWindow.h"
#include "toolkit/CKnob.h"

namespace toolkit::test {
namespace {

constexpr long kTag = 7;

// A knob 60 pixels wide at (20, 20) in the window: radius 30, inset 3.
CKnob* newKnob()
{
    return new CKnob(CRect(20, 20, 80, 80), nullptr, kTag, nullptr, nullptr);
}

TEST(KnobGeometry, ValuesMapOntoTheArcFromLowerLeftClockwiseToLowerRight)
{
    CKnob* knob = newKnob();
    CPoint point;
    knob->setValue(0.f);
    knob->valueToPoint(point);
    EXPECT_EQ(point, CPoint(11, 49));
    knob->setValue(0.5f);
    knob->valueToPoint(point);
    EXPECT_EQ(point, CPoint(30, 3));
    knob->setValue(1.f);
    knob->valueToPoint(point);
    EXPECT_EQ(point, CPoint(49, 49));

    EXPECT_NEAR(knob->valueFromPoint(CPoint(30, 0)), 0.5f, 1e-5);
    EXPECT_NEAR(knob->valueFromPoint(CPoint(60, 30)), 5.f / 6.f, 1e-5);
    EXPECT_NEAR(knob->valueFromPoint(CPoint(0, 30)), 1.f / 6.f, 1e-5);
    // The dead zone below the centre: each half snaps to its nearer end.
    EXPECT_EQ(knob->valueFromPoint(CPoint(33, 60)), 1.f);
    EXPECT_EQ(knob->valueFromPoint(CPoint(27, 60)), 0.f);

    // An anticlockwise range: the same arc the other way round.
    knob->setStartAngle(-0.7853982f);
    knob->setRangeAngle(4.712389f);
    EXPECT_NEAR(knob->valueFromPoint(CPoint(60, 30)), 1.f / 6.f, 1e-5);
    EXPECT_EQ(knob->valueFromPoint(CPoint(33, 60)), 0.f);
    EXPECT_EQ(knob->valueFromPoint(CPoint(27, 60)), 1.f);
    knob->forget();
}

TEST(KnobGeometry, UnusableValuesAndRangesPutTheHandleAtAnEndOfTheArc)
{
    CKnob* knob = newKnob();
    CPoint point;
    knob->setValue(std::numeric_limits<float>::quiet_NaN());
    knob->valueToPoint(point);
    EXPECT_EQ(point, CPoint(11, 49));
    knob->setValue(std::numeric_limits<float>::infinity());
    knob->valueToPoint(point);
    EXPECT_EQ(point, CPoint(49, 49));
    knob->setValue(-std::numeric_limits<float>::infinity());
    knob->valueToPoint(point);
    EXPECT_EQ(point, CPoint(11, 49));

    // No arc, or no range: every value sits at the start angle.
    knob->setValue(0.7f);
    knob->setRangeAngle(0.f);
    knob->valueToPoint(point);
    EXPECT_EQ(point, CPoint(11, 49));
    knob->setMax(0.f);
    knob->setRangeAngle(-4.712389f);
    knob->valueToPoint(point);
    EXPECT_EQ(point, CPoint(11, 49));
    EXPECT_TRUE(std::isfinite(knob->valueFromPoint(CPoint(30, 0))));
    knob->forget();
}

class Knob : public ControlWindow {
  protected:
    void SetUp() override
    {
        ControlWindow::SetUp();
        knob = add(newKnob());
        AEffGUIEditor::knobMode = 0;
    }
    void TearDown() override
    {
        AEffGUIEditor::knobMode = 0;
        ControlWindow::TearDown();
    }

    CKnob* knob = nullptr;
};

TEST_F(Knob, DrawsAShadowedLineOrAHandleBitmapAtTheHandlePoint)
{
    // At 0.5 the handle is at the top: a grey line one pixel left of the
    // centre, a white one a pixel right of it.
    knob->setValue(0.5f);
    settle();
    EXPECT_EQ(windowPixel(49, 35), kGreyCColor);
    EXPECT_EQ(windowPixel(50, 35), kWhiteCColor);
    EXPECT_EQ(windowPixel(60, 35), kBlackCColor);

    // A 5-pixel handle: inset 5, centred on (50, 25).
    CBitmap* handle = bitmapOf(5, 5, [](int, int) { return kRedCColor; });
    knob->setHandleBitmap(handle);
    handle->forget();
    knob->setDirty();
    settle();
    EXPECT_EQ(windowPixel(48, 23), kRedCColor);
    EXPECT_EQ(windowPixel(52, 27), kRedCColor);
    EXPECT_NE(windowPixel(53, 27), kRedCColor);
}

TEST_F(Knob, CircularDragFollowsTheMouseAndSticksAtTheEndItCameFrom)
{
    // From the top, round to the right, across the dead zone and on to the
    // lower left.
    drag({{50, 20}, {80, 50}, {78, 70}, {53, 80}, {47, 80}, {25, 70}});
    EXPECT_EQ(knob->getValue(), 1.f);
    ASSERT_GE(listener.changes.size(), 3u);
    EXPECT_NEAR(listener.changes[0].value, 0.5f, 1e-5);
    EXPECT_NEAR(listener.changes[1].value, 5.f / 6.f, 1e-5);
    EXPECT_EQ(listener.changes.back().value, 1.f);
    EXPECT_EQ(gestures(kTag), std::make_pair(1, 1));

    // Coming from the low end, the dead zone keeps the minimum.
    listener.changes.clear();
    drag({{20, 50}, {25, 70}, {47, 80}, {53, 80}, {78, 70}});
    EXPECT_EQ(knob->getValue(), 0.f);
    EXPECT_EQ(gestures(kTag), std::make_pair(2, 2));
}

TEST_F(Knob, OptionDragIsLinearAndShiftSlowsItWithoutAJump)
{
    knob->setValue(0.25f);
    drag({{50, 50}, {50, 30}, {50, -50}}, optionKey);
    EXPECT_NEAR(knob->getValue(), 0.75f, 1e-5);
    EXPECT_EQ(gestures(kTag), std::make_pair(1, 1));

    // Right counts as up; shift from the start gives 1/1.5 of the speed.
    knob->setValue(0.f);
    drag({{50, 50}, {150, 50}}, optionKey | shiftKey);
    EXPECT_NEAR(knob->getValue(), 1.f / 3.f, 1e-5);

    // Shift pressed on the way: the value goes on from where it was, more
    // slowly.
    knob->setValue(0.f);
    listener.changes.clear();
    platform::headless::mouseDown(window, 50, 75, kEventMouseButtonPrimary, optionKey);
    platform::headless::mouseMove(window, 50, 35, optionKey);
    platform::headless::mouseMove(window, 50, 15, optionKey | shiftKey);
    platform::headless::mouseMove(window, 50, -25, optionKey | shiftKey);
    platform::headless::mouseUp(window, 50, -25, kEventMouseButtonPrimary, optionKey | shiftKey);
    settle();
    EXPECT_NEAR(knob->getValue(), 60.f / 200.f + 40.f / 300.f, 1e-5);
    for (size_t i = 1; i < listener.changes.size(); ++i) {
        EXPECT_GT(listener.changes[i].value, listener.changes[i - 1].value);
        EXPECT_LE(listener.changes[i].value - listener.changes[i - 1].value, 40.f / 200.f + 1e-5);
    }
    EXPECT_EQ(gestures(kTag), std::make_pair(3, 3));
}

TEST_F(Knob, KnobModeTwoMakesPlainDragsLinearAndOptionDragsCircular)
{
    AEffGUIEditor::knobMode = 2;
    knob->setValue(0.f);
    drag({{50, 50}, {50, 10}});
    EXPECT_NEAR(knob->getValue(), 0.2f, 1e-5);
    drag({{80, 50}}, optionKey);
    EXPECT_NEAR(knob->getValue(), 5.f / 6.f, 1e-5);
}

TEST_F(Knob, CommandClickResetsToTheDefaultAndOtherModifiersDoNot)
{
    knob->setValue(0.9f);
    click(50, 20, cmdKey);
    EXPECT_EQ(knob->getValue(), 0.5f);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(gestures(kTag), std::make_pair(1, 1));
    EXPECT_EQ(listener.modifierClicks, std::vector<long>{kPrimaryButton | kCommandHeld});

    // Command-shift drags instead: the value follows the point clicked.
    click(80, 50, cmdKey | shiftKey);
    EXPECT_NEAR(knob->getValue(), 5.f / 6.f, 1e-5);

    // A listener that takes modifier clicks leaves the knob alone.
    listener.consumeModifierClicks = 1;
    click(50, 20, cmdKey);
    EXPECT_NEAR(knob->getValue(), 5.f / 6.f, 1e-5);
    EXPECT_EQ(gestures(kTag), std::make_pair(2, 2));
}

TEST_F(Knob, WheelStepsByTheIncrementAndShiftByATenthOfIt)
{
    knob->setValue(0.5f);
    platform::headless::wheel(window, 50, 50, kEventMouseWheelAxisY, 1);
    settle();
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-5);
    platform::headless::wheel(window, 50, 50, kEventMouseWheelAxisY, -2, shiftKey);
    settle();
    EXPECT_NEAR(knob->getValue(), 0.58f, 1e-5);
    EXPECT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(gestures(kTag), std::make_pair(2, 2));

    // Clamped at the end; a step that changes nothing reports nothing.
    platform::headless::wheel(window, 50, 50, kEventMouseWheelAxisY, 10);
    settle();
    knob->setDirty(false);
    platform::headless::wheel(window, 50, 50, kEventMouseWheelAxisY, 1);
    settle();
    EXPECT_EQ(knob->getValue(), 1.f);
    EXPECT_EQ(listener.changes.size(), 3u);

    knob->setMouseEnabled(false);
    EXPECT_FALSE(knob->onWheel(nullptr, CPoint(30, 30), 1.f));
}

// The frame takes no keys from the window, so the keys go to the knob itself.
TEST_F(Knob, ArrowKeysStepUpAndRightUpwardsAndLeftAndDownDownwards)
{
    knob->setValue(0.5f);
    VstKeyCode key;
    key.virt = kVKeyUp;
    EXPECT_EQ(knob->onKeyDown(key), 1);
    key.virt = kVKeyRight;
    EXPECT_EQ(knob->onKeyDown(key), 1);
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-5);
    key.virt = kVKeyLeft;
    key.modifier = kModifierShift;
    EXPECT_EQ(knob->onKeyDown(key), 1);
    key.virt = kVKeyDown;
    key.modifier = 0;
    EXPECT_EQ(knob->onKeyDown(key), 1);
    EXPECT_NEAR(knob->getValue(), 0.59f, 1e-5);
    ASSERT_EQ(listener.changes.size(), 4u);
    EXPECT_FALSE(listener.changes[0].withContext);
    EXPECT_EQ(gestures(kTag), std::make_pair(4, 4));

    key.virt = kVKeyTab;
    EXPECT_EQ(knob->onKeyDown(key), -1);
}

TEST_F(Knob, ClosingTheEditorDuringADragEndsTheTrackingLoop)
{
    listener.onChange = [this](CControl*) {
        if (listener.changes.size() == 1) editor.close();
    };
    drag({{50, 20}, {80, 50}, {78, 70}, {25, 70}});
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(editor.getFrame(), nullptr);
}

} // namespace
} // namespace toolkit::test
