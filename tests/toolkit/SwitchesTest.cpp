// Rocker and horizontal switches, movie and kick buttons in a frame: what
// a press, a drag and a release make of the value, what the listener
// hears and which image is drawn.

#include <cmath>
#include <limits>

#include "ControlWindow.h"
#include "toolkit/CHorizontalSwitch.h"
#include "toolkit/CKickButton.h"
#include "toolkit/CRockerSwitch.h"

namespace toolkit::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class Switches : public ControlWindow {
  protected:
    std::vector<float> heard() const
    {
        std::vector<float> values;
        for (const auto& change : listener.changes) values.push_back(change.value);
        return values;
    }
};

// A rocker 40 pixels wide at (20, 20) showing -1, 0 and +1 as images 0 to 2.
TEST_F(Switches, RockerRocksWhilePressedAndEndsAtZero)
{
    CBitmap* background = strip(3, 40, 20);
    auto* rocker = add(new CRockerSwitch(CRect(20, 20, 60, 40), nullptr, 4, 20, background));
    background->forget();
    EXPECT_EQ(windowPixel(40, 30), imageColour(1));

    click(25, 30);
    EXPECT_EQ(heard(), (std::vector<float>{-1.f, 0.f}));
    EXPECT_EQ(rocker->getValue(), 0.f);
    EXPECT_EQ(gestures(4), std::make_pair(1, 1));

    // Across the middle and off the control: the half decides.
    listener.changes.clear();
    drag({{30, 30}, {45, 30}, {90, 80}, {10, 30}});
    EXPECT_EQ(heard(), (std::vector<float>{-1.f, 1.f, -1.f, 0.f}));
    EXPECT_EQ(gestures(4), std::make_pair(2, 2));
    EXPECT_EQ(windowPixel(40, 30), imageColour(1));

    // The wheel rocks and comes back: up to -1, down to +1.
    listener.changes.clear();
    platform::headless::wheel(window, 40, 30, kEventMouseWheelAxisY, 1);
    platform::headless::wheel(window, 40, 30, kEventMouseWheelAxisY, -1);
    settle();
    EXPECT_EQ(heard(), (std::vector<float>{-1.f, 0.f, 1.f, 0.f}));
    EXPECT_EQ(gestures(4), std::make_pair(4, 4));

    // Each value its image; NaN the first.
    for (auto [value, image] : {std::pair{-1.f, 0}, {1.f, 2}, {0.f, 1}, {kNaN, 0}, {0.3f, 2}}) {
        rocker->setValue(value);
        settle();
        EXPECT_EQ(windowPixel(40, 30), imageColour(image)) << value;
    }
}

TEST_F(Switches, VerticalRockerTakesTheTopHalfForMinusOne)
{
    CBitmap* background = strip(3, 20, 40);
    auto* rocker = add(new CRockerSwitch(CRect(20, 20, 40, 60), nullptr, 4, background, CPoint(), kVertical));
    background->forget();
    click(30, 25);
    EXPECT_EQ(windowPixel(30, 30), imageColour(1));
    click(30, 55);
    EXPECT_EQ(heard(), (std::vector<float>{-1.f, 0.f, 1.f, 0.f}));
    EXPECT_EQ(rocker->getValue(), 0.f);
}

// Three positions 60 pixels wide side by side, the switch at (20, 60).
TEST_F(Switches, HorizontalSwitchPicksThePositionUnderTheMouse)
{
    CBitmap* background = strip(3, 60, 20, true);
    auto* hswitch = add(new CHorizontalSwitch(CRect(20, 60, 80, 80), nullptr, 2, 3, 60, 3, background));
    EXPECT_EQ(windowPixel(50, 70), imageColour(0));

    click(45, 70);
    EXPECT_EQ(hswitch->getValue(), 0.5f);
    EXPECT_EQ(windowPixel(50, 70), imageColour(1));
    drag({{21, 70}, {79, 70}, {200, 70}});
    EXPECT_EQ(hswitch->getValue(), 1.f);
    EXPECT_EQ(windowPixel(50, 70), imageColour(2));
    EXPECT_EQ(heard(), (std::vector<float>{0.5f, 0.f, 1.f}));
    EXPECT_EQ(gestures(2), std::make_pair(2, 2));

    // Command-click resets to 0; NaN and values out of range show an end.
    click(45, 70, cmdKey);
    EXPECT_EQ(hswitch->getValue(), 0.f);
    for (auto [value, image] : {std::pair{kNaN, 0}, {7.f, 2}, {-1.f, 0}, {0.74f, 1}}) {
        hswitch->setValue(value);
        settle();
        EXPECT_EQ(windowPixel(50, 70), imageColour(image)) << value;
    }

    // Sizes from the bitmap: the control's width per image; the offset
    // shifts which image is first.
    auto* sized = add(new CHorizontalSwitch(CRect(100, 60, 160, 80), nullptr, 3, background, CPoint(60, 0)));
    background->forget();
    EXPECT_EQ(windowPixel(130, 70), imageColour(1));
    click(150, 70);
    EXPECT_EQ(sized->getValue(), 1.f);
}

// One position, or an image no wide: no value for the mouse to pick.
TEST_F(Switches, HorizontalSwitchWithoutPositionsToPickKeepsItsValue)
{
    CBitmap* background = strip(3, 60, 20, true);
    auto* single = add(new CHorizontalSwitch(CRect(20, 60, 80, 80), nullptr, 2, 1, 60, 1, background));
    auto* flat = add(new CHorizontalSwitch(CRect(100, 60, 160, 80), nullptr, 3, 3, 0, 3, background));
    auto* none = add(new CHorizontalSwitch(CRect(180, 60, 240, 80), nullptr, 6, 3, 60, 0, background));
    background->forget();
    single->setValue(0.4f);
    for (CControl* control :
         {static_cast<CControl*>(single), static_cast<CControl*>(flat), static_cast<CControl*>(none)}) {
        CRect size;
        control->getViewSize(size);
        click(size.left + 45, 70);
    }
    EXPECT_EQ(single->getValue(), 0.4f);
    EXPECT_EQ(flat->getValue(), 0.f);
    EXPECT_EQ(none->getValue(), 0.f);
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(gestures(2), std::make_pair(0, 0));
    EXPECT_EQ(windowPixel(50, 70), imageColour(0));
    EXPECT_EQ(windowPixel(130, 70), imageColour(0));
}

// Off image 0, on image 1, 20 pixels square at (100, 20).
class Buttons : public Switches {
  protected:
    template <typename Kind> Kind* button()
    {
        CBitmap* background = strip(2);
        auto* made = add(new Kind(CRect(100, 20, 120, 40), nullptr, 8, 20, background));
        background->forget();
        return made;
    }

    // A press that the button finds let go already, as when the mouse up
    // came before the press was looked at.
    void pressAlreadyOver(CControl* control)
    {
        CDrawContext* context = frame->createDrawContext();
        CPoint where(110, 30);
        control->mouse(context, where, kPrimaryButton);
        context->forget();
    }
};

TEST_F(Buttons, MovieButtonShowsTheOtherStateWhileTheMouseIsOverIt)
{
    auto* movie = button<CMovieButton>();
    click(110, 30);
    EXPECT_EQ(movie->getValue(), 1.f);
    EXPECT_EQ(windowPixel(110, 30), imageColour(1));
    click(110, 30);
    EXPECT_EQ(movie->getValue(), 0.f);
    EXPECT_EQ(heard(), (std::vector<float>{1.f, 0.f}));
    EXPECT_EQ(gestures(8), std::make_pair(2, 2));

    // Off the control (its far edges still count as on it) and back.
    listener.changes.clear();
    drag({{110, 30}, {120, 40}, {121, 30}, {115, 35}});
    EXPECT_EQ(movie->getValue(), 1.f);
    EXPECT_EQ(heard(), (std::vector<float>{1.f, 0.f, 1.f}));

    // Let go off the control: the value of the press.
    listener.changes.clear();
    drag({{110, 30}, {150, 30}});
    EXPECT_EQ(movie->getValue(), 1.f);
    EXPECT_EQ(heard(), (std::vector<float>{0.f, 1.f}));

    // Found let go at once: it toggles, told once.
    listener.changes.clear();
    pressAlreadyOver(movie);
    EXPECT_EQ(movie->getValue(), 0.f);
    EXPECT_EQ(heard(), std::vector<float>{0.f});

    // NaN shows the off image, like 0.
    movie->setValue(kNaN);
    settle();
    EXPECT_EQ(windowPixel(110, 30), imageColour(0));
}

TEST_F(Buttons, KickButtonIsOnOnlyWhilePressedOverIt)
{
    auto* kick = button<CKickButton>();
    click(110, 30);
    EXPECT_EQ(kick->getValue(), 0.f);
    EXPECT_EQ(heard(), (std::vector<float>{1.f, 0.f}));
    EXPECT_EQ(gestures(8), std::make_pair(1, 1));

    // Over its far edges it stays on.
    listener.changes.clear();
    drag({{110, 30}, {120, 40}});
    EXPECT_EQ(heard(), (std::vector<float>{1.f, 0.f}));

    // Dragged off: back to the press value, then 0 again on release.
    listener.changes.clear();
    drag({{110, 30}, {160, 30}});
    EXPECT_EQ(kick->getValue(), 0.f);
    EXPECT_EQ(heard(), (std::vector<float>{1.f, 0.f, 0.f}));

    // Found let go at once: on and off, each told.
    listener.changes.clear();
    pressAlreadyOver(kick);
    EXPECT_EQ(heard(), (std::vector<float>{1.f, 0.f}));
    EXPECT_EQ(gestures(8), std::make_pair(4, 4));
    EXPECT_TRUE(kick->isTypeOf("CKickButton"));
}

TEST_F(Buttons, ModifierClicksGoToTheListenerFirst)
{
    auto* movie = button<CMovieButton>();
    listener.consumeModifierClicks = 1;
    click(110, 30, optionKey);
    EXPECT_EQ(movie->getValue(), 0.f);
    EXPECT_EQ(listener.modifierClicks, std::vector<long>{kPrimaryButton | kOptionHeld});
    EXPECT_EQ(gestures(8), std::make_pair(0, 0));
    click(110, 30, 0, kEventMouseButtonSecondary);
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(Buttons, ClosingTheEditorWhileAKickButtonIsHeldEndsThePress)
{
    button<CKickButton>();
    listener.onChange = [this](CControl*) { editor.close(); };
    drag({{110, 30}, {115, 30}, {160, 30}});
    EXPECT_EQ(heard(), std::vector<float>{1.f});
    EXPECT_EQ(editor.getFrame(), nullptr);
}

} // namespace
} // namespace toolkit::test
