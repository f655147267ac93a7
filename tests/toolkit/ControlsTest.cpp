// The filmstrip knob, the on/off button, the vertical switch and the value
// display in a frame: what they draw and how they answer clicks.

#include <cmath>
#include <limits>

#include "ControlWindow.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/CTextLabel.h"
#include "toolkit/CVerticalSwitch.h"

namespace toolkit::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

using Controls = ControlWindow;

TEST_F(Controls, FilmstripKnobShowsTheImageOfItsValue)
{
    CBitmap* background = strip(61);
    auto* knob = add(new CAnimKnob(CRect(100, 20, 120, 40), nullptr, 3, 61, 20, background));
    background->forget();

    const auto shows = [&](float value, int image) {
        knob->setValue(value);
        settle();
        EXPECT_EQ(windowPixel(110, 30), imageColour(image)) << "value " << value;
        EXPECT_FALSE(knob->isDirty());
    };
    shows(0.999f, 59);
    shows(0.5f, 30);
    shows(1.f, 60);
    shows(-0.2f, 0);
    knob->setInverseBitmap(true);
    shows(0.25f, 45);
    knob->setInverseBitmap(false);
    // Values no integer can hold show an end of the strip.
    shows(kNaN, 0);
    shows(std::numeric_limits<float>::infinity(), 60);
    shows(0.5f, 30);
    shows(1e30f, 60);
}

TEST_F(Controls, FilmstripKnobIsRedrawnOnlyWhenItsHandlePointMoves)
{
    CBitmap* background = strip(61);
    auto* knob = add(new CAnimKnob(CRect(100, 20, 120, 40), nullptr, 3, background));
    background->forget();
    knob->setValue(0.5f);
    settle();
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.5001f);
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.6f);
    EXPECT_TRUE(knob->isDirty());
    knob->setDirty(false);
    knob->setDirty(true);
    EXPECT_TRUE(knob->isDirty());
}

TEST_F(Controls, FilmstripKnobWithoutImagesDrawsTheFirst)
{
    CBitmap* background = strip(3);
    // No image height; a background lower than the control; no background.
    auto* flat = add(new CAnimKnob(CRect(100, 20, 120, 40), nullptr, 3, 61, 0, background));
    auto* shortStrip = add(new CAnimKnob(CRect(130, 20, 150, 100), nullptr, 4, background));
    auto* bare = add(new CAnimKnob(CRect(160, 20, 180, 40), nullptr, 5, nullptr));
    background->forget();
    for (CAnimKnob* knob : {flat, shortStrip, bare}) knob->setValue(0.7f);
    settle();
    EXPECT_EQ(windowPixel(110, 30), imageColour(0));
    EXPECT_EQ(windowPixel(140, 30), imageColour(0));
    EXPECT_FALSE(bare->isDirty());
}

TEST_F(Controls, OnOffButtonSwitchesOnThePressAndShowsItsHalf)
{
    CBitmap* background = bitmapOf(20, 40, [](int, int y) { return y < 20 ? kRedCColor : kGreenCColor; });
    auto* button = add(new COnOffButton(CRect(200, 20, 220, 40), nullptr, 9, background));
    background->forget();
    EXPECT_EQ(windowPixel(210, 30), kRedCColor);

    click(210, 30);
    EXPECT_EQ(button->getValue(), 1.f);
    EXPECT_EQ(windowPixel(210, 30), kGreenCColor);
    click(210, 30);
    EXPECT_EQ(button->getValue(), 0.f);
    EXPECT_EQ(windowPixel(210, 30), kRedCColor);
    EXPECT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(gestures(9), std::make_pair(2, 2));

    // The integer part decides: 0.5 switches on; NaN and infinities off.
    for (auto [before, after] :
         {std::pair{0.5f, 1.f}, {1.f, 0.f}, {kNaN, 0.f}, {-INFINITY, 0.f}, {-0.7f, 1.f}}) {
        button->setValue(before);
        click(210, 30);
        EXPECT_EQ(button->getValue(), after) << before;
    }

    // Style 1 reports too, once a click; other buttons do nothing.
    button->setStyle(1);
    listener.changes.clear();
    click(210, 30);
    click(210, 30, 0, kEventMouseButtonSecondary);
    EXPECT_EQ(listener.changes.size(), 1u);
    listener.consumeModifierClicks = 1;
    click(210, 30, shiftKey);
    EXPECT_EQ(listener.changes.size(), 1u);
}

TEST_F(Controls, VerticalSwitchPicksThePositionUnderTheMouse)
{
    const auto third = [](int, int y) { return y < 30 ? kRedCColor : y < 60 ? kGreenCColor : kBlueCColor; };
    CBitmap* background = bitmapOf(20, 90, third);
    // Three positions in a switch 30 pixels high: ten pixels each.
    auto* vswitch = add(new CVerticalSwitch(CRect(240, 20, 260, 50), nullptr, 11, 3, 30, 3, background));
    background->forget();

    click(250, 35);
    EXPECT_EQ(vswitch->getValue(), 0.5f);
    EXPECT_EQ(windowPixel(250, 25), kGreenCColor);
    drag({{250, 21}, {250, 45}, {250, 80}});
    EXPECT_EQ(vswitch->getValue(), 1.f);
    EXPECT_EQ(windowPixel(250, 25), kBlueCColor);
    EXPECT_EQ(gestures(11), std::make_pair(2, 2));
    EXPECT_EQ(listener.changes.back().value, 1.f);

    click(250, 45, cmdKey);
    EXPECT_EQ(vswitch->getValue(), 0.f);
    EXPECT_EQ(gestures(11), std::make_pair(3, 3));

    // Out-of-range values show the nearer end.
    vswitch->setValue(kNaN);
    settle();
    EXPECT_EQ(windowPixel(250, 25), kRedCColor);
    vswitch->setValue(7.f);
    settle();
    EXPECT_EQ(windowPixel(250, 25), kBlueCColor);
}

TEST_F(Controls, VerticalSwitchWithoutTwoPositionsIgnoresClicks)
{
    CBitmap* background = bitmapOf(20, 20, [](int, int) { return kRedCColor; });
    auto* single = add(new CVerticalSwitch(CRect(240, 20, 260, 40), nullptr, 12, 1, 20, 1, background));
    auto* unsized = add(new CVerticalSwitch(CRect(240, 60, 260, 80), nullptr, 13, nullptr));
    background->forget();
    click(250, 30);
    click(250, 70);
    EXPECT_EQ(single->getValue(), 0.f);
    EXPECT_EQ(unsized->getValue(), 0.f);
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(gestures(12), std::make_pair(0, 0));
    EXPECT_EQ(gestures(13), std::make_pair(0, 0));
}

TEST_F(Controls, ValueDisplayDrawsItsTextThroughTheConversionOnItsBox)
{
    static float converted = -1.f;
    const CRect box(20, 100, 120, 130);
    auto* display = add(new CParamDisplay(box));
    display->setBackColor(kBlueCColor);
    display->setFontColor(kWhiteCColor);
    display->setFrameColor(kYellowCColor);
    display->setValue(0.5f);
    settle();
    const auto count = [&](CColor colour) { return pixelsNear(box, colour); };
    EXPECT_GT(count(kWhiteCColor), 0);
    EXPECT_EQ(windowPixel(20, 100), kYellowCColor);
    EXPECT_EQ(windowPixel(22, 127), kBlueCColor);

    display->setStringConvert([](float value, char* text) {
        converted = value;
        std::snprintf(text, 256, "%s", "");
    });
    display->setValue(0.25f);
    settle();
    EXPECT_EQ(converted, 0.25f);
    EXPECT_EQ(count(kWhiteCColor), 0);

    display->setStringConvert(nullptr);
    display->setStyle(kShadowText);
    settle();
    EXPECT_GT(count(kRedCColor), 0);
    display->setStyle(kNoTextStyle);
    settle();
    EXPECT_EQ(count(kWhiteCColor), 0);
    EXPECT_EQ(windowPixel(70, 115), kBlueCColor);

    // Drawing nothing: created clean, and the window keeps what was there.
    auto* hidden = new CParamDisplay(CRect(20, 140, 60, 160), nullptr, kNoDrawStyle);
    EXPECT_FALSE(hidden->isDirty());
    hidden->forget();
}

TEST_F(Controls, TextLabelDrawsItsOwnText)
{
    auto* label = add(new CTextLabel(CRect(20, 100, 120, 130), "Label"));
    label->setBackColor(kBlackCColor);
    EXPECT_STREQ(label->getText(), "Label");
    settle();
    const CRect box(20, 100, 120, 130);
    EXPECT_GT(pixelsNear(box, kWhiteCColor), 0);
    label->setText(nullptr);
    label->setDirty();
    settle();
    EXPECT_EQ(label->getText(), nullptr);
    EXPECT_EQ(pixelsNear(box, kWhiteCColor), 0);
}

TEST(ControlState, DirtinessFollowsTheValueLastDrawn)
{
    auto* control = new CControl(CRect(0, 0, 10, 10));
    control->setDirty(false);
    EXPECT_FALSE(control->isDirty());
    control->setValue(0.3f);
    EXPECT_TRUE(control->isDirty());
    control->setDirty(false);
    EXPECT_FALSE(control->isDirty());
    control->setValue(-1.f);
    control->setDirty(false);
    control->setDirty(true);
    EXPECT_EQ(control->getOldValue(), 0.f);
    EXPECT_TRUE(control->isDirty());
    control->setValue(kNaN);
    control->setDirty(false);
    EXPECT_TRUE(control->isDirty());

    control->setMin(0.2f);
    control->setMax(0.8f);
    control->setValue(0.9f);
    control->bounceValue();
    EXPECT_EQ(control->getValue(), 0.8f);
    control->setValue(-3.f);
    control->bounceValue();
    EXPECT_EQ(control->getValue(), 0.2f);
    EXPECT_TRUE(control->isTypeOf("CControl"));
    EXPECT_TRUE(control->isTypeOf("CView"));
    EXPECT_FALSE(control->isTypeOf("CKnob"));
    control->forget();
}

// The editor closing from inside a control's own click handling: the
// control and its frame outlive the handling, which ends there.
TEST_F(Controls, ClosingTheEditorFromAListenerEndsTheClickSafely)
{
    CBitmap* background = bitmapOf(20, 60, [](int, int) { return kRedCColor; });
    auto* button = add(new COnOffButton(CRect(200, 20, 220, 40), nullptr, 9, background, 1));
    background->forget();
    listener.onChange = [this](CControl*) { editor.close(); };
    click(210, 30);
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].control, button);
    EXPECT_EQ(editor.getFrame(), nullptr);
}

TEST_F(Controls, ClosingTheEditorDuringASwitchDragEndsTheLoop)
{
    CBitmap* background = bitmapOf(20, 60, [](int, int) { return kRedCColor; });
    add(new CVerticalSwitch(CRect(240, 20, 260, 50), nullptr, 11, 3, 20, 3, background));
    background->forget();
    listener.onChange = [this](CControl*) { editor.close(); };
    drag({{250, 21}, {250, 35}, {250, 45}});
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(editor.getFrame(), nullptr);
}

} // namespace
} // namespace toolkit::test
