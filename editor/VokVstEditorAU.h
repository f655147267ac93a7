#pragma once

// The deliverable's editor (VokVstEditor, found through the deliverable's
// include folder) editing an Audio Unit: edits become clamped parameter
// changes, begin and end edits become gestures, all announced to every
// listener of the unit.
//
// Main thread only.

#include <vector>

#include "VokEditorUnit.h"
#include "platform/audiounit/AUEventListener.h"

class VokVstEditorAU : public VokVstEditor {
  public:
    // The highest tag whose edits reach the unit.
    static constexpr long kLastTag = static_cast<long>(VokEditorUnit::kParameterCount) - 1;

    explicit VokVstEditorAU(void* audioUnit);

    void idle() override;
    // Ends the gestures still open: closed mid-drag, the editor's tracking
    // loop stops without its end, and the host would hold the parameter
    // touched.
    void close() override;
    void beginEdit(long index) override;
    void endEdit(long index) override;
    void valueChanged(CDrawContext* context, CControl* control) override;

  private:
    void sendGesture(AudioUnitEventType type, long index) const;

    std::vector<long> openGestures;
};
