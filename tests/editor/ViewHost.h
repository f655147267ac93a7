#pragma once

// A host for one deliverable's effect and view, in process: both components
// registered from the deliverable's entry glue, a headless compositing
// window on the virtual clock, the view created in its content view the way
// a host does, and a listener of the host's own that records every gesture
// and value change of the unit. The editor's bitmaps come from a bundle
// folder of test pictures with the sizes the layouts ask for.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "VokEditorUnit.h"
#include "editor/VokView.h"
#include "editor/VokVstEditorAU.h"
#include "platform/audiounit/AudioUnitCarbonView.h"
#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"
#include "toolkit/CColor.h"
#include "toolkit/CControl.h"
#include "toolkit/CFrame.h"

namespace editortest {

// What the shared tests need to know of the deliverable under test; each
// test program defines it.
struct UnitUnderTest {
    const char* bundleName;
    CCoord width, height; // of the test background
    // A knob: its tag and rectangle in the editor.
    long knobTag;
    CRect knob;
};
extern const UnitUnderTest kUnit;

// Writes the deliverable's test bitmaps into folder (Contents/Resources of a bundle).
void writeTestArtwork(const std::filesystem::path& resources);

// Makes the test pictures the editors' bitmaps and registers the two
// components; once per process.
void useTestArtwork();

struct HostEvent {
    AudioUnitEventType type;
    AudioUnitParameterID id;
    float value;
};

class ViewHost : public ::testing::Test {
  protected:
    static constexpr UInt32 kParameterCount = VokEditorUnit::kParameterCount;

    void SetUp() override;
    void TearDown() override;

    // Opens a view component instance; null on failure.
    AudioUnitCarbonView openView();
    // Creates the view in the window's content view at (0, 0).
    OSStatus createView(AudioUnitCarbonView instance = nullptr);
    VokView* vokView(AudioUnitCarbonView instance = nullptr) const;
    VokVstEditorAU* editor() const { return vokView()->getEditor(); }
    // The control with the tag in the open editor.
    CControl* control(long tag) const;

    // Runs the event loop on the virtual clock.
    void run(double seconds) { RunCurrentEventLoop(seconds); }
    void drag(const CPoint& from, const CPoint& to, int steps);
    void click(const CPoint& where);
    float parameter(AudioUnitParameterID id) const;
    std::vector<HostEvent> eventsOf(AudioUnitParameterID id) const;
    uint32_t pixel(int x, int y) const { return platform::headless::pixel(window, x, y); }
    // Every pixel of the window's backing store, row by row.
    std::vector<uint32_t> picture() const;

    WindowRef window = nullptr;
    AudioUnit unit = nullptr;
    AudioUnitCarbonView view = nullptr;
    ControlRef pane = nullptr;
    AUEventListenerRef hostListener = nullptr;
    std::vector<HostEvent> hostEvents;

    static constexpr int kWindowWidth = 640;
    static constexpr int kWindowHeight = 400;

  private:
    static void hear(void* host, void*, const AudioUnitEvent* event, UInt64, Float32 value);
};

} // namespace editortest
