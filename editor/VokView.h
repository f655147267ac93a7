#pragma once

// The plug-in's Carbon view component: builds the editor in the pane the
// base makes in the host's window, idles it from a 24 Hz timer and shows in
// it every value change announced for the unit's parameters.
//
// Main thread only: the timer and the listener run on the main run loop.

#include "VokEditorUnit.h"
#include "au/carbonview/AUCarbonViewBase.h"

class VokVstEditorAU;

class VokView : public AUCarbonViewBase {
  public:
    explicit VokView(ComponentInstance instance);
    ~VokView() override;

    OSStatus CreateUI(Float32 xOffset, Float32 yOffset) override;
    void RespondToEventTimer(EventLoopTimerRef timer) override;

    static void EventListenerDispatcherView(void* view, void* object, const AudioUnitEvent* event,
                                            UInt64 hostTime, Float32 value);

    VokVstEditorAU* getEditor() const { return editor; }
    AUEventListenerRef getListener() const { return listener; }

  private:
    VokVstEditorAU* editor = nullptr;
    VokEditorUnit::Engine* engine = nullptr;
    AUEventListenerRef listener = nullptr;
};
