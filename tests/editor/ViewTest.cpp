// The view component as a host drives it, for the deliverable under test.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "ViewHost.h"
#include "au/ComponentEntryPoint.h"
#include "core/VokBase.h"
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

TEST_F(View, InAWindowThatDoesNotCompositeThePaneIsWhereTheHostPutsItAndTheEditorDraws)
{
    testWindow = std::make_unique<TestWindow>(kWindowWidth, kWindowHeight, false);
    window = *testWindow;
    const Float32Point location{20, 30}, size{0, 0};
    ASSERT_EQ(AudioUnitCarbonViewCreate(view, unit, window, testWindow->content(), &location, &size, &pane),
              noErr);
    Rect bounds;
    GetControlBounds(pane, &bounds);
    EXPECT_EQ(bounds.left, 20);
    EXPECT_EQ(bounds.top, 30);
    EXPECT_EQ(bounds.right - bounds.left, kUnit.width);
    EXPECT_EQ(bounds.bottom - bounds.top, kUnit.height);
    run(1.2);
    // The view ignores the offsets it is given: the editor keeps its own
    // place, the window's origin.
    EXPECT_EQ(pixel(10, 10), kUnit.backgroundAt10);
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

TEST_F(View, ClosingTheViewMidDragEndsTheGestureItBegan)
{
    ASSERT_EQ(createView(), noErr);
    run(1.1);
    hostEvents.clear();
    // The host closes the view from a timer while the knob is held.
    EventLoopTimerRef closer = nullptr;
    InstallEventLoopTimer(
        GetMainEventLoop(), 0.3, 0,
        [](EventLoopTimerRef, void* instance) {
            auto& opened = *static_cast<AudioUnitCarbonView*>(instance);
            CloseComponent(opened);
            opened = nullptr;
        },
        &view, &closer);
    const CPoint from = centre(kUnit.knob);
    platform::headless::mouseDown(window, from.h, from.v);
    for (int i = 1; i <= 5; ++i) platform::headless::mouseMove(window, from.h, from.v - 10 * i);
    run(1);
    RemoveEventLoopTimer(closer);
    ASSERT_EQ(view, nullptr) << "closed while the knob was held";

    int begins = 0, ends = 0;
    for (const HostEvent& event : eventsOf(kUnit.knobTag)) {
        begins += event.type == kAudioUnitEvent_BeginParameterChangeGesture;
        ends += event.type == kAudioUnitEvent_EndParameterChangeGesture;
    }
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1) << "a host would hold the parameter touched";
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
    ASSERT_EQ(setFromHost(kUnit.knobTag, 0.f), noErr);
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
    ASSERT_EQ(setFromHost(kUnit.knobTag, 1.f), noErr);
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

TEST_F(View, TheWindowShowsTheBackgroundAndTheKnobs)
{
    ASSERT_EQ(createView(), noErr);
    run(1.2);
    EXPECT_EQ(pixel(10, 10), kUnit.backgroundAt10);
    int bright = 0;
    for (int y = kUnit.knob.top; y < kUnit.knob.bottom; ++y)
        for (int x = kUnit.knob.left; x < kUnit.knob.right; ++x) bright += (pixel(x, y) & 0xff) > 60;
    EXPECT_GT(bright, 0);
    // A picture to look at: VOK_EDITOR_SCREENSHOTS names a folder to keep it in.
    if (const char* folder = std::getenv("VOK_EDITOR_SCREENSHOTS")) {
        const std::string path = std::string(folder) + "/" + kUnit.bundleName + ".png";
        EXPECT_TRUE(platform::headless::writePNG(window, path.c_str()));
    }
}

// The unit answering its engine's address in four bytes, the low half of
// it, as a 32-bit build of it would.
class ShortAddressUnit : public VokBase<VokEditorUnit> {
  public:
    using VokBase::VokBase;

    OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             UInt32& outDataSize, bool& outWritable) override
    {
        const OSStatus status = VokBase::GetPropertyInfo(id, scope, element, outDataSize, outWritable);
        if (id == kEnginePointerProperty) outDataSize = 4;
        return status;
    }
    OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         void* outData) override
    {
        if (id != kEnginePointerProperty) return VokBase::GetProperty(id, scope, element, outData);
        void* address = nullptr;
        const OSStatus status = VokBase::GetProperty(id, scope, element, &address);
        const auto low = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address));
        std::memcpy(outData, &low, sizeof low);
        return status;
    }
};

TEST_F(View, AnEngineAddressShorterThanAPointerIsNotUsed)
{
    static const Component shortAddress = [] {
        const ComponentDescription description{kAudioUnitType_Effect, FourCharCode("shrt"),
                                               FourCharCode("Quim"), 0, 0};
        return RegisterComponent(&description, ComponentEntryPoint<ShortAddressUnit>::Dispatch, "Short");
    }();
    CloseComponent(unit);
    ASSERT_EQ(OpenAComponent(shortAddress, &unit), noErr);
    AudioUnitSetParameter(unit, kUnit.knobTag, kAudioUnitScope_Global, 0, 0.25f, 0);
    ASSERT_EQ(createView(), noErr);
    ASSERT_NE(control(kUnit.knobTag), nullptr);
    EXPECT_NE(control(kUnit.knobTag)->getValue(), 0.25f) << "the editor was not filled from half an address";
    // Values still reach it through its listener.
    ASSERT_EQ(setFromHost(kUnit.knobTag, 0.75f), noErr);
    run(1.2);
    EXPECT_FLOAT_EQ(control(kUnit.knobTag)->getValue(), 0.75f);
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
    for (UInt32 id = 0; id < kParameterCount; ++id) setFromHost(id, 0.75f);
    platform::headless::mouseDown(window, centre(kUnit.knob).h, centre(kUnit.knob).v);
    EXPECT_EQ(CloseComponent(view), noErr);
    view = nullptr;
    hostEvents.clear();
    run(0.5);
    // The host's own listener still hears them; the closed view does not crash on them.
    EXPECT_FALSE(hostEvents.empty());
}

TEST_F(View, ClosingAfterTheHostDisposedOfTheWindowTouchesNothingFreed)
{
    ASSERT_EQ(createView(), noErr);
    run(1.1);
    testWindow.reset();
    window = nullptr;
    EXPECT_EQ(CloseComponent(view), noErr);
    view = nullptr;
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
    HIViewRef hit = nullptr;
    const HIPoint where{CGFloat(centre(kUnit.knob).h), CGFloat(centre(kUnit.knob).v)};
    HIViewGetSubviewHit(testWindow->content(), &where, true, &hit);
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
    const TestWindow window(640, 400);
    AudioUnitCarbonView bundleView = nullptr;
    ASSERT_EQ(OpenAComponent(registration.components[1], &bundleView), noErr);
    const Float32Point location{0, 0}, viewSize{0, 0};
    ControlRef bundlePane = nullptr;
    EXPECT_EQ(AudioUnitCarbonViewCreate(bundleView, unit, window, window.content(), &location, &viewSize,
                                        &bundlePane),
              noErr);
    ASSERT_NE(bundlePane, nullptr);
    RunCurrentEventLoop(1.2);
    // The bundle's own artwork: the pane is as large as its background,
    // whose size a PNG gives in its header.
    Rect bounds;
    GetControlBounds(bundlePane, &bounds);
    std::ifstream png(std::string(VOK_BUNDLE_DIR) + "/" + kUnit.bundleName +
                          ".component/Contents/Resources/bmp00128.png",
                      std::ios::binary);
    unsigned char header[24] = {};
    ASSERT_TRUE(png.read(reinterpret_cast<char*>(header), sizeof header));
    const auto bigEndian = [&](int at) {
        return int(header[at]) << 24 | int(header[at + 1]) << 16 | int(header[at + 2]) << 8 |
               int(header[at + 3]);
    };
    EXPECT_EQ(bounds.right - bounds.left, bigEndian(16));
    EXPECT_EQ(bounds.bottom - bounds.top, bigEndian(20));
    if (const char* folder = std::getenv("VOK_EDITOR_SCREENSHOTS")) {
        const std::string path = std::string(folder) + "/" + kUnit.bundleName + "-bundle.png";
        EXPECT_TRUE(platform::headless::writePNG(window, path.c_str()));
    }
    EXPECT_EQ(CloseComponent(bundleView), noErr);
    EXPECT_EQ(CloseComponent(unit), noErr);
}

} // namespace
} // namespace editortest
