#pragma once

// The base of a Carbon view component: answers the view selectors, builds
// the user pane that holds the view's contents in the host's window, embeds
// controls into it, clears the focus on clicks in the pane, scrolls in
// compositing windows, runs an optional timer, keeps a parameter listener
// for bound controls and reports mouse gestures to the host.
//
// Main thread only: the timer and the listener run on the main run loop.

#include <vector>

#include "au/ComponentBase.h"
#include "au/carbonview/AUCarbonViewControl.h"
#include "au/carbonview/CAAUParameter.h"
#include "au/carbonview/CarbonEventHandler.h"
#include "platform/audiounit/AudioUnitCarbonView.h"
#include "platform/hitoolbox/HIToolbox.h"

class AUCarbonViewBase : public ComponentBase, public CarbonEventHandler {
  public:
    // notificationInterval: the base listener's interval and value-change
    // granularity, in seconds.
    AUCarbonViewBase(ComponentInstance instance, Float32 notificationInterval);
    ~AUCarbonViewBase() override;

    // The view selectors, then the generic ones.
    static OSStatus ComponentEntryDispatch(ComponentParameters* params, AUCarbonViewBase* view);

    virtual OSStatus CreateCarbonView(AudioUnit editedUnit, WindowRef window, ControlRef parentControl,
                                      const Float32Point& location, const Float32Point& size,
                                      ControlRef& outControl);
    // Builds the contents; xOffset, yOffset: where they start in the pane.
    virtual OSStatus CreateUI(Float32 xOffset, Float32 yOffset);
    bool HandleEvent(EventHandlerCallRef callRef, EventRef event) override;
    virtual void RespondToEventTimer(EventLoopTimerRef timer);

    // Adds the control to the pane, raising the contents' extent to it.
    OSStatus EmbedControl(ControlRef control);
    // Once: a timer on the main event loop, first after `delay` (at least
    // 0.005 s), then every `interval`.
    OSStatus CreateEventLoopTimer(Float32 delay, Float32 interval);
    // A mouse gesture on a bound control: to the host's callback, then as a
    // begin (mouse down) or end (mouse up) gesture to the listeners.
    void TellListener(const CAAUParameter& parameter, AudioUnitCarbonViewEventID event, void* eventParam);

    // Bound controls, owned: registered with the base listener while held.
    void AddControl(AUCarbonViewControl* control);
    void RemoveControl(AUCarbonViewControl* control);
    void ClearControls();
    // Every control shows its parameter's current value.
    void Update();

    AudioUnit GetEditAudioUnit() const { return mEditAudioUnit; }
    WindowRef GetCarbonWindow() const { return mCarbonWindow; }
    ControlRef GetCarbonPane() const { return mCarbonPane; }
    AUEventListenerRef GetParameterListener() const { return mParameterListener; }
    bool IsCompositWindow() const { return mIsCompositWindow; }
    // Largest bottom (v) and right (h) edge of the controls embedded so far.
    Point GetBottomRight() const { return mBottomRight; }

  protected:
    static void TheTimerProc(EventLoopTimerRef timer, void* userData);
    static void ParameterListener(void* callbackRefCon, void* object, const AudioUnitEvent* event,
                                  UInt64 hostTime, Float32 value);

  private:
    void SizePane(Float32 width, Float32 height);

    AudioUnit mEditAudioUnit = nullptr;
    AUEventListenerRef mParameterListener = nullptr;
    AudioUnitCarbonViewEventListener mUserProcedure = nullptr;
    void* mUserData = nullptr;
    std::vector<AUCarbonViewControl*> mControlList;
    EventLoopTimerRef mTimer = nullptr;
    EventLoopTimerUPP mTimerUPP = nullptr;
    WindowRef mCarbonWindow = nullptr;
    ControlRef mCarbonPane = nullptr;
    Point mBottomRight{0, 0};
    Float32 mXOffset = 0;
    Float32 mYOffset = 0;
    bool mIsCompositWindow = false;
    HIPoint mCurrentScrollPoint{0, 0};
};
