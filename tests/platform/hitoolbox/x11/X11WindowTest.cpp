// Toolbox windows on a real X server: what they show, and input made with
// xdotool reaching the views as the toolbox's events.

#include <gtest/gtest.h>
#include <poll.h>

#include "X11Test.h"

// After gtest: X11's macros clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

TEST_F(X11, WindowShowsItsBackingStoreWhereAndAsTheToolboxSays)
{
    WindowRef window = newWindow({60, 100, 160, 260}, "vok one");
    TestView view;
    viewClass.create(view, window, {20, 30, 60, 90});
    ASSERT_TRUE(showsAt(100 + 40, 60 + 30, kRed));
    XServer& x = XServer::get();
    EXPECT_EQ(x.pixel(100 + 29, 60 + 30), kBackground);
    EXPECT_EQ(x.pixel(100 + 89, 60 + 59), kRed);
    EXPECT_EQ(x.pixel(100 + 90, 60 + 59), kBackground);

    const Window xid = x.windowNamed("vok one");
    ASSERT_NE(xid, 0u);
    EXPECT_EQ(x.geometry(xid), (XServer::Geometry{100, 60, 160, 100}));

    // Redrawn views are presented.
    view.colour = kBlue;
    HIViewSetNeedsDisplay(view.ref, true);
    EXPECT_TRUE(showsAt(100 + 40, 60 + 30, kBlue));

    // What another window covered comes back.
    const Window cover =
        XCreateSimpleWindow(x.connection(), DefaultRootWindow(x.connection()), 120, 70, 60, 40, 0, 0, kWhite);
    XSetWindowAttributes unmanaged{};
    unmanaged.override_redirect = True;
    XChangeWindowAttributes(x.connection(), cover, CWOverrideRedirect, &unmanaged);
    XMapRaised(x.connection(), cover);
    ASSERT_TRUE(showsAt(100 + 40, 60 + 30, kWhite));
    XDestroyWindow(x.connection(), cover);
    XFlush(x.connection());
    EXPECT_TRUE(showsAt(100 + 40, 60 + 30, kBlue));

    // Moves, sizes, titles and hiding follow.
    MoveWindow(window, 200, 150, false);
    SizeWindow(window, 120, 80, false);
    CFStringRef title = CFStringCreateWithCString(nullptr, "vok two", kCFStringEncodingUTF8);
    SetWindowTitleWithCFString(window, title);
    CFRelease(title);
    EXPECT_TRUE(showsAt(200 + 40, 150 + 30, kBlue));
    EXPECT_EQ(x.windowNamed("vok two"), xid);
    EXPECT_EQ(x.geometry(xid), (XServer::Geometry{200, 150, 120, 80}));
    HideWindow(window);
    XWindowAttributes attributes{};
    EXPECT_TRUE(runUntil([&] {
        XGetWindowAttributes(x.connection(), xid, &attributes);
        return attributes.map_state == IsUnmapped;
    }));
}

TEST_F(X11, ButtonsReachTheViewUnderThePointerInItsCoordinates)
{
    WindowRef window = newWindow({60, 100, 160, 260}, "buttons");
    TestView view;
    viewClass.create(view, window, {20, 30, 60, 90});
    ASSERT_TRUE(showsAt(100 + 40, 60 + 30, kRed));
    view.received.clear();

    ASSERT_EQ(xdotool("mousemove 135 85 click 1"), 0);
    ASSERT_TRUE(runUntil([&] { return view.kinds().size() >= 3; }));
    ASSERT_EQ(view.kinds(),
              (std::vector<UInt32>{kEventControlHitTest, kEventControlClick, kEventControlTrack}));
    for (const auto& r : view.received) {
        EXPECT_EQ(r.location.x, 5);
        EXPECT_EQ(r.location.y, 5);
    }
    EXPECT_EQ(view.received[1].button, kEventMouseButtonPrimary);

    // Button 3 is the secondary button, 2 the tertiary one.
    view.received.clear();
    ASSERT_EQ(xdotool("click 3 click 2"), 0);
    ASSERT_TRUE(runUntil([&] { return view.kinds().size() >= 6; }));
    EXPECT_EQ(view.received[2].kind, kEventControlContextualMenuClick);
    EXPECT_EQ(view.received[2].button, kEventMouseButtonSecondary);
    EXPECT_EQ(view.received[5].button, kEventMouseButtonTertiary);

    // Clicks within the double-click time count on; modifiers come along.
    input.clear();
    ASSERT_EQ(xdotool("click --repeat 2 --delay 60 1 keydown shift click 1 keyup shift"), 0);
    ASSERT_TRUE(runUntil([&] { return kindOf(kEventClassMouse, kEventMouseUp).size() >= 3; }));
    const auto downs = kindOf(kEventClassMouse, kEventMouseDown);
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[0].clicks, 1u);
    EXPECT_EQ(downs[1].clicks, 2u);
    EXPECT_EQ(downs[2].modifiers, shiftKey);
    EXPECT_EQ(downs[2].where.x, 35);
    EXPECT_EQ(downs[2].where.y, 25);
    EXPECT_EQ(downs[0].modifiers, 0u);
}

TEST_F(X11, DragIsTrackedWithTheButtonHeld)
{
    WindowRef window = newWindow({60, 100, 160, 260}, "drag");
    TestView view;
    viewClass.create(view, window, {20, 30, 60, 90});
    ASSERT_TRUE(showsAt(100 + 40, 60 + 30, kRed));
    struct Sample {
        Point local;
        UInt32 buttons;
    };
    std::vector<Sample> samples;
    SetPort(GetWindowPort(window));
    view.track = [&] {
        // As a toolkit control tracks.
        while (Button() && samples.size() < 10000) {
            Point where{};
            GetMouse(&where);
            samples.push_back({where, GetCurrentEventButtonState()});
            RunCurrentEventLoop(0.01);
        }
        Point where{};
        GetMouse(&where);
        samples.push_back({where, GetCurrentEventButtonState()});
    };
    const pid_t drag = startXdotool("mousemove 135 85 mousedown 1 sleep 0.2 mousemove 150 95 sleep 0.2 "
                                    "mousemove 300 120 sleep 0.2 mouseup 1");
    EXPECT_TRUE(runUntil([&] { return !samples.empty() && samples.back().buttons == 0; }));
    EXPECT_EQ(finish(drag), 0);
    SetPort(nullptr);

    ASSERT_GE(samples.size(), 3u);
    EXPECT_EQ(samples.front().local.h, 35);
    EXPECT_EQ(samples.front().local.v, 25);
    EXPECT_EQ(samples.front().buttons, 1u);
    const bool passed = std::any_of(samples.begin(), samples.end(), [](const Sample& s) {
        return s.local.h == 50 && s.local.v == 35 && s.buttons == 1;
    });
    EXPECT_TRUE(passed);
    // Outside the window, still its own.
    EXPECT_EQ(samples.back().local.h, 200);
    EXPECT_EQ(samples.back().local.v, 60);
    const auto drags = kindOf(kEventClassMouse, kEventMouseDragged);
    ASSERT_FALSE(drags.empty());
    EXPECT_EQ(drags.front().where.x, 50);
}

TEST_F(X11, WheelButtonsTurnTheWheel)
{
    WindowRef window = newWindow({60, 100, 160, 260}, "wheel");
    ASSERT_TRUE(showsAt(100 + 5, 60 + 5, kBackground));
    ASSERT_EQ(xdotool("mousemove 110 70 click 4 click 5 click 6 click 7"), 0);
    ASSERT_TRUE(runUntil([&] { return kindOf(kEventClassMouse, kEventMouseWheelMoved).size() >= 4; }));
    const auto wheel = kindOf(kEventClassMouse, kEventMouseWheelMoved);
    const std::pair<EventMouseWheelAxis, SInt32> expected[] = {{kEventMouseWheelAxisY, 1},
                                                               {kEventMouseWheelAxisY, -1},
                                                               {kEventMouseWheelAxisX, 1},
                                                               {kEventMouseWheelAxisX, -1}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(wheel[i].axis, expected[i].first) << i;
        EXPECT_EQ(wheel[i].delta, expected[i].second) << i;
        EXPECT_EQ(wheel[i].where.x, 10);
        EXPECT_EQ(wheel[i].where.y, 10);
    }
    // No buttons go down or up for it.
    EXPECT_TRUE(kindOf(kEventClassMouse, kEventMouseDown).empty());
    EXPECT_TRUE(kindOf(kEventClassMouse, kEventMouseUp).empty());
    (void)window;
}

TEST_F(X11, KeysCarryMacintoshKeyCodesCharactersAndModifiers)
{
    WindowRef window = newWindow({60, 100, 160, 260}, "keys");
    ASSERT_TRUE(showsAt(100 + 5, 60 + 5, kBackground));
    ASSERT_EQ(
        xdotool("mousemove 110 70 key a shift+b 5 Return Tab Escape BackSpace Delete Left Up Right Down "
                "KP_Enter Home End Prior Next F1 F12 ctrl+a alt+s super+d"),
        0);
    ASSERT_TRUE(runUntil([&] { return kindOf(kEventClassKeyboard, kEventRawKeyUp).size() >= 22; }));
    const struct {
        UInt32 code;
        char character;
        UInt32 modifiers;
    } expected[] = {
        {0, 'a', 0},         {11, 'B', shiftKey}, {23, '5', 0},   {36, '\r', 0},  {48, '\t', 0},
        {53, 0x1B, 0},       {51, '\b', 0},       {117, 0x7F, 0}, {123, 0x1C, 0}, {126, 0x1E, 0},
        {124, 0x1D, 0},      {125, 0x1F, 0},      {76, 0x03, 0},  {115, 0x01, 0}, {119, 0x04, 0},
        {116, 0x0B, 0},      {121, 0x0C, 0},      {122, 0x10, 0}, {111, 0x10, 0}, {0, 0x01, controlKey},
        {1, 's', optionKey}, {2, 'd', cmdKey},
    };
    const auto downs = kindOf(kEventClassKeyboard, kEventRawKeyDown);
    // Modifier keys alone are no key presses.
    ASSERT_EQ(downs.size(), std::size(expected));
    for (size_t i = 0; i < downs.size(); ++i) {
        EXPECT_EQ(downs[i].keyCode, expected[i].code) << i;
        EXPECT_EQ(downs[i].character, expected[i].character) << i;
        EXPECT_EQ(downs[i].modifiers, expected[i].modifiers) << i;
    }
    const auto ups = kindOf(kEventClassKeyboard, kEventRawKeyUp);
    EXPECT_EQ(ups[1].keyCode, 11u);
    (void)window;
}

OSStatus quitOnClose(EventHandlerCallRef, EventRef, void* closes)
{
    ++*static_cast<int*>(closes);
    QuitApplicationEventLoop();
    return eventNotHandledErr;
}

void quit(EventLoopTimerRef, void* fired)
{
    *static_cast<bool*>(fired) = true;
    QuitApplicationEventLoop();
}

TEST_F(X11, CloseButtonEndsTheWindowsRunWhileTimersWait)
{
    WindowRef window = newWindow({60, 100, 160, 260}, "close me");
    ASSERT_TRUE(showsAt(100 + 5, 60 + 5, kBackground));
    int closes = 0;
    const EventTypeSpec close{kEventClassWindow, kEventWindowClose};
    InstallEventHandler(GetWindowEventTarget(window), quitOnClose, 1, &close, &closes, nullptr);
    // The run loop waits for this timer, not on the connection.
    bool timedOut = false;
    EventLoopTimerRef timer = nullptr;
    InstallEventLoopTimer(GetMainEventLoop(), 10, 0, quit, &timedOut, &timer);

    XServer::get().requestClose(XServer::get().windowNamed("close me"));
    const double start = seconds();
    RunApplicationEventLoop();
    EXPECT_LT(seconds() - start, 2);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(closes, 1);
    // Nobody took the close: the window is gone, on the screen too.
    EXPECT_EQ(GetWindowEventTarget(window), nullptr);
    EXPECT_TRUE(runUntil([] { return XServer::get().windowNamed("close me") == 0; }));
    RemoveEventLoopTimer(timer);
}

OSStatus quitOnDown(EventHandlerCallRef, EventRef, void*)
{
    QuitApplicationEventLoop();
    return eventNotHandledErr;
}

TEST_F(X11, LoopWaitingWithoutTimersWakesForInput)
{
    WindowRef window = newWindow({60, 100, 160, 260}, "wait");
    ASSERT_TRUE(showsAt(100 + 5, 60 + 5, kBackground));
    const EventTypeSpec down{kEventClassMouse, kEventMouseDown};
    InstallEventHandler(GetWindowEventTarget(window), quitOnDown, 1, &down, nullptr, nullptr);
    const pid_t click = startXdotool("mousemove 110 70 sleep 0.3 click 1");
    const double start = seconds();
    EXPECT_EQ(RunCurrentEventLoop(20), eventLoopQuitErr);
    EXPECT_LT(seconds() - start, 3);
    EXPECT_EQ(finish(click), 0);
}

class X11AtScale2 : public X11 {
  protected:
    int scale() const override { return 2; }
};

TEST_F(X11AtScale2, PixelsAreSquaresOfFourAndThePointerIsInPoints)
{
    WindowRef window = newWindow({40, 50, 100, 150}, "double");
    TestView view;
    viewClass.create(view, window, {10, 20, 30, 60});
    // View x 20..59, y 10..29: on the screen from (100 + 40, 80 + 20).
    ASSERT_TRUE(showsAt(100 + 50, 80 + 30, kRed));
    XServer& x = XServer::get();
    // Sharp edges: no pixel mixes the two colours.
    EXPECT_EQ(x.pixel(100 + 39, 80 + 30), kBackground);
    EXPECT_EQ(x.pixel(100 + 40, 80 + 30), kRed);
    EXPECT_EQ(x.pixel(100 + 119, 80 + 59), kRed);
    EXPECT_EQ(x.pixel(100 + 120, 80 + 59), kBackground);
    EXPECT_EQ(x.pixel(100 + 119, 80 + 60), kBackground);

    EXPECT_EQ(x.geometry(x.windowNamed("double")), (XServer::Geometry{100, 80, 200, 120}));

    view.received.clear();
    ASSERT_EQ(xdotool("mousemove 145 105 click 1"), 0);
    ASSERT_TRUE(runUntil([&] { return view.kinds().size() >= 3; }));
    EXPECT_EQ(view.received[2].kind, kEventControlTrack);
    EXPECT_EQ(view.received[2].location.x, 2);
    EXPECT_EQ(view.received[2].location.y, 2);
    Rect bounds{};
    GetWindowBounds(window, kWindowContentRgn, &bounds);
    EXPECT_EQ(bounds.left, 50);
}

// An embedding program's loop: wait on the connection, then process.
bool driveUntil(const std::function<bool()>& done)
{
    const double end = seconds() + 5;
    while (!done()) {
        if (seconds() > end) return false;
        pollfd fd{platform::windowsystem::connectionNumber(), POLLIN, 0};
        poll(&fd, 1, 20);
        platform::windowsystem::processPending();
    }
    return true;
}

TEST_F(X11, EmbeddedWindowLivesInAForeignParentDrivenByItsLoop)
{
    XServer& x = XServer::get();
    Display* d = x.connection();
    const Window parent = XCreateSimpleWindow(d, DefaultRootWindow(d), 300, 200, 200, 150, 0, 0, 0);
    XMapWindow(d, parent);
    XSync(d, False);

    const Rect bounds{30, 20, 110, 140};
    WindowRef window = nullptr;
    ASSERT_EQ(platform::windowsystem::createEmbeddedWindow(
                  parent, kDocumentWindowClass, kWindowCompositingAttribute | kWindowStandardHandlerAttribute,
                  &bounds, &window),
              noErr);
    windows.push_back(window);
    TestView view;
    viewClass.create(view, window, {10, 10, 40, 50});
    ShowWindow(window);
    // The view at (10, 10) of a window at (20, 30) of the parent.
    EXPECT_TRUE(driveUntil([&] { return x.pixel(300 + 20 + 15, 200 + 30 + 15) == kRed; }));
    EXPECT_EQ(x.pixel(300 + 20 + 5, 200 + 30 + 5), kBackground);
    EXPECT_EQ(x.pixel(300 + 15, 200 + 25), 0u);

    Window root = 0, above = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(d, parent, &root, &above, &children, &count);
    EXPECT_EQ(count, 1u);
    if (children) XFree(children);

    view.received.clear();
    ASSERT_EQ(xdotool("mousemove 335 245 click 1"), 0);
    ASSERT_TRUE(driveUntil([&] { return view.kinds().size() >= 3; }));
    EXPECT_EQ(view.received[2].location.x, 5);
    EXPECT_EQ(view.received[2].location.y, 5);

    // A parent that is not there makes no window.
    const Window gone = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(d, gone);
    XSync(d, False);
    WindowRef orphan = reinterpret_cast<WindowRef>(1);
    EXPECT_EQ(platform::windowsystem::createEmbeddedWindow(gone, kDocumentWindowClass, 0, &bounds, &orphan),
              paramErr);
    EXPECT_EQ(orphan, nullptr);

    // The parent going first takes the window's X11 window with it; the
    // toolbox window is then disposed of without an X error ending the
    // program.
    XDestroyWindow(d, parent);
    XSync(d, False);
    const double end = seconds() + 0.2;
    driveUntil([&] { return seconds() > end; });
    DisposeWindow(window);
    windows.clear();
    EXPECT_TRUE(platform::windowsystem::choose(Kind::headless));
}

TEST(WindowSystem, ChoosingWaitsForWindowsToGoAndFallsBackToHeadless)
{
    WindowRef window = newTestWindow({10, 10, 50, 50});
    EXPECT_FALSE(platform::windowsystem::choose(Kind::automatic, ":nothing"));
    DisposeWindow(window);
    EXPECT_FALSE(platform::windowsystem::choose(Kind::x11, ":nothing"));
    EXPECT_TRUE(platform::windowsystem::choose(Kind::automatic, ":nothing"));
    EXPECT_EQ(platform::windowsystem::current(), Kind::headless);
    EXPECT_EQ(platform::windowsystem::connectionNumber(), -1);
    EXPECT_EQ(platform::windowsystem::scale(), 1);
}

} // namespace
