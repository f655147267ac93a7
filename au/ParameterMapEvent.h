#pragma once

// The stored state of one parameter in an element: its value, and for a
// value scheduled in the current slice, how it ramps.

#include <atomic>

#include "platform/audiounit/AudioUnit.h"

class ParameterMapEvent {
  public:
    ParameterMapEvent() = default;
    explicit ParameterMapEvent(AudioUnitParameterValue value) : value(value), endValue(value) {}

    // The value crosses between the host's threads and the render thread as
    // one relaxed 32-bit store and load.
    AudioUnitParameterValue GetValue() const
    {
        return std::atomic_ref<AudioUnitParameterValue>(const_cast<AudioUnitParameterValue&>(value))
            .load(std::memory_order_relaxed);
    }
    AUParameterEventType GetEventType() const { return eventType; }
    SInt32 GetRampStartOffset() const { return rampStartOffset; }
    UInt32 GetRampDuration() const { return rampDuration; }
    AudioUnitParameterValue GetEndValue() const { return endValue; }
    UInt32 GetSliceFrames() const { return sliceFrames; }

    // Immediate from now on; the slice fields stay as they were.
    void SetValue(AudioUnitParameterValue newValue)
    {
        eventType = kParameterEvent_Immediate;
        std::atomic_ref<AudioUnitParameterValue>(value).store(newValue, std::memory_order_relaxed);
        endValue = newValue;
    }

    // The event as it applies to the slice of sliceFrames frames starting at
    // sliceOffset in the buffer.
    void SetScheduledEvent(const AudioUnitParameterEvent& event, UInt32 sliceOffset, UInt32 sliceFrames);

  private:
    AUParameterEventType eventType = kParameterEvent_Immediate;
    SInt32 rampStartOffset = 0;
    UInt32 rampDuration = 0;
    AudioUnitParameterValue value = 0.0f;
    AudioUnitParameterValue endValue = 0.0f;
    UInt32 sliceFrames = 0;
};
