// Windows that are not compositing draw their views on update; activation
// and click activation; optimal bounds; CopyBits into a window's port.

#include <gtest/gtest.h>

#include "TestView.h"
#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"

namespace {

struct WindowEvents {
    std::vector<UInt32> kinds;
    bool takeDrawContent = false;
};

OSStatus recordWindowEvent(EventHandlerCallRef, EventRef event, void* userData)
{
    auto& events = *static_cast<WindowEvents*>(userData);
    events.kinds.push_back(GetEventKind(event));
    return GetEventKind(event) == kEventWindowDrawContent && events.takeDrawContent ? noErr
                                                                                    : eventNotHandledErr;
}

void listen(WindowRef window, WindowEvents& events)
{
    static const EventTypeSpec types[] = {{kEventClassWindow, kEventWindowUpdate},
                                          {kEventClassWindow, kEventWindowDrawContent},
                                          {kEventClassWindow, kEventWindowActivated},
                                          {kEventClassWindow, kEventWindowDeactivated}};
    InstallWindowEventHandler(window, recordWindowEvent, std::size(types), types, &events, nullptr);
}

class Windows : public ::testing::Test {
  protected:
    void SetUp() override { platform::useVirtualClock(0); }
    void TearDown() override
    {
        platform::headless::clearInput();
        platform::useRealClock();
    }

    // A shown window that is not compositing, with two views side by side.
    WindowRef plainWindow()
    {
        WindowRef window = nullptr;
        const Rect bounds{100, 100, 160, 220};
        EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds, &window),
                  noErr);
        viewClass.create(left, window, {10, 10, 50, 50});
        viewClass.create(right, window, {10, 60, 50, 100});
        right.colour = 0x0000FF;
        ShowWindow(window);
        return window;
    }

    TestViewClass viewClass;
    TestView left, right;
};

TEST_F(Windows, APlainWindowDrawsItsViewsOnUpdate)
{
    WindowRef window = plainWindow();
    WindowEvents events;
    listen(window, events);
    EXPECT_EQ(left.draws, 0);
    // The first pass asks for the update, the next one delivers it.
    RunCurrentEventLoop(0);
    RunCurrentEventLoop(0);
    EXPECT_EQ(events.kinds, (std::vector<UInt32>{kEventWindowUpdate, kEventWindowDrawContent}));
    EXPECT_EQ(left.draws, 1);
    EXPECT_EQ(right.draws, 1);
    EXPECT_EQ(left.drawRegion.right, 120);
    EXPECT_EQ(left.drawRegion.bottom, 60);
    EXPECT_EQ(platform::headless::pixel(window, 20, 20), 0xFFFF0000u);
    EXPECT_EQ(platform::headless::pixel(window, 70, 20), 0xFF0000FFu);

    // Only the views over what needs drawing, and one update for several
    // requests.
    RunCurrentEventLoop(0.1);
    EXPECT_EQ(left.draws, 1);
    HIViewSetNeedsDisplay(right.ref, true);
    const Rect corner{50, 100, 55, 110};
    InvalWindowRect(window, &corner);
    RunCurrentEventLoop(0);
    EXPECT_EQ(events.kinds.size(), 2u);
    RunCurrentEventLoop(0);
    EXPECT_EQ(events.kinds.size(), 4u);
    EXPECT_EQ(left.draws, 1);
    EXPECT_EQ(right.draws, 2);
    EXPECT_EQ(right.drawRegion.left, 60);
    EXPECT_EQ(right.drawRegion.top, 10);
    EXPECT_EQ(right.drawRegion.bottom, 55);
    EXPECT_EQ(right.drawRegion.right, 110);
    DisposeWindow(window);
}

OSStatus disposeWindow(EventHandlerCallRef, EventRef, void* userData)
{
    DisposeWindow(static_cast<WindowRef>(userData));
    return noErr;
}

TEST_F(Windows, AViewMayDisposeOfItsWindowWhileDrawing)
{
    static const EventTypeSpec draw[] = {{kEventClassControl, kEventControlDraw}};
    for (bool compositing : {true, false}) {
        WindowRef window = compositing ? newTestWindow({100, 100, 200, 200}) : plainWindow();
        TestView view;
        viewClass.create(view, window, {10, 10, 50, 50});
        InstallControlEventHandler(view.ref, disposeWindow, 1, draw, window, nullptr);
        RunCurrentEventLoop(0);
        RunCurrentEventLoop(0);
        // Gone, and the loop went on without it.
        EXPECT_EQ(GetWindowEventTarget(window), nullptr) << compositing;
    }
}

TEST_F(Windows, UpdatesCanBeTakenFromTheQueueAndDrawingValidated)
{
    WindowRef window = plainWindow();
    RunCurrentEventLoop(0);
    // What an idle pass does: take the update and send it on.
    static const EventTypeSpec update[] = {{kEventClassWindow, kEventWindowUpdate}};
    EventRef event = nullptr;
    ASSERT_EQ(ReceiveNextEvent(1, update, kEventDurationNoWait, true, &event), noErr);
    SendEventToEventTarget(event, GetEventDispatcherTarget());
    ReleaseEvent(event);
    EXPECT_EQ(left.draws, 1);
    EXPECT_EQ(ReceiveNextEvent(1, update, kEventDurationNoWait, true, &event), eventLoopTimedOutErr);

    // Validated before the pass: no update comes.
    HIViewSetNeedsDisplay(left.ref, true);
    const Rect all{0, 0, 60, 120};
    ValidWindowRect(window, &all);
    RunCurrentEventLoop(0);
    EXPECT_EQ(ReceiveNextEvent(1, update, kEventDurationNoWait, false, &event), eventLoopTimedOutErr);

    // A handler drawing the content itself: the views are not drawn, the
    // area is clean anyway.
    WindowEvents events;
    events.takeDrawContent = true;
    listen(window, events);
    HIViewSetNeedsDisplay(left.ref, true);
    RunCurrentEventLoop(0);
    RunCurrentEventLoop(0);
    RunCurrentEventLoop(0);
    EXPECT_EQ(events.kinds, (std::vector<UInt32>{kEventWindowUpdate, kEventWindowDrawContent}));
    EXPECT_EQ(left.draws, 1);
    // DrawControls draws them all now.
    DrawControls(window);
    EXPECT_EQ(left.draws, 2);
    EXPECT_EQ(right.draws, 2);
    DisposeWindow(window);
}

TEST_F(Windows, ShowingAWindowActivatesItAndDeactivatesTheOther)
{
    WindowRef first = newTestWindow({100, 100, 200, 200});
    WindowEvents firstEvents, secondEvents;
    listen(first, firstEvents);
    EXPECT_TRUE(IsWindowActive(first));
    WindowRef second = nullptr;
    const Rect bounds{300, 300, 400, 400};
    CreateNewWindow(kDocumentWindowClass, kWindowCompositingAttribute, &bounds, &second);
    listen(second, secondEvents);
    EXPECT_FALSE(IsWindowActive(second));
    ShowWindow(second);
    EXPECT_TRUE(IsWindowActive(second));
    EXPECT_FALSE(IsWindowActive(first));
    EXPECT_EQ(ActiveNonFloatingWindow(), second);
    EXPECT_EQ(firstEvents.kinds, std::vector<UInt32>{kEventWindowDeactivated});
    EXPECT_EQ(secondEvents.kinds, std::vector<UInt32>{kEventWindowActivated});

    // The backend's activation input.
    platform::headless::activate(first);
    platform::headless::activate(first, false);
    RunCurrentEventLoop(1);
    EXPECT_FALSE(IsWindowActive(first));
    EXPECT_FALSE(IsWindowActive(second));
    EXPECT_EQ(firstEvents.kinds,
              (std::vector<UInt32>{kEventWindowDeactivated, kEventWindowActivated, kEventWindowDeactivated}));
    DisposeWindow(first);
    DisposeWindow(second);
}

struct Activation {
    ClickActivationResult answer;
    int asked = 0;
};

OSStatus answerActivation(EventHandlerCallRef, EventRef event, void* userData)
{
    auto& activation = *static_cast<Activation*>(userData);
    ++activation.asked;
    SetEventParameter(event, kEventParamControlClickActivationResult, typeClickActivationResult,
                      sizeof activation.answer, &activation.answer);
    return noErr;
}

TEST_F(Windows, AClickInAnInactiveWindowAsksTheViewUnderIt)
{
    WindowRef window = newTestWindow({100, 100, 200, 200});
    TestView view;
    viewClass.create(view, window, {10, 10, 50, 50});
    Activation activation{kDoNotActivateAndIgnoreClick};
    static const EventTypeSpec ask[] = {{kEventClassControl, kEventControlGetClickActivation}};
    InstallControlEventHandler(view.ref, answerActivation, 1, ask, &activation, nullptr);
    const auto clicks = [&] {
        const auto kinds = view.kinds();
        return std::count(kinds.begin(), kinds.end(), kEventControlClick);
    };

    // Active: not asked.
    platform::headless::mouseDown(window, 20, 20);
    platform::headless::mouseUp(window, 20, 20);
    RunCurrentEventLoop(1);
    EXPECT_EQ(activation.asked, 0);
    EXPECT_EQ(clicks(), 1);

    ActivateWindow(window, false);
    platform::headless::mouseDown(window, 20, 20);
    platform::headless::mouseUp(window, 20, 20);
    RunCurrentEventLoop(1);
    EXPECT_EQ(activation.asked, 1);
    EXPECT_EQ(clicks(), 1);
    EXPECT_FALSE(IsWindowActive(window));

    activation.answer = kActivateAndIgnoreClick;
    platform::headless::mouseDown(window, 20, 20);
    platform::headless::mouseUp(window, 20, 20);
    RunCurrentEventLoop(1);
    EXPECT_EQ(clicks(), 1);
    EXPECT_TRUE(IsWindowActive(window));

    ActivateWindow(window, false);
    activation.answer = kDoNotActivateAndHandleClick;
    platform::headless::mouseDown(window, 20, 20);
    platform::headless::mouseUp(window, 20, 20);
    RunCurrentEventLoop(1);
    EXPECT_EQ(clicks(), 2);
    EXPECT_FALSE(IsWindowActive(window));
    DisposeWindow(window);
}

OSStatus answerOptimal(EventHandlerCallRef, EventRef event, void* userData)
{
    const bool quickDraw = *static_cast<bool*>(userData);
    if (quickDraw) {
        const Rect r{0, 0, 16, 50};
        SetEventParameter(event, kEventParamControlOptimalBounds, typeQDRectangle, sizeof r, &r);
    } else {
        const HIRect r{{0, 0}, {70, 20}};
        SetEventParameter(event, kEventParamControlOptimalBounds, typeHIRect, sizeof r, &r);
    }
    const SInt16 baseline = 4;
    SetEventParameter(event, kEventParamControlOptimalBaselineOffset, typeSInt16, sizeof baseline, &baseline);
    return noErr;
}

TEST_F(Windows, OptimalBoundsAreWhatTheViewAnswersElseItsFrame)
{
    ControlRef pane = nullptr;
    const Rect bounds{5, 6, 25, 46};
    CreateUserPaneControl(nullptr, &bounds, 0, &pane);
    Rect best{};
    SInt16 baseline = -1;
    EXPECT_EQ(GetBestControlRect(pane, &best, &baseline), noErr);
    EXPECT_EQ(best.left, 6);
    EXPECT_EQ(best.bottom, 25);
    EXPECT_EQ(baseline, 0);

    bool quickDraw = true;
    static const EventTypeSpec optimal[] = {{kEventClassControl, kEventControlGetOptimalBounds}};
    InstallEventHandler(GetControlEventTarget(pane), answerOptimal, 1, optimal, &quickDraw, nullptr);
    GetBestControlRect(pane, &best, &baseline);
    EXPECT_EQ(best.right, 50);
    EXPECT_EQ(best.bottom, 16);
    EXPECT_EQ(baseline, 4);
    quickDraw = false;
    HIRect optimalBounds{};
    float offset = 0;
    HIViewGetOptimalBounds(pane, &optimalBounds, &offset);
    EXPECT_EQ(optimalBounds.size.width, 70);
    EXPECT_EQ(offset, 4);

    HIViewMoveBy(pane, 4, -5);
    GetControlBounds(pane, &best);
    EXPECT_EQ(best.left, 10);
    EXPECT_EQ(best.top, 0);
    HIViewPlaceInSuperviewAt(pane, 1, 2);
    GetControlBounds(pane, &best);
    EXPECT_EQ(best.left, 1);
    EXPECT_EQ(best.bottom, 22);
    DisposeControl(pane);
}

TEST_F(Windows, CopyBitsIntoAWindowPortShowsTheColoursAfterThePass)
{
    WindowRef window = newTestWindow({100, 100, 140, 140});
    RunCurrentEventLoop(0);
    const unsigned presented = platform::headless::presentations(window);
    GWorldPtr world = nullptr;
    const Rect area{0, 0, 10, 10};
    ASSERT_EQ(NewGWorld(&world, 32, &area, nullptr, nullptr, 0), noErr);
    // Opaque orange, A R G B.
    PixMapHandle pixels = GetGWorldPixMap(world);
    auto* bytes = reinterpret_cast<unsigned char*>(GetPixBaseAddr(pixels));
    const long row = GetPixRowBytes(pixels) & 0x3FFF;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            unsigned char* p = bytes + y * row + x * 4;
            p[0] = 0xFF, p[1] = 0xFF, p[2] = 0x80, p[3] = 0x00;
        }
    const Rect to{5, 5, 15, 15};
    CopyBits(GetPortBitMapForCopyBits(world), GetPortBitMapForCopyBits(GetWindowPort(window)), &area, &to,
             srcCopy, nullptr);
    EXPECT_EQ(QDError(), noErr);
    EXPECT_EQ(platform::headless::pixel(window, 7, 7), 0xFFFF8000u);
    EXPECT_NE(platform::headless::pixel(window, 2, 2), 0xFFFF8000u);
    RunCurrentEventLoop(0);
    EXPECT_EQ(platform::headless::presentations(window), presented + 1);

    // Back out of the window: the bytes in the world's order again.
    std::fill(bytes, bytes + 10 * row, 0);
    CopyBits(GetPortBitMapForCopyBits(GetWindowPort(window)), GetPortBitMapForCopyBits(world), &to, &area,
             srcCopy, nullptr);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0x80);
    EXPECT_EQ(bytes[3], 0x00);
    DisposeGWorld(world);
    DisposeWindow(window);
}

TEST_F(Windows, PortsConvertBetweenTheirOwnAndGlobalCoordinates)
{
    WindowRef window = newTestWindow({100, 40, 200, 140});
    Point point{150, 130};
    QDGlobalToLocalPoint(GetWindowPort(window), &point);
    EXPECT_EQ(point.v, 50);
    EXPECT_EQ(point.h, 90);
    GrafPtr saved = nullptr;
    GetPort(&saved);
    SetPortWindowPort(window);
    LocalToGlobal(&point);
    EXPECT_EQ(point.v, 150);
    EXPECT_EQ(point.h, 130);
    SetPort(saved);

    // Another port has its origin at the global one.
    GWorldPtr world = nullptr;
    const Rect area{0, 0, 4, 4};
    NewGWorld(&world, 32, &area, nullptr, nullptr, 0);
    QDGlobalToLocalPoint(world, &point);
    EXPECT_EQ(point.h, 130);

    // A context begun on the port is in sync; flushing the port shows it.
    CGContextRef context = nullptr;
    QDBeginCGContext(GetWindowPort(window), &context);
    EXPECT_EQ(SyncCGContextOriginWithPort(context, GetWindowPort(window)), noErr);
    EXPECT_EQ(SyncCGContextOriginWithPort(context, world), paramErr);
    QDEndCGContext(GetWindowPort(window), &context);
    RunCurrentEventLoop(0);
    const unsigned presented = platform::headless::presentations(window);
    QDFlushPortBuffer(GetWindowPort(window), nullptr);
    RunCurrentEventLoop(0);
    EXPECT_EQ(platform::headless::presentations(window), presented + 1);
    DisposeGWorld(world);
    DisposeWindow(window);
}

TEST(Regions, ARegionIsTheRectangleAroundWhatWentIn)
{
    RgnHandle a = NewRgn(), b = NewRgn();
    EXPECT_TRUE(EmptyRgn(a));
    const Rect r{10, 20, 30, 40};
    RectRgn(a, &r);
    SetRectRgn(b, 50, 5, 60, 8);
    UnionRgn(a, b, b);
    Rect bounds{};
    GetRegionBounds(b, &bounds);
    EXPECT_EQ(bounds.top, 5);
    EXPECT_EQ(bounds.left, 20);
    EXPECT_EQ(bounds.bottom, 30);
    EXPECT_EQ(bounds.right, 60);
    // An empty rectangle is the empty region, which a union ignores.
    SetRectRgn(a, 5, 5, 5, 50);
    EXPECT_TRUE(EmptyRgn(a));
    UnionRgn(a, b, a);
    GetRegionBounds(a, &bounds);
    EXPECT_EQ(bounds.right, 60);
    DisposeRgn(a);
    DisposeRgn(b);
}

} // namespace
