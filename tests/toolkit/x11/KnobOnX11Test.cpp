// A knob in a frame on a real X server, dragged with the pointer and the
// keyboard by xdotool, takes the values the same drags give through the
// headless window system.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"
#include "platform/hitoolbox/WindowSystem.h"
#include "tests/support/XServer.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CFrame.h"
#include "toolkit/CKnob.h"

namespace toolkit::test {
namespace {

using platform::windowsystem::Kind;

constexpr long kTag = 3;
// The window's content on the screen; no window manager moves it.
constexpr short kLeft = 100, kTop = 80;

struct Point2 {
    int x, y;
};

// A drag: press at the first point, move through the others, let go at the
// last, holding option (Alt) throughout when asked.
struct Drag {
    std::vector<Point2> path;
    bool option = false;
};

class CountingEditor : public AEffGUIEditor {
  public:
    CountingEditor() : AEffGUIEditor(nullptr) {}
    void beginEdit(long) override { ++begins; }
    void endEdit(long) override { ++ends; }
    int begins = 0, ends = 0;
    using AEffGUIEditor::frame;
};

class Recorder : public CControlListener {
  public:
    void valueChanged(CDrawContext*, CControl* control) override { values.push_back(control->getValue()); }
    std::vector<float> values;
};

// A 60-pixel knob at (20, 20) of a frame filling a compositing window.
class KnobWindow {
  public:
    KnobWindow()
    {
        const Rect bounds{kTop, kLeft, kTop + 120, kLeft + 160};
        EXPECT_EQ(CreateNewWindow(kDocumentWindowClass,
                                  kWindowCompositingAttribute | kWindowStandardHandlerAttribute, &bounds,
                                  &window),
                  noErr);
        ShowWindow(window);
        editor.open(window);
        frame = new CFrame(CRect(0, 0, 160, 120), window, &editor);
        editor.frame = frame;
        HIViewRef content = nullptr;
        HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
        HIViewAddSubview(content, frame->getPlatformControl());
        HIViewSetVisible(frame->getPlatformControl(), true);
        knob = new CKnob(CRect(20, 20, 80, 80), &recorder, kTag, nullptr, nullptr);
        frame->addView(knob);
    }
    ~KnobWindow()
    {
        editor.close();
        DisposeWindow(window);
    }

    WindowRef window = nullptr;
    CountingEditor editor;
    CFrame* frame = nullptr;
    CKnob* knob = nullptr;
    Recorder recorder;
};

struct Outcome {
    float value;
    int begins, ends;
};

Outcome dragHeadless(const Drag& drag, float from)
{
    platform::useVirtualClock(0);
    Outcome outcome{};
    {
        KnobWindow w;
        w.knob->setValue(from);
        const UInt32 modifiers = drag.option ? optionKey : 0;
        const Point2 first = drag.path.front(), last = drag.path.back();
        platform::headless::mouseDown(w.window, first.x, first.y, kEventMouseButtonPrimary, modifiers);
        for (size_t i = 1; i < drag.path.size(); ++i)
            platform::headless::mouseMove(w.window, drag.path[i].x, drag.path[i].y, modifiers);
        platform::headless::mouseUp(w.window, last.x, last.y, kEventMouseButtonPrimary, modifiers);
        RunCurrentEventLoop(1);
        outcome = {w.knob->getValue(), w.editor.begins, w.editor.ends};
    }
    platform::useRealClock();
    return outcome;
}

double seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs the event loop until `done`; false after a few seconds.
bool runUntil(const std::function<bool()>& done)
{
    const double end = seconds() + 5;
    while (!done()) {
        if (seconds() > end) return false;
        RunCurrentEventLoop(0.01);
    }
    return true;
}

Outcome dragOnX11(const Drag& drag, float from)
{
    KnobWindow w;
    w.knob->setValue(from);
    // Drawn once: the window is on the screen.
    EXPECT_TRUE(runUntil([&] { return XServer::get().pixel(kLeft + 1, kTop + 1) != 0xFFFFFF; }));
    std::ostringstream script;
    const auto at = [](Point2 p) {
        return "mousemove " + std::to_string(kLeft + p.x) + " " + std::to_string(kTop + p.y) + " ";
    };
    script << at(drag.path.front()) << "sleep 0.1 ";
    if (drag.option) script << "keydown alt sleep 0.1 ";
    script << "mousedown 1 sleep 0.1 ";
    for (size_t i = 1; i < drag.path.size(); ++i) script << at(drag.path[i]) << "sleep 0.1 ";
    script << "mouseup 1 sleep 0.1";
    if (drag.option) script << " keyup alt";
    const pid_t xdotool = startXdotool(script.str());
    EXPECT_TRUE(runUntil([&] { return w.editor.ends > 0; }));
    EXPECT_EQ(finish(xdotool), 0);
    return {w.knob->getValue(), w.editor.begins, w.editor.ends};
}

class KnobOnX11 : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(XServer::get().running()) << XServer::get().failure();
        AEffGUIEditor::knobMode = 0;
    }
    void TearDown() override { EXPECT_TRUE(platform::windowsystem::choose(Kind::headless)); }

    Outcome onX11(const Drag& drag, float from)
    {
        EXPECT_TRUE(platform::windowsystem::choose(Kind::x11, XServer::get().name().c_str(), 1));
        const Outcome outcome = dragOnX11(drag, from);
        EXPECT_TRUE(platform::windowsystem::choose(Kind::headless));
        return outcome;
    }
};

TEST_F(KnobOnX11, DragsEndWhereTheSameHeadlessDragsEnd)
{
    const struct {
        Drag drag;
        float from, expected;
    } cases[] = {
        // Round from the top to the right, across the dead zone and on:
        // the knob sticks at the end it came from.
        {{{{50, 20}, {80, 50}, {78, 70}, {53, 80}, {47, 80}, {25, 70}}}, 0.5f, 1.f},
        // Stopping up and to the right, 45 degrees past the top.
        {{{{50, 20}, {70, 25}, {75, 25}}}, 0.5f, 2.f / 3.f},
        // Option: linear, up by 80 pixels from 0.25 is 0.4 more.
        {{{{50, 50}, {50, 30}, {50, -30}}, true}, 0.25f, 0.65f},
    };
    for (const auto& c : cases) {
        const Outcome headless = dragHeadless(c.drag, c.from);
        const Outcome x11 = onX11(c.drag, c.from);
        EXPECT_NEAR(headless.value, c.expected, 1e-5);
        EXPECT_EQ(x11.value, headless.value);
        EXPECT_EQ(x11.begins, 1);
        EXPECT_EQ(x11.ends, 1);
        EXPECT_EQ(headless.begins, 1);
        EXPECT_EQ(headless.ends, 1);
    }
}

} // namespace
} // namespace toolkit::test
