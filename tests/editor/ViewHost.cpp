#include "ViewHost.h"

#include <cstdlib>

#include "au/ComponentEntryPoint.h"
#include "core/VokBase.h"
#include "toolkit/BundleRef.h"

namespace editortest {

namespace {

ComponentResult effectEntry(ComponentParameters* params, void* storage)
{
    return ComponentEntryPoint<VokBase<VokEditorUnit>>::Dispatch(params, storage);
}

ComponentResult viewEntry(ComponentParameters* params, void* storage)
{
    return ComponentEntryPoint<VokView>::Dispatch(params, storage);
}

// A bundle folder with the test pictures, made the toolkit's bundle, and
// the two components, once per process; the folder goes at exit.
struct TestBundle {
    TestBundle()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "editor-tests-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        folder = pattern;
        const std::filesystem::path bundle = folder / (std::string(kUnit.bundleName) + ".component");
        std::filesystem::create_directories(bundle / "Contents" / "Resources");
        writeTestArtwork(bundle / "Contents" / "Resources");
        const std::string path = bundle.string();
        CFURLRef url = CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), true);
        CFBundleRef handle = CFBundleCreate(nullptr, url);
        CFRelease(url);
        toolkit::setBundleRef(handle);
        if (handle) CFRelease(handle);

        const ComponentDescription effect{kAudioUnitType_Effect, VokEditorUnit::kSubtype,
                                          FourCharCode("Quim"), 0, 0};
        const ComponentDescription viewComponent{kAudioUnitCarbonViewComponentType, VokEditorUnit::kSubtype,
                                                 FourCharCode("Quim"), 0, 0};
        RegisterComponent(&effect, effectEntry, kUnit.bundleName);
        RegisterComponent(&viewComponent, viewEntry, kUnit.bundleName);
    }
    ~TestBundle()
    {
        toolkit::setBundleRef(nullptr);
        if (!folder.empty()) std::filesystem::remove_all(folder);
    }
    std::filesystem::path folder;
};

Component find(OSType type)
{
    useTestArtwork();
    const ComponentDescription looking{type, VokEditorUnit::kSubtype, FourCharCode("Quim"), 0, 0};
    return FindNextComponent(nullptr, &looking);
}

} // namespace

void useTestArtwork()
{
    static const TestBundle bundle;
}

void ViewHost::SetUp()
{
    platform::useVirtualClock(0);
    const Rect bounds{100, 100, 100 + kWindowHeight, 100 + kWindowWidth};
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass,
                              kWindowCompositingAttribute | kWindowStandardHandlerAttribute, &bounds,
                              &window),
              noErr);
    ShowWindow(window);
    ASSERT_EQ(OpenAComponent(find(kAudioUnitType_Effect), &unit), noErr);
    view = openView();
    ASSERT_NE(view, nullptr);

    ASSERT_EQ(AUEventListenerCreate(hear, this, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.01f, 0.01f,
                                    &hostListener),
              noErr);
    for (UInt32 id = 0; id < kParameterCount; ++id) {
        AudioUnitEvent event{};
        event.mArgument.mParameter = {unit, id, kAudioUnitScope_Global, 0};
        for (AudioUnitEventType type :
             {kAudioUnitEvent_ParameterValueChange, kAudioUnitEvent_BeginParameterChangeGesture,
              kAudioUnitEvent_EndParameterChangeGesture}) {
            event.mEventType = type;
            AUEventListenerAddEventType(hostListener, this, &event);
        }
    }
}

void ViewHost::TearDown()
{
    platform::headless::clearInput();
    if (view) CloseComponent(view);
    if (hostListener) AUListenerDispose(hostListener);
    if (unit) CloseComponent(unit);
    if (window) DisposeWindow(window);
    platform::useRealClock();
}

AudioUnitCarbonView ViewHost::openView()
{
    AudioUnitCarbonView instance = nullptr;
    return OpenAComponent(find(kAudioUnitCarbonViewComponentType), &instance) == noErr ? instance : nullptr;
}

OSStatus ViewHost::createView(AudioUnitCarbonView instance)
{
    HIViewRef content = nullptr;
    HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
    const Float32Point location{0, 0}, size{0, 0};
    return AudioUnitCarbonViewCreate(instance ? instance : view, unit, window, content, &location, &size,
                                     &pane);
}

VokView* ViewHost::vokView(AudioUnitCarbonView instance) const
{
    Handle storage = GetComponentInstanceStorage(instance ? instance : view);
    return static_cast<VokView*>(reinterpret_cast<ComponentBase*>(storage));
}

CControl* ViewHost::control(long tag) const
{
    CFrame* frame = editor() ? editor()->getFrame() : nullptr;
    for (long i = 0; frame && i < frame->getNbViews(); ++i)
        if (auto* found = dynamic_cast<CControl*>(frame->getView(i)); found && found->getTag() == tag)
            return found;
    return nullptr;
}

void ViewHost::drag(const CPoint& from, const CPoint& to, int steps)
{
    platform::headless::mouseDown(window, from.h, from.v);
    for (int i = 1; i <= steps; ++i)
        platform::headless::mouseMove(window, from.h + (to.h - from.h) * i / steps,
                                      from.v + (to.v - from.v) * i / steps);
    platform::headless::mouseUp(window, to.h, to.v);
    run(0.05 * (steps + 2));
}

void ViewHost::click(const CPoint& where)
{
    platform::headless::mouseDown(window, where.h, where.v);
    platform::headless::mouseUp(window, where.h, where.v);
    run(0.1);
}

float ViewHost::parameter(AudioUnitParameterID id) const
{
    AudioUnitParameterValue value = -1;
    EXPECT_EQ(AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &value), noErr);
    return value;
}

std::vector<HostEvent> ViewHost::eventsOf(AudioUnitParameterID id) const
{
    std::vector<HostEvent> found;
    for (const HostEvent& event : hostEvents)
        if (event.id == id) found.push_back(event);
    return found;
}

std::vector<uint32_t> ViewHost::picture() const
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kWindowHeight; ++y)
        for (int x = 0; x < kWindowWidth; ++x) pixels.push_back(pixel(x, y));
    return pixels;
}

void ViewHost::hear(void* host, void*, const AudioUnitEvent* event, UInt64, Float32 value)
{
    static_cast<ViewHost*>(host)->hostEvents.push_back(
        {event->mEventType, event->mArgument.mParameter.mParameterID, value});
}

} // namespace editortest
