// The test effect's editor, a view component for `auhost edit`: a fader
// for Gain (a horizontal drag over its 160 pixels covers 0 to 4, with begin
// and end gestures) and, right of it, a button whose pop-up menu (Off, On)
// sets Tempo Probe. The fader is drawn as a bar as long as the gain.

#include <algorithm>

#include "au/ComponentEntryPoint.h"
#include "au/carbonview/AUCarbonViewBase.h"

namespace {

constexpr short kFaderWidth = 160, kButtonWidth = 40, kHeight = 100;
constexpr MenuID kProbeMenuID = 300;
enum : AudioUnitParameterID { kGain, kTempoProbe };

} // namespace

class TestGainView : public AUCarbonViewBase {
  public:
    explicit TestGainView(ComponentInstance instance) : AUCarbonViewBase(instance, 0.01f) {}
    ~TestGainView() override
    {
        if (menu) {
            DeleteMenu(kProbeMenuID);
            DisposeMenu(menu);
        }
    }

    OSStatus CreateUI(Float32 xOffset, Float32 yOffset) override
    {
        const auto left = static_cast<short>(xOffset), top = static_cast<short>(yOffset);
        const Rect faderBounds{top, left, static_cast<short>(top + kHeight),
                               static_cast<short>(left + kFaderWidth)};
        const Rect buttonBounds{top, faderBounds.right, faderBounds.bottom,
                                static_cast<short>(faderBounds.right + kButtonWidth)};
        if (const OSStatus status = CreateUserPaneControl(GetCarbonWindow(), &faderBounds, 0, &fader))
            return status;
        if (const OSStatus status = CreateUserPaneControl(GetCarbonWindow(), &buttonBounds, 0, &button))
            return status;
        static const EventTypeSpec types[] = {{kEventClassControl, kEventControlTrack},
                                              {kEventClassControl, kEventControlDraw}};
        for (ControlRef control : {fader, button}) {
            EmbedControl(control);
            WantEventTypes(GetControlEventTarget(control), 2, types);
        }
        return noErr;
    }

    bool HandleEvent(EventHandlerCallRef callRef, EventRef event) override
    {
        ControlRef control = nullptr;
        GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control, nullptr,
                          &control);
        if (GetEventClass(event) != kEventClassControl || (control != fader && control != button))
            return AUCarbonViewBase::HandleEvent(callRef, event);
        if (GetEventKind(event) == kEventControlDraw) {
            draw(control, event);
            return true;
        }
        if (GetEventKind(event) != kEventControlTrack) return false;
        if (control == fader)
            trackFader();
        else
            popUpProbeMenu();
        return true;
    }

  private:
    void set(AudioUnitParameterID id, float value)
    {
        const AudioUnitParameter parameter{GetEditAudioUnit(), id, kAudioUnitScope_Global, 0};
        AUParameterSet(GetParameterListener(), this, &parameter, value, 0);
    }

    // A tracking loop that runs the event loop until the button goes up, as
    // the toolkit's controls do.
    void trackFader()
    {
        const CAAUParameter gain(GetEditAudioUnit(), kGain, kAudioUnitScope_Global, 0);
        TellListener(gain, kAudioUnitCarbonViewEvent_MouseDownInControl, nullptr);
        SetPortWindowPort(GetCarbonWindow());
        Rect bounds;
        GetControlBounds(fader, &bounds);
        float last = -1.0f;
        // The place of the release counts too.
        while (true) {
            Point mouse;
            GetMouse(&mouse);
            const float value = std::clamp(float(mouse.h - bounds.left) / kFaderWidth * 4.0f, 0.0f, 4.0f);
            if (value != last) {
                set(kGain, last = value);
                HIViewSetNeedsDisplay(fader, true);
            }
            if (!Button()) break;
            RunCurrentEventLoop(0.005);
        }
        TellListener(gain, kAudioUnitCarbonViewEvent_MouseUpInControl, nullptr);
    }

    void popUpProbeMenu()
    {
        if (!menu) {
            CreateNewMenu(kProbeMenuID, 0, &menu);
            AppendMenuItemTextWithCFString(menu, CFSTR("Off"), 0, 0, nullptr);
            AppendMenuItemTextWithCFString(menu, CFSTR("On"), 0, 0, nullptr);
            InsertMenu(menu, kInsertHierarchicalMenu);
        }
        Rect bounds;
        GetControlBounds(button, &bounds);
        Point where{bounds.bottom, bounds.left};
        QDLocalToGlobalPoint(GetWindowPort(GetCarbonWindow()), &where);
        const long chosen = PopUpMenuSelect(menu, where.v, where.h, 1);
        if ((chosen & 0xFFFF) == 0) return;
        const CAAUParameter probe(GetEditAudioUnit(), kTempoProbe, kAudioUnitScope_Global, 0);
        TellListener(probe, kAudioUnitCarbonViewEvent_MouseDownInControl, nullptr);
        set(kTempoProbe, float((chosen & 0xFFFF) - 1));
        TellListener(probe, kAudioUnitCarbonViewEvent_MouseUpInControl, nullptr);
    }

    void draw(ControlRef control, EventRef event)
    {
        CGContextRef context = nullptr;
        if (GetEventParameter(event, kEventParamCGContextRef, typeCGContextRef, nullptr, sizeof context,
                              nullptr, &context) != noErr)
            return;
        CGContextTranslateCTM(context, 0, CGFloat(CGBitmapContextGetHeight(context)));
        CGContextScaleCTM(context, 1, -1);
        HIRect bounds;
        HIViewGetBounds(control, &bounds);
        CGContextSetRGBFillColor(context, 0.1, 0.1, 0.1, 1.0);
        CGContextFillRect(context, bounds);
        if (control != fader) return;
        AudioUnitParameterValue gain = 0;
        AudioUnitGetParameter(GetEditAudioUnit(), kGain, kAudioUnitScope_Global, 0, &gain);
        CGContextSetRGBFillColor(context, 0.9, 0.6, 0.1, 1.0);
        CGContextFillRect(context, CGRectMake(0, 0, bounds.size.width * gain / 4.0f, bounds.size.height));
    }

    ControlRef fader = nullptr;
    ControlRef button = nullptr;
    MenuRef menu = nullptr;
};

extern "C" __attribute__((visibility("default"))) ComponentResult TestGainViewEntry(ComponentParameters* p,
                                                                                    void* s)
{
    return ComponentEntryPoint<TestGainView>::Dispatch(p, s);
}
