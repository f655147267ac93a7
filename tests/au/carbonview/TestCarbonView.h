#pragma once

// A view component on AUCarbonViewBase whose contents the test decides:
// controls of given frames embedded at the offsets, an optional timer, and
// a record of the timer's ticks.

#include <functional>
#include <vector>

#include "OpenedComponent.h"
#include "au/carbonview/AUCarbonViewBase.h"

class TestCarbonView : public AUCarbonViewBase {
  public:
    explicit TestCarbonView(ComponentInstance instance) : AUCarbonViewBase(instance, 0.1f) {}
    ~TestCarbonView() override
    {
        if (destroyed) ++*destroyed;
    }

    OSStatus CreateUI(Float32 xOffset, Float32 yOffset) override
    {
        offsets.push_back({xOffset, yOffset});
        for (const Rect& frame : controlFrames) {
            const Rect bounds{int16_t(frame.top + yOffset), int16_t(frame.left + xOffset),
                              int16_t(frame.bottom + yOffset), int16_t(frame.right + xOffset)};
            ControlRef control = nullptr;
            CreateUserPaneControl(nullptr, &bounds, kControlSupportsFocus, &control);
            EmbedControl(control);
            controls.push_back(control);
        }
        if (onCreateUI) onCreateUI(*this);
        return uiResult;
    }
    void RespondToEventTimer(EventLoopTimerRef) override { ticks.push_back(CFAbsoluteTimeGetCurrent()); }

    using AUCarbonViewBase::TellListener;

    // What CreateUI makes, in the pane's coordinates less the offsets.
    std::vector<Rect> controlFrames;
    std::function<void(TestCarbonView&)> onCreateUI;
    OSStatus uiResult = noErr;

    std::vector<HIPoint> offsets;
    std::vector<ControlRef> controls;
    std::vector<CFAbsoluteTime> ticks;
    int* destroyed = nullptr;
};

class OpenTestCarbonView : public OpenedComponent<TestCarbonView> {
  public:
    OpenTestCarbonView()
        : OpenedComponent(kAudioUnitCarbonViewComponentType, FourCharCode("view"), "TestCarbonView")
    {
    }
    AudioUnitCarbonView view() const { return instance(); }
};
