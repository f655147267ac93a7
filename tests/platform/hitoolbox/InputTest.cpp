// Scripted input through the event loop: mouse clicks become the control
// events of the view under them, wheel and keys reach the right views, and
// the input state stays current inside a tracking loop.

#include <gtest/gtest.h>

#include "TestView.h"
#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"

namespace {

class Input : public ::testing::Test {
  protected:
    void SetUp() override
    {
        platform::useVirtualClock(0);
        window = newTestWindow({100, 200, 180, 300});
        // Two overlapping views; `top` was added last. top covers x 20..59,
        // y 30..69 of the window.
        viewClass.create(below, window, {10, 10, 60, 60});
        viewClass.create(top, window, {30, 20, 70, 60});
        RunCurrentEventLoop(0);
    }
    void TearDown() override
    {
        platform::headless::clearInput();
        DisposeWindow(window);
        platform::useRealClock();
    }

    // Runs the loop long enough for all scripted input.
    void runScript() { RunCurrentEventLoop(1); }

    TestViewClass viewClass;
    TestView below, top;
    WindowRef window = nullptr;
};

TEST_F(Input, PrimaryClickIsHitTestedClickedAndTrackedOnTheTopView)
{
    platform::headless::mouseDown(window, 25, 35, kEventMouseButtonPrimary, shiftKey);
    platform::headless::mouseUp(window, 25, 35);
    runScript();
    EXPECT_EQ(platform::headless::pendingInput(), 0u);

    ASSERT_EQ(top.kinds(), (std::vector<UInt32>{kEventControlInitialize, kEventControlHitTest,
                                                kEventControlClick, kEventControlTrack}));
    EXPECT_EQ(below.kinds(), std::vector<UInt32>{kEventControlInitialize});
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(top.received[i].location.x, 5);
        EXPECT_EQ(top.received[i].location.y, 5);
    }
    EXPECT_EQ(top.received[2].button, kEventMouseButtonPrimary);
    EXPECT_EQ(top.received[3].part, kControlIndicatorPart);

    // Where only `below` is, it gets the click, in its own coordinates.
    platform::headless::mouseDown(window, 12, 15);
    platform::headless::mouseUp(window, 12, 15);
    runScript();
    ASSERT_EQ(below.received.size(), 4u);
    EXPECT_EQ(below.received[3].kind, kEventControlTrack);
    EXPECT_EQ(below.received[3].location.x, 2);
    EXPECT_EQ(below.received[3].location.y, 5);
}

TEST_F(Input, NonCompositingWindowsGivePortAndGlobalLocations)
{
    WindowRef plain = nullptr;
    const Rect bounds{50, 40, 90, 100};
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds, &plain), noErr);
    TestView view;
    viewClass.create(view, plain, {10, 10, 30, 30});
    platform::headless::mouseDown(plain, 15, 12);
    platform::headless::mouseUp(plain, 15, 12);
    runScript();
    ASSERT_EQ(view.kinds(), (std::vector<UInt32>{kEventControlInitialize, kEventControlHitTest,
                                                 kEventControlClick, kEventControlTrack}));
    EXPECT_EQ(view.received[1].location.x, 15);
    EXPECT_EQ(view.received[2].location.x, 55);
    EXPECT_EQ(view.received[2].location.y, 62);
    EXPECT_EQ(view.received[3].location.y, 12);
    DisposeWindow(plain);
}

TEST_F(Input, HandledClicksAreNotTrackedAndOtherButtonsAreContextual)
{
    top.handlesClick = true;
    platform::headless::mouseDown(window, 25, 35);
    platform::headless::mouseUp(window, 25, 35);
    runScript();
    EXPECT_EQ(top.kinds(),
              (std::vector<UInt32>{kEventControlInitialize, kEventControlHitTest, kEventControlClick}));

    top.handlesClick = false;
    top.received.clear();
    platform::headless::mouseDown(window, 25, 35, kEventMouseButtonSecondary);
    platform::headless::mouseUp(window, 25, 35, kEventMouseButtonSecondary);
    // A control-click is contextual too.
    platform::headless::mouseDown(window, 26, 36, kEventMouseButtonPrimary, controlKey);
    platform::headless::mouseUp(window, 26, 36);
    runScript();
    EXPECT_EQ(top.kinds(), (std::vector<UInt32>{kEventControlHitTest, kEventControlClick,
                                                kEventControlContextualMenuClick, kEventControlHitTest,
                                                kEventControlClick, kEventControlContextualMenuClick}));
    EXPECT_EQ(top.received[2].button, kEventMouseButtonSecondary);
    EXPECT_EQ(top.received[5].location.x, 6);
}

TEST_F(Input, TrackingLoopSeesTheMouseMove)
{
    struct Sample {
        Point local;
        Boolean button;
        UInt32 modifiers;
    };
    std::vector<Sample> samples;
    SetPort(GetWindowPort(window));
    top.track = [&] {
        // As a toolkit control tracks: until the button goes up, read the
        // mouse and let the event loop run.
        while (Button()) {
            Point where{};
            GetMouse(&where);
            samples.push_back({where, Button(), GetCurrentEventKeyModifiers()});
            ASSERT_LT(samples.size(), 1000u);
            RunCurrentEventLoop(0.004);
        }
        Point where{};
        GetMouse(&where);
        samples.push_back({where, Button(), GetCurrentEventKeyModifiers()});
    };
    platform::headless::mouseDown(window, 25, 35);
    platform::headless::mouseMove(window, 30, 50, shiftKey);
    platform::headless::mouseMove(window, 90, 75, shiftKey);
    platform::headless::mouseUp(window, 90, 75);
    runScript();
    SetPort(nullptr);

    ASSERT_GE(samples.size(), 4u);
    EXPECT_EQ(samples.front().local.h, 25);
    EXPECT_EQ(samples.front().local.v, 35);
    EXPECT_EQ(samples.front().modifiers, 0u);
    const auto saw = [&](int16_t h, int16_t v) {
        return std::any_of(samples.begin(), samples.end(), [&](const Sample& s) {
            return s.local.h == h && s.local.v == v && s.button && s.modifiers == shiftKey;
        });
    };
    EXPECT_TRUE(saw(30, 50));
    EXPECT_TRUE(saw(90, 75));
    EXPECT_FALSE(samples.back().button);
    EXPECT_EQ(samples.back().local.h, 90);

    // Global coordinates add the window's position.
    Point global{};
    GetGlobalMouse(&global);
    EXPECT_EQ(global.h, 290);
    EXPECT_EQ(global.v, 175);
    EXPECT_EQ(GetCurrentEventButtonState(), 0u);
}

TEST_F(Input, WheelGoesUnderTheMouseAndKeysToTheFocus)
{
    platform::headless::wheel(window, 15, 15, kEventMouseWheelAxisY, -3, cmdKey);
    runScript();
    ASSERT_EQ(below.kinds(kEventClassMouse), std::vector<UInt32>{kEventMouseWheelMoved});
    EXPECT_TRUE(top.kinds(kEventClassMouse).empty());

    // No focus: keys reach the window's handlers only.
    platform::headless::keyDown(window, 123, 0);
    runScript();
    EXPECT_TRUE(top.kinds(kEventClassKeyboard).empty());

    ASSERT_EQ(SetKeyboardFocus(window, top.ref, kControlFocusNextPart), noErr);
    ControlRef focus = nullptr;
    GetKeyboardFocus(window, &focus);
    EXPECT_EQ(focus, top.ref);
    EXPECT_EQ(top.received.back().part, kControlFocusNextPart);
    // top answers no get-focus-part event: the part it took the focus with.
    ControlPartCode part = kControlFocusNoPart;
    ASSERT_EQ(HIViewGetFocusPart(top.ref, &part), noErr);
    EXPECT_EQ(part, 1);
    top.focusPartAnswer = 127;
    HIViewGetFocusPart(top.ref, &part);
    EXPECT_EQ(part, 127);
    ASSERT_EQ(HIViewGetFocusPart(below.ref, &part), noErr);
    EXPECT_EQ(part, kControlFocusNoPart);
    platform::headless::keyDown(window, 126, 0);
    runScript();
    EXPECT_EQ(top.kinds(kEventClassKeyboard), std::vector<UInt32>{kEventRawKeyDown});
    EXPECT_TRUE(below.kinds(kEventClassKeyboard).empty());

    // Moving the focus tells the old view it lost it; clearing tells the new.
    ASSERT_EQ(SetKeyboardFocus(window, below.ref, kControlFocusNextPart), noErr);
    EXPECT_EQ(top.received.back().kind, kEventControlSetFocusPart);
    EXPECT_EQ(top.received.back().part, kControlFocusNoPart);
    ASSERT_EQ(ClearKeyboardFocus(window), noErr);
    EXPECT_EQ(below.received.back().part, kControlFocusNoPart);
    GetKeyboardFocus(window, &focus);
    EXPECT_EQ(focus, nullptr);
}

TEST_F(Input, TabMovesTheFocusThroughViewsThatTakeIt)
{
    // below and top do not take the focus; these three do, in this order.
    TestView first, hidden, last;
    for (TestView* v : {&first, &hidden, &last}) {
        v->features = kControlSupportsFocus;
        v->handlesKeys = false;
    }
    viewClass.create(first, window, {0, 70, 5, 75});
    viewClass.create(hidden, window, {0, 80, 5, 85});
    viewClass.create(last, window, {0, 90, 5, 95});
    HIViewSetVisible(hidden.ref, false);
    ControlRef focus = nullptr;
    const auto tab = [&](UInt32 modifiers) {
        platform::headless::keyDown(window, 48, '\t', modifiers);
        runScript();
        GetKeyboardFocus(window, &focus);
        return focus;
    };
    EXPECT_EQ(tab(0), first.ref);
    EXPECT_EQ(tab(0), last.ref);
    EXPECT_FALSE(first.focused);
    // Around the end, and back.
    EXPECT_EQ(tab(0), first.ref);
    EXPECT_EQ(tab(shiftKey), last.ref);
    EXPECT_EQ(tab(shiftKey), first.ref);
    EXPECT_TRUE(first.focused);
    EXPECT_FALSE(last.focused);
    // A view that handles the raw key keeps the tab from moving the focus.
    first.handlesKeys = true;
    EXPECT_EQ(tab(0), first.ref);
    EXPECT_EQ(first.kinds(kEventClassKeyboard).size(), 3u);
    for (TestView* v : {&first, &hidden, &last}) DisposeControl(v->ref);
}

TEST_F(Input, WindowClosedWhileTrackingItsView)
{
    // The user closes the window while the view tracks the mouse.
    bool closedWhileTracking = false;
    top.track = [&] {
        while (Button() && IsWindowVisible(window)) RunCurrentEventLoop(0.004);
        closedWhileTracking = !IsWindowVisible(window);
        window = nullptr;
    };
    platform::headless::mouseDown(window, 25, 35);
    platform::headless::close(window);
    platform::headless::mouseUp(window, 25, 35);
    // Input for the window that is gone is dropped.
    platform::headless::mouseDown(window, 25, 35);
    runScript();
    EXPECT_TRUE(closedWhileTracking);
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(platform::headless::pendingInput(), 0u);
    EXPECT_EQ(top.kinds().back(), kEventControlDispose);
    EXPECT_EQ(top.kinds(kEventClassControl).size(), 5u);
}

struct KeyLog {
    std::vector<UInt32> codes;
    std::vector<char> characters;
};

OSStatus logKey(EventHandlerCallRef, EventRef event, void* userData)
{
    auto* log = static_cast<KeyLog*>(userData);
    if (GetEventClass(event) == kEventClassTextInput) {
        EventRef raw = nullptr;
        GetEventParameter(event, kEventParamTextInputSendKeyboardEvent, typeEventRef, nullptr, sizeof raw,
                          nullptr, &raw);
        char c = 0;
        GetEventParameter(raw, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &c);
        log->characters.push_back(c);
        return noErr;
    }
    UInt32 code = 0;
    GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof code, nullptr, &code);
    log->codes.push_back(code);
    return eventNotHandledErr;
}

TEST_F(Input, UnhandledKeysComeBackAsTextInputOnTheWindow)
{
    KeyLog log;
    const EventTypeSpec types[] = {{kEventClassKeyboard, kEventRawKeyDown},
                                   {kEventClassKeyboard, kEventRawKeyUp},
                                   {kEventClassTextInput, kEventTextInputUnicodeForKeyEvent}};
    EventHandlerRef handler = nullptr;
    InstallEventHandler(GetWindowEventTarget(window), logKey, 3, types, &log, &handler);
    platform::headless::keyDown(window, 0, 'a');
    platform::headless::keyUp(window, 0, 'a');
    platform::headless::keyDown(window, 48, '\t');
    runScript();
    EXPECT_EQ(log.codes, (std::vector<UInt32>{0, 0, 48}));
    EXPECT_EQ(log.characters, (std::vector<char>{'a', '\t'}));
    RemoveEventHandler(handler);
}

OSStatus quitOnDown(EventHandlerCallRef, EventRef, void*)
{
    QuitEventLoop(GetMainEventLoop());
    return eventNotHandledErr;
}

void later(EventLoopTimerRef, void*)
{
}

TEST_F(Input, AQuitFromAnInputHandlerEndsTheRunWithoutWaitingForMore)
{
    const EventTypeSpec down{kEventClassMouse, kEventMouseDown};
    EventHandlerRef handler = nullptr;
    InstallEventHandler(GetWindowEventTarget(window), quitOnDown, 1, &down, nullptr, &handler);
    // Something to wait for, long after.
    EventLoopTimerRef timer = nullptr;
    InstallEventLoopTimer(GetMainEventLoop(), 10, 0, later, nullptr, &timer);
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    // Not at once: the loop is already waiting when it comes.
    platform::headless::pause(0.5);
    platform::headless::mouseDown(window, 5, 5);
    EXPECT_EQ(RunCurrentEventLoop(20), eventLoopQuitErr);
    EXPECT_LT(CFAbsoluteTimeGetCurrent() - start, 1.5);
    RemoveEventLoopTimer(timer);
    RemoveEventHandler(handler);
}

} // namespace
