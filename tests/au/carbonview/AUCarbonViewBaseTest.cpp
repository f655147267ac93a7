// A view component on AUCarbonViewBase, opened through the component
// interface over an effect, in headless windows on the virtual clock.

#include <gtest/gtest.h>

#include <cmath>

#include "TestCarbonView.h"
#include "ViewedEffect.h"
#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"

namespace {

// Records the values it is shown.
class RecordingControl : public AUCarbonViewControl {
  public:
    RecordingControl(const CAAUParameter& parameter, int* destroyed)
        : AUCarbonViewControl(parameter), destroyed(destroyed)
    {
    }
    ~RecordingControl() override { ++*destroyed; }
    void ParameterToControl(Float32 value) override { values.push_back(value); }
    std::vector<Float32> values;
    int* destroyed;
};

// The virtual clock for the whole of a test, the view's listener included.
struct VirtualClock {
    VirtualClock() { platform::useVirtualClock(0); }
    ~VirtualClock() { platform::useRealClock(); }
};

class CarbonViewTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        window = newWindow(kWindowCompositingAttribute | kWindowStandardHandlerAttribute);
        HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
    }
    void TearDown() override
    {
        view.close();
        for (WindowRef w : windows) DisposeWindow(w);
        platform::headless::clearInput();
    }

    // 200 × 150 at (100, 100).
    WindowRef newWindow(WindowAttributes attributes)
    {
        const Rect bounds{100, 100, 250, 300};
        WindowRef made = nullptr;
        EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, attributes, &bounds, &made), noErr);
        ShowWindow(made);
        windows.push_back(made);
        return made;
    }
    // Creates the view `v` over the effect in the window (or `in`), inside
    // its content view (or `parent`).
    OSStatus create(OpenTestCarbonView& v, ControlRef& outPane, Float32Point location,
                    Float32Point size = {400, 300}, ControlRef parent = nullptr, WindowRef in = nullptr)
    {
        return AudioUnitCarbonViewCreate(v.view(), effect.unit(), in ? in : window, parent ? parent : content,
                                         &location, &size, &outPane);
    }
    OSStatus create(Float32Point location, ControlRef parent = nullptr, WindowRef in = nullptr)
    {
        return create(view, pane, location, {400, 300}, parent, in);
    }
    TestCarbonView& object() const { return view.object(); }
    static Rect bounds(ControlRef control)
    {
        Rect r{};
        GetControlBounds(control, &r);
        return r;
    }
    static void run(double seconds) { RunCurrentEventLoop(seconds); }
    // CreateUI ran once with these offsets; the controls reach (bottom, right).
    void expectContents(CGFloat x, CGFloat y, int bottom, int right) const
    {
        ASSERT_EQ(object().offsets.size(), 1u);
        EXPECT_EQ(object().offsets[0].x, x);
        EXPECT_EQ(object().offsets[0].y, y);
        EXPECT_EQ(object().GetBottomRight().v, bottom);
        EXPECT_EQ(object().GetBottomRight().h, right);
    }
    void click(CGFloat x, CGFloat y)
    {
        platform::headless::mouseDown(window, x, y);
        platform::headless::mouseUp(window, x, y);
        run(0.1);
    }
    CAAUParameter gain() const
    {
        return CAAUParameter(effect.unit(), ViewedEffect::kGain, kAudioUnitScope_Global, 0);
    }

    VirtualClock clock;
    OpenViewedEffect effect;
    OpenTestCarbonView view;
    std::vector<WindowRef> windows;
    WindowRef window = nullptr;
    ControlRef content = nullptr;
    ControlRef pane = nullptr;
};

void expectRect(const Rect& r, int top, int left, int bottom, int right)
{
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.bottom, bottom);
    EXPECT_EQ(r.right, right);
}

TEST_F(CarbonViewTest, CreateRefusesNullArgumentsAndCreatesNothing)
{
    const Float32Point point{0, 0};
    ControlRef out = nullptr;
    const AudioUnitCarbonView v = view.view();
    const AudioUnit u = effect.unit();
    EXPECT_EQ(AudioUnitCarbonViewCreate(v, nullptr, window, content, &point, &point, &out), paramErr);
    EXPECT_EQ(AudioUnitCarbonViewCreate(v, u, nullptr, content, &point, &point, &out), paramErr);
    EXPECT_EQ(AudioUnitCarbonViewCreate(v, u, window, nullptr, &point, &point, &out), paramErr);
    EXPECT_EQ(AudioUnitCarbonViewCreate(v, u, window, content, nullptr, &point, &out), paramErr);
    EXPECT_EQ(AudioUnitCarbonViewCreate(v, u, window, content, &point, nullptr, &out), paramErr);
    EXPECT_EQ(AudioUnitCarbonViewCreate(v, u, window, content, &point, &point, nullptr), paramErr);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object().GetCarbonPane(), nullptr);
    EXPECT_TRUE(object().offsets.empty());
    // No view behind the instance at all.
    ComponentParameters params{};
    params.what = kAudioUnitCarbonViewCreateSelect;
    EXPECT_EQ(AUCarbonViewBase::ComponentEntryDispatch(&params, nullptr), paramErr);
}

TEST_F(CarbonViewTest, CompositingPaneAtItsLocationSizedToItsControls)
{
    object().controlFrames = {{10, 5, 40, 45}, {0, 0, 20, 100}};
    ASSERT_EQ(create({20, 30}), noErr);
    EXPECT_EQ(pane, object().GetCarbonPane());
    EXPECT_EQ(HIViewGetSuperview(pane), content);
    EXPECT_TRUE(object().IsCompositWindow());
    EXPECT_EQ(object().GetEditAudioUnit(), effect.unit());
    EXPECT_EQ(object().GetCarbonWindow(), window);
    // Contents start at the pane's origin; the extent is theirs.
    expectContents(0, 0, 40, 100);
    expectRect(bounds(pane), 30, 20, 70, 120);
    EXPECT_EQ(HIViewGetSuperview(object().controls[0]), pane);
    expectRect(bounds(object().controls[0]), 10, 5, 40, 45);
}

TEST_F(CarbonViewTest, APaneTheViewSizedItselfOrLeftEmptyKeepsItsSize)
{
    object().controlFrames = {{0, 0, 20, 40}};
    object().onCreateUI = [](TestCarbonView& v) { SizeControl(v.GetCarbonPane(), 300, 200); };
    ASSERT_EQ(create({5, 5}), noErr);
    expectRect(bounds(pane), 5, 5, 205, 305);

    // Nothing to embed: no extent, so the pane stays empty.
    OpenTestCarbonView empty;
    empty.object().onCreateUI = [](TestCarbonView& v) { EXPECT_EQ(v.EmbedControl(nullptr), paramErr); };
    ControlRef emptyPane = nullptr;
    ASSERT_EQ(create(empty, emptyPane, {1, 2}, {50, 50}), noErr);
    expectRect(bounds(emptyPane), 2, 1, 2, 1);
}

TEST_F(CarbonViewTest, NonCompositingPaneIsEmbeddedAndSizedToTheExtentLessTheOffsets)
{
    WindowRef plain = newWindow(kWindowStandardHandlerAttribute);
    const Rect holderBounds{0, 0, 150, 200};
    ControlRef holder = nullptr;
    CreateUserPaneControl(plain, &holderBounds, kControlSupportsEmbedding, &holder);

    object().controlFrames = {{10, 5, 40, 45}, {0, 0, 20, 100}};
    ASSERT_EQ(create({20, 30}, holder, plain), noErr);
    EXPECT_FALSE(object().IsCompositWindow());
    EXPECT_EQ(HIViewGetSuperview(pane), holder);
    // Controls at (offset + frame): the extent is (70, 120), the pane 100 × 40.
    expectContents(20, 30, 70, 120);
    expectRect(bounds(pane), 30, 20, 70, 120);

    // No scrolling outside compositing windows.
    EventRef info = nullptr;
    CreateEvent(nullptr, kEventClassScrollable, kEventScrollableGetInfo, 0, 0, &info);
    EXPECT_EQ(SendEventToEventTarget(info, GetControlEventTarget(pane)), eventNotHandledErr);
    ReleaseEvent(info);
}

TEST_F(CarbonViewTest, PaneBoundsBeyond16BitsAreClampedFirst)
{
    // The pane is then sized to nothing; its edges are converted before
    // that, and the sanitizer would see an out-of-range conversion.
    ASSERT_EQ(create({std::nanf(""), 1e9f}), noErr);
    expectRect(bounds(pane), 32767, 0, 32767, 0);

    OpenTestCarbonView wide;
    ControlRef widePane = nullptr;
    ASSERT_EQ(create(wide, widePane, {-40000, 5}, {1e30f, -1e30f}), noErr);
    expectRect(bounds(widePane), 5, -32768, 5, -32768);
}

TEST_F(CarbonViewTest, AFailingCreateUIReturnsItsStatus)
{
    object().uiResult = -1234;
    EXPECT_EQ(create({0, 0}), -1234);
}

TEST_F(CarbonViewTest, AClickOnThePaneItselfClearsTheFocusAClickOnAControlDoesNot)
{
    object().controlFrames = {{0, 0, 20, 40}, {30, 0, 50, 40}};
    object().onCreateUI = [](TestCarbonView& v) { SizeControl(v.GetCarbonPane(), 100, 60); };
    ASSERT_EQ(create({10, 10}), noErr);
    const ControlRef first = object().controls[0];
    const auto focused = [&] {
        ControlRef control = nullptr;
        GetKeyboardFocus(window, &control);
        return control;
    };
    ASSERT_EQ(SetKeyboardFocus(window, first, 1), noErr);
    ASSERT_EQ(focused(), first);
    click(20, 50); // on the second control
    EXPECT_EQ(focused(), first);
    click(90, 40); // on the pane's empty part
    EXPECT_EQ(focused(), nullptr);
}

TEST_F(CarbonViewTest, ThePaneScrollsOverItsContentsInsideAScrollView)
{
    HIViewRef scroll = nullptr;
    ASSERT_EQ(HIScrollViewCreate(kHIScrollViewOptionsVertScroll | kHIScrollViewOptionsHorizScroll, &scroll),
              noErr);
    const HIRect frame{{0, 0}, {100, 50}};
    HIViewSetFrame(scroll, &frame);
    HIViewAddSubview(content, scroll);
    object().controlFrames = {{0, 0, 200, 300}};
    ASSERT_EQ(create({0, 0}, scroll), noErr);

    const auto wheel = [&](EventMouseWheelAxis axis, SInt32 delta) {
        platform::headless::wheel(window, 50, 25, axis, delta);
        run(0.1);
        HIRect paneBounds{};
        HIViewGetBounds(pane, &paneBounds);
        return paneBounds.origin;
    };
    // Lines of 16 across, 20 down; within the image (300 × 200) less the
    // scroll view (100 × 50).
    EXPECT_EQ(wheel(kEventMouseWheelAxisY, -2).y, 40);
    EXPECT_EQ(wheel(kEventMouseWheelAxisX, -1).x, 16);
    const HIPoint far = wheel(kEventMouseWheelAxisY, -100);
    EXPECT_EQ(far.y, 150);
    EXPECT_EQ(far.x, 16);
    EXPECT_EQ(wheel(kEventMouseWheelAxisX, -100).x, 200);
    EXPECT_EQ(wheel(kEventMouseWheelAxisY, 100).y, 0);
}

TEST_F(CarbonViewTest, TheTimerFiresOnTheVirtualClockAndIsMadeOnce)
{
    object().onCreateUI = [](TestCarbonView& v) {
        EXPECT_EQ(v.CreateEventLoopTimer(1.0f, 0.5f), noErr);
        EXPECT_EQ(v.CreateEventLoopTimer(0, 0.1f), noErr); // keeps the first
    };
    ASSERT_EQ(create({0, 0}), noErr);
    run(0.99);
    EXPECT_TRUE(object().ticks.empty());
    run(1.1);
    ASSERT_EQ(object().ticks.size(), 3u);
    EXPECT_NEAR(object().ticks[0], 1.0, 1e-9);
    EXPECT_NEAR(object().ticks[1], 1.5, 1e-9);
    EXPECT_NEAR(object().ticks[2], 2.0, 1e-9);

    // No delay becomes the shortest one.
    OpenTestCarbonView soon;
    soon.object().onCreateUI = [](TestCarbonView& v) { v.CreateEventLoopTimer(0, 10); };
    ControlRef soonPane = nullptr;
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    ASSERT_EQ(create(soon, soonPane, {0, 0}), noErr);
    run(0.004);
    EXPECT_TRUE(soon.object().ticks.empty());
    run(0.002);
    ASSERT_EQ(soon.object().ticks.size(), 1u);
    EXPECT_NEAR(soon.object().ticks[0] - start, 0.005, 1e-9);
}

TEST_F(CarbonViewTest, TheBaseListenerShowsValueChangesToBoundControls)
{
    ASSERT_EQ(create({0, 0}), noErr);
    int destroyed = 0;
    auto* control = new RecordingControl(gain(), &destroyed);
    object().AddControl(control);
    // A gesture reaching the control's registration is not a value.
    AudioUnitEvent begin{};
    begin.mEventType = kAudioUnitEvent_BeginParameterChangeGesture;
    begin.mArgument.mParameter = control->GetParameter();
    ASSERT_EQ(AUEventListenerAddEventType(object().GetParameterListener(), control, &begin), noErr);

    const AudioUnitParameter address = control->GetParameter();
    ASSERT_EQ(AUEventListenerNotify(nullptr, nullptr, &begin), noErr);
    ASSERT_EQ(AUParameterSet(nullptr, nullptr, &address, 1.5f, 0), noErr);
    run(0.5);
    ASSERT_EQ(control->values.size(), 1u);
    EXPECT_EQ(control->values[0], 1.5f);

    // Set without an announcement: Update shows it.
    AudioUnitSetParameter(effect.unit(), ViewedEffect::kGain, kAudioUnitScope_Global, 0, 0.25f, 0);
    object().Update();
    ASSERT_EQ(control->values.size(), 2u);
    EXPECT_EQ(control->values[1], 0.25f);

    // Removed: deleted, and its parameter's changes go nowhere.
    object().RemoveControl(control);
    EXPECT_EQ(destroyed, 1);
    AUParameterSet(nullptr, nullptr, &address, 1.0f, 0);
    run(0.5);

    // The view deletes the controls it holds.
    object().AddControl(new RecordingControl(gain(), &destroyed));
    AUParameterSet(nullptr, nullptr, &address, 0.5f, 0);
    view.close();
    EXPECT_EQ(destroyed, 2);
    run(0.5);
}

struct Gesture {
    AudioUnitEventType type;
    AudioUnitParameterID id;
};
struct UserCall {
    void* userData;
    AudioUnitCarbonView view;
    AudioUnitParameterID id;
    AudioUnitCarbonViewEventID event;
    const void* eventParam;
};

TEST_F(CarbonViewTest, TellListenerReachesTheHostsCallbackAndItsListeners)
{
    ASSERT_EQ(create({0, 0}), noErr);
    std::vector<UserCall> calls;
    const AudioUnitCarbonViewEventListener userProc =
        [](void* userData, AudioUnitCarbonView v, const AudioUnitParameter* parameter,
           AudioUnitCarbonViewEventID event, const void* param) {
            static_cast<std::vector<UserCall>*>(userData)->push_back(
                {userData, v, parameter->mParameterID, event, param});
        };
    ASSERT_EQ(AudioUnitCarbonViewSetEventListener(view.view(), userProc, &calls), noErr);

    std::vector<Gesture> heard;
    AUEventListenerRef host = nullptr;
    ASSERT_EQ(AUEventListenerCreate(
                  [](void* refCon, void*, const AudioUnitEvent* event, UInt64, Float32) {
                      static_cast<std::vector<Gesture>*>(refCon)->push_back(
                          {event->mEventType, event->mArgument.mParameter.mParameterID});
                  },
                  &heard, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.05f, 0.05f, &host),
              noErr);
    AudioUnitEvent event{};
    event.mArgument.mParameter = gain();
    for (AudioUnitEventType type :
         {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_EndParameterChangeGesture}) {
        event.mEventType = type;
        AUEventListenerAddEventType(host, nullptr, &event);
    }

    int argument = 0;
    object().TellListener(gain(), kAudioUnitCarbonViewEvent_MouseDownInControl, &argument);
    object().TellListener(gain(), kAudioUnitCarbonViewEvent_MouseUpInControl, nullptr);
    run(0.5);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].userData, &calls);
    EXPECT_EQ(calls[0].view, view.view());
    EXPECT_EQ(calls[0].id, ViewedEffect::kGain);
    EXPECT_EQ(calls[0].event, kAudioUnitCarbonViewEvent_MouseDownInControl);
    EXPECT_EQ(calls[0].eventParam, &argument);
    EXPECT_EQ(calls[1].event, kAudioUnitCarbonViewEvent_MouseUpInControl);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].type, kAudioUnitEvent_BeginParameterChangeGesture);
    EXPECT_EQ(heard[0].id, ViewedEffect::kGain);
    EXPECT_EQ(heard[1].type, kAudioUnitEvent_EndParameterChangeGesture);
    AUListenerDispose(host);
}

TEST_F(CarbonViewTest, ClosingTheViewTakesEverythingItMadeAway)
{
    int destroyed = 0;
    object().destroyed = &destroyed;
    object().controlFrames = {{0, 0, 20, 40}};
    object().onCreateUI = [](TestCarbonView& v) { v.CreateEventLoopTimer(0.1f, 0.1f); };
    ASSERT_EQ(create({10, 10}), noErr);
    int controlsGone = 0;
    object().AddControl(new RecordingControl(gain(), &controlsGone));
    const CAAUParameter parameter = gain();
    parameter.SetValue(nullptr, nullptr, 1); // pending for the listener
    view.close();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(controlsGone, 1);
    // The pane and its contents are gone from the window; nothing left
    // behind is called: not the timer, the listener or a handler.
    const HIPoint inside{20, 20};
    HIViewRef hit = nullptr;
    HIViewGetSubviewHit(content, &inside, true, &hit);
    EXPECT_EQ(hit, nullptr);
    click(20, 20);
    run(1);

    // Open, create and close many times; the leak checker sees the rest.
    for (int i = 0; i < 50; ++i) {
        OpenTestCarbonView again;
        again.object().controlFrames = {{0, 0, 20, 40}};
        again.object().onCreateUI = [](TestCarbonView& v) { v.CreateEventLoopTimer(0.1f, 0.1f); };
        ControlRef againPane = nullptr;
        ASSERT_EQ(create(again, againPane, {0, 0}), noErr);
        run(0.15);
    }
}

TEST_F(CarbonViewTest, AHostThatDisposesOfTheWindowFirstLeavesTheViewNothingToDisposeOf)
{
    int destroyed = 0;
    object().destroyed = &destroyed;
    object().controlFrames = {{0, 0, 20, 40}};
    ASSERT_EQ(create({10, 10}), noErr);
    // Only the pane's own disposal counts, not a control's inside it.
    DisposeControl(object().controls[0]);
    EXPECT_EQ(object().GetCarbonPane(), pane);
    DisposeWindow(window);
    windows.erase(windows.begin());
    EXPECT_EQ(object().GetCarbonPane(), nullptr);
    view.close();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(CarbonViewTest, OpeningAndClosingWithoutCreatingMakesNothing)
{
    int destroyed = 0;
    object().destroyed = &destroyed;
    EXPECT_EQ(object().GetCarbonPane(), nullptr);
    EXPECT_EQ(object().GetEditAudioUnit(), nullptr);
    EXPECT_NE(object().GetParameterListener(), nullptr);
    view.close();
    EXPECT_EQ(destroyed, 1);
}

} // namespace
