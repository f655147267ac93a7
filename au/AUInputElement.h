#pragma once

#include "au/AUIOElement.h"

// An input element: fed by nothing, by another unit's output (a connection)
// or by the host's render callback. Only a callback source needs memory of
// the element's own; a connected source renders into memory it supplies.
class AUInputElement : public AUIOElement {
  public:
    enum InputType { kNoInput, kFromConnection, kFromCallback };

    explicit AUInputElement(AUBase* audioUnit) : AUIOElement(audioUnit) {}

    OSStatus SetStreamFormat(const CAStreamBasicDescription& format) override;
    bool NeedsBufferSpace() const override { return inputType == kFromCallback; }

    // Main thread, while the unit does not render.
    void SetConnection(const AudioUnitConnection& connection);
    void SetInputCallback(AURenderCallback proc, void* refCon);

    InputType GetInputType() const { return inputType; }
    bool IsActive() const { return inputType != kNoInput; }

    // Render thread: has the source render frames frames into this element's
    // buffer list (a connected source into memory of its own).
    OSStatus PullInput(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                       AudioUnitElement element, UInt32 frames);

  private:
    InputType inputType = kNoInput;
    AudioUnitConnection connection{};
    // The source's fast render procedure and object, when it offers them.
    AudioUnitRenderProc connectionRenderProc = nullptr;
    void* connectionInstanceStorage = nullptr;
    AURenderCallback inputProc = nullptr;
    void* inputProcRefCon = nullptr;
};
