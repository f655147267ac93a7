#include "editor/VokView.h"

#include "core/VokBase.h"
#include "editor/VokVstEditorAU.h"
#include "toolkit/CFrame.h"
#include "toolkit/NumericConversions.h"

namespace {

constexpr UInt32 kParameterCount = VokEditorUnit::kParameterCount;

} // namespace

VokView::VokView(ComponentInstance instance) : AUCarbonViewBase(instance, 0.1f)
{
}

VokView::~VokView()
{
    // Nothing may reach the editor once it starts going: the listener goes
    // first, then the editor closes (frame, views, bitmaps) and goes; the
    // base removes its handlers and then the pane.
    if (listener) AUListenerDispose(listener);
    listener = nullptr;
    if (editor) {
        editor->close();
        delete editor;
        editor = nullptr;
    }
}

OSStatus VokView::CreateUI(Float32, Float32)
{
    const AudioUnit unit = GetEditAudioUnit();
    if (!unit) return noErr;

    // The engine's address is a whole pointer here; anything shorter is
    // no address.
    engine = nullptr;
    void* address = nullptr;
    UInt32 size = sizeof address;
    if (AudioUnitGetProperty(unit, kEnginePointerProperty, kAudioUnitScope_Global, 0, &address, &size) ==
            noErr &&
        size == sizeof address)
        engine = static_cast<VokEditorUnit::Engine*>(address);

    editor = new VokVstEditorAU(unit);
    editor->open(GetCarbonWindow());
    CFrame* frame = editor->getFrame();
    const HIViewRef frameView = frame ? frame->getPlatformControl() : nullptr;
    if (frameView) {
        EmbedControl(frameView);
        CRect bounds;
        frame->getSize(bounds);
        SizeControl(GetCarbonPane(), toolkit::clampTo<int16_t>(int64_t{bounds.width()}),
                    toolkit::clampTo<int16_t>(int64_t{bounds.height()}));
    }
    CreateEventLoopTimer(1.0f, 1.0f / 24.0f);
    if (frameView) {
        HIViewSetVisible(frameView, true);
        HIViewSetNeedsDisplay(frameView, true);
    }

    AUEventListenerCreate(EventListenerDispatcherView, this, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode,
                          0.05f, 0.05f, &listener);
    for (UInt32 index = 0; index < kParameterCount; ++index) {
        const AudioUnitParameter parameter{unit, index, kAudioUnitScope_Global, 0};
        AUListenerAddParameter(listener, editor, &parameter);
    }
    if (engine) {
        for (UInt32 index = 0; index < kParameterCount; ++index)
            editor->setParameter(static_cast<unsigned long>(index), engine->parameters[index]);
    }
    return noErr;
}

void VokView::RespondToEventTimer(EventLoopTimerRef)
{
    if (editor) editor->doIdleStuff();
}

void VokView::EventListenerDispatcherView(void* view, void*, const AudioUnitEvent* event, UInt64,
                                          Float32 value)
{
    // Gestures and property changes carry no value to show.
    if (!view || event->mEventType != kAudioUnitEvent_ParameterValueChange) return;
    if (VokVstEditorAU* editor = static_cast<VokView*>(view)->editor)
        editor->setParameter(static_cast<unsigned long>(event->mArgument.mParameter.mParameterID), value);
}
