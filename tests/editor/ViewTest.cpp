// The view component as a host drives it, for the deliverable under test.

#include <algorithm>

#include "ViewHost.h"
#include "toolkit/CView.h"

namespace editortest {
namespace {

using View = ViewHost;

CPoint centre(const CRect& rect)
{
    return CPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

bool inside(const CRect& outer, const CRect& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Every pixel that differs between two pictures lies inside area; how many differ.
int changedPixels(const std::vector<uint32_t>& before, const std::vector<uint32_t>& after, const CRect& area,
                  int width, bool& outside)
{
    int changed = 0;
    outside = false;
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i]) continue;
        ++changed;
        const int x = int(i) % width, y = int(i) / width;
        if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) outside = true;
    }
    return changed;
}

TEST_F(View, PaneAndEditorAreAsLargeAsTheBackground)
{
    ASSERT_EQ(createView(), noErr);
    ASSERT_NE(pane, nullptr);
    Rect bounds;
    GetControlBounds(pane, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, kUnit.width);
    EXPECT_EQ(bounds.bottom - bounds.top, kUnit.height);
    const ERect rect = editor()->getRect();
    EXPECT_EQ(rect.right - rect.left, kUnit.width);
    EXPECT_EQ(rect.bottom - rect.top, kUnit.height);
}

TEST_F(View, TheEditorStartsWithTheUnitsValues)
{
    AudioUnitSetParameter(unit, kUnit.knobTag, kAudioUnitScope_Global, 0, 0.25f, 0);
    ASSERT_EQ(createView(), noErr);
    EXPECT_FLOAT_EQ(control(kUnit.knobTag)->getValue(), 0.25f);
}

TEST_F(View, AKnobDragIsOneGestureAroundClampedValuesThatTheEffectKeeps)
{
    ASSERT_EQ(createView(), noErr);
    run(1.1);
    hostEvents.clear();
    const CPoint from = centre(kUnit.knob);
    drag(from, CPoint(from.h, from.v - 400), 10);
    run(0.2);

    const auto events = eventsOf(kUnit.knobTag);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front().type, kAudioUnitEvent_BeginParameterChangeGesture);
    EXPECT_EQ(events.back().type, kAudioUnitEvent_EndParameterChangeGesture);
    int begins = 0, ends = 0, values = 0;
    for (const HostEvent& event : events) {
        begins += event.type == kAudioUnitEvent_BeginParameterChangeGesture;
        ends += event.type == kAudioUnitEvent_EndParameterChangeGesture;
        if (event.type != kAudioUnitEvent_ParameterValueChange) continue;
        ++values;
        EXPECT_GE(event.value, 0.f);
        EXPECT_LE(event.value, 1.f);
    }
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_GE(values, 1);
    // Dragged far beyond the top: the knob's and the parameter's maximum.
    EXPECT_FLOAT_EQ(parameter(kUnit.knobTag), 1.f);
    EXPECT_FLOAT_EQ(control(kUnit.knobTag)->getValue(), 1.f);
    // No other parameter moved.
    for (const HostEvent& event : hostEvents) EXPECT_EQ(event.id, AudioUnitParameterID(kUnit.knobTag));
}

TEST_F(View, AControlValueOutsideTheRangeReachesTheEffectClamped)
{
    ASSERT_EQ(createView(), noErr);
    CControl* knob = control(kUnit.knobTag);
    ASSERT_NE(knob, nullptr);
    knob->setValue(7.f);
    editor()->valueChanged(nullptr, knob);
    EXPECT_FLOAT_EQ(parameter(kUnit.knobTag), 1.f);
    knob->setValue(-3.f);
    editor()->valueChanged(nullptr, knob);
    EXPECT_FLOAT_EQ(parameter(kUnit.knobTag), 0.f);
    knob->setValue(0.375f);
    editor()->valueChanged(nullptr, knob);
    EXPECT_FLOAT_EQ(parameter(kUnit.knobTag), 0.375f);
}

TEST_F(View, AHostChangeMovesTheControlAtTheIdleAfterTheListenerDeliversIt)
{
    ASSERT_EQ(createView(), noErr);
    run(1.2);
    const auto before = picture();
    const AudioUnitParameter address{unit, AudioUnitParameterID(kUnit.knobTag), kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUParameterSet(nullptr, nullptr, &address, 0.f, 0), noErr);
    EXPECT_NE(control(kUnit.knobTag)->getValue(), 0.f); // not before the listener runs
    run(0.3);
    EXPECT_FLOAT_EQ(control(kUnit.knobTag)->getValue(), 0.f);
    bool outside = false;
    EXPECT_GT(changedPixels(before, picture(), kUnit.knob, kWindowWidth, outside), 0);
    EXPECT_FALSE(outside);
}

TEST_F(View, OnlyValueChangesReachTheEditor)
{
    ASSERT_EQ(createView(), noErr);
    const float shown = control(kUnit.knobTag)->getValue();
    ASSERT_NE(shown, 0.9f);
    AudioUnitEvent event{};
    event.mArgument.mParameter = {unit, AudioUnitParameterID(kUnit.knobTag), kAudioUnitScope_Global, 0};
    for (AudioUnitEventType type :
         {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_EndParameterChangeGesture}) {
        event.mEventType = type;
        VokView::EventListenerDispatcherView(vokView(), editor(), &event, 0, 0.9f);
    }
    event.mEventType = kAudioUnitEvent_PropertyChange;
    event.mArgument.mProperty = {unit, AudioUnitPropertyID(kUnit.knobTag), kAudioUnitScope_Global, 0};
    VokView::EventListenerDispatcherView(vokView(), editor(), &event, 0, 0.9f);
    EXPECT_EQ(control(kUnit.knobTag)->getValue(), shown);

    event.mEventType = kAudioUnitEvent_ParameterValueChange;
    event.mArgument.mParameter = {unit, AudioUnitParameterID(kUnit.knobTag), kAudioUnitScope_Global, 0};
    VokView::EventListenerDispatcherView(nullptr, editor(), &event, 0, 0.9f);
    EXPECT_EQ(control(kUnit.knobTag)->getValue(), shown);
    VokView::EventListenerDispatcherView(vokView(), editor(), &event, 0, 0.9f);
    EXPECT_FLOAT_EQ(control(kUnit.knobTag)->getValue(), 0.9f);
}

TEST_F(View, TheFirstTimerTickComesOneSecondAfterTheEditorIsBuilt)
{
    ASSERT_EQ(createView(), noErr);
    run(0.01);
    const auto built = picture();
    const AudioUnitParameter address{unit, AudioUnitParameterID(kUnit.knobTag), kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUParameterSet(nullptr, nullptr, &address, 1.f, 0), noErr);
    run(0.9);
    // Delivered to the control, not drawn yet: no idle pass has run.
    EXPECT_FLOAT_EQ(control(kUnit.knobTag)->getValue(), 1.f);
    EXPECT_EQ(picture(), built);
    run(0.2);
    EXPECT_NE(picture(), built);
}

// Records the areas the frame redraws through its tree; draws nothing.
class RedrawSpy : public CView {
  public:
    explicit RedrawSpy(const CRect& size, std::vector<CRect>& drawn) : CView(size), drawn(drawn) {}
    void draw(CDrawContext*) override {}
    void drawRect(CDrawContext*, const CRect& updateRect) override { drawn.push_back(updateRect); }

  private:
    std::vector<CRect>& drawn;
};

TEST_F(View, AKnobTurnRedrawsOnlyThatKnob)
{
    ASSERT_EQ(createView(), noErr);
    run(1.2);
    std::vector<CRect> drawn;
    CFrame* frame = editor()->getFrame();
    const CRect all(0, 0, kUnit.width, kUnit.height);
    frame->addView(new RedrawSpy(all, drawn), all, false);
    run(0.3);
    drawn.clear();
    const auto before = picture();

    const CPoint from = centre(kUnit.knob);
    drag(from, CPoint(from.h, from.v - 15), 3);
    run(0.3);
    for (const CRect& rect : drawn) EXPECT_TRUE(inside(kUnit.knob, rect));
    bool outside = false;
    EXPECT_GT(changedPixels(before, picture(), kUnit.knob, kWindowWidth, outside), 0);
    EXPECT_FALSE(outside);
}

TEST_F(View, OpeningAndClosingWithoutCreatingDeletesNothing)
{
    AudioUnitCarbonView other = openView();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(vokView(other)->getEditor(), nullptr);
    EXPECT_EQ(vokView(other)->getListener(), nullptr);
    EXPECT_EQ(CloseComponent(other), noErr);
}

TEST_F(View, ClosingWhileChangesArePendingCallsNothingClosed)
{
    ASSERT_EQ(createView(), noErr);
    run(1.1);
    for (UInt32 id = 0; id < kParameterCount; ++id) {
        const AudioUnitParameter address{unit, id, kAudioUnitScope_Global, 0};
        AUParameterSet(nullptr, nullptr, &address, 0.75f, 0);
    }
    platform::headless::mouseDown(window, centre(kUnit.knob).h, centre(kUnit.knob).v);
    EXPECT_EQ(CloseComponent(view), noErr);
    view = nullptr;
    hostEvents.clear();
    run(0.5);
    // The host's own listener still hears them; the closed view does not crash on them.
    EXPECT_FALSE(hostEvents.empty());
}

TEST_F(View, OpeningAndClosingManyTimesLeavesNothingInTheWindow)
{
    for (int i = 0; i < 12; ++i) {
        AudioUnitCarbonView other = openView();
        ASSERT_NE(other, nullptr);
        ASSERT_EQ(createView(other), noErr);
        run(i % 2 ? 1.1 : 0.05);
        EXPECT_EQ(CloseComponent(other), noErr);
    }
    run(0.2);
    HIViewRef content = nullptr, hit = nullptr;
    HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
    const HIPoint where{CGFloat(centre(kUnit.knob).h), CGFloat(centre(kUnit.knob).v)};
    HIViewGetSubviewHit(content, &where, true, &hit);
    EXPECT_EQ(hit, nullptr);
}

TEST(ViewBundle, TheBuiltBundleOffersTheViewThatTheEffectNames)
{
    const auto registration = platform::RegisterComponentBundle(std::string(VOK_BUNDLE_DIR) + "/" +
                                                                kUnit.bundleName + ".component");
    EXPECT_TRUE(registration.errors.empty());
    ASSERT_EQ(registration.components.size(), 2u);
    ComponentDescription effect{}, viewDescription{};
    GetComponentInfo(registration.components[0], &effect, nullptr);
    GetComponentInfo(registration.components[1], &viewDescription, nullptr);
    EXPECT_EQ(effect.componentType, kAudioUnitType_Effect);
    EXPECT_EQ(viewDescription.componentType, kAudioUnitCarbonViewComponentType);
    EXPECT_EQ(viewDescription.componentSubType, VokEditorUnit::kSubtype);
    EXPECT_EQ(viewDescription.componentManufacturer, FourCharCode("Quim"));

    AudioUnit unit = nullptr;
    ASSERT_EQ(OpenAComponent(registration.components[0], &unit), noErr);
    ComponentDescription named{};
    UInt32 size = sizeof named;
    EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0,
                                   &named, &size),
              noErr);
    EXPECT_EQ(named.componentType, viewDescription.componentType);
    EXPECT_EQ(named.componentSubType, viewDescription.componentSubType);
    EXPECT_EQ(named.componentManufacturer, viewDescription.componentManufacturer);

    // The bundle's own view, created and closed in a window.
    platform::useVirtualClock(0);
    WindowRef window = nullptr;
    const Rect bounds{100, 100, 500, 740};
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass,
                              kWindowCompositingAttribute | kWindowStandardHandlerAttribute, &bounds,
                              &window),
              noErr);
    AudioUnitCarbonView bundleView = nullptr;
    ASSERT_EQ(OpenAComponent(registration.components[1], &bundleView), noErr);
    HIViewRef content = nullptr;
    HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
    const Float32Point location{0, 0}, viewSize{0, 0};
    ControlRef bundlePane = nullptr;
    EXPECT_EQ(AudioUnitCarbonViewCreate(bundleView, unit, window, content, &location, &viewSize, &bundlePane),
              noErr);
    EXPECT_NE(bundlePane, nullptr);
    RunCurrentEventLoop(1.2);
    EXPECT_EQ(CloseComponent(bundleView), noErr);
    EXPECT_EQ(CloseComponent(unit), noErr);
    DisposeWindow(window);
    platform::useRealClock();
}

} // namespace
} // namespace editortest
