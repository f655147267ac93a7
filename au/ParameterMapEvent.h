#pragma once

// The stored state of one parameter in an element: its value, and for a
// value scheduled in the current slice, how it ramps.

#include <atomic>
#include <type_traits>

#include "platform/audiounit/AudioUnit.h"

class ParameterMapEvent {
  public:
    ParameterMapEvent() = default;
    explicit ParameterMapEvent(AudioUnitParameterValue value) : value(value), endValue(value) {}

    // Each field crosses between the host's threads and the render thread as
    // one relaxed 32-bit load or store of its own: a host's set during a
    // render mixes with the slice's event field by field, never tears one.
    AudioUnitParameterValue GetValue() const { return load(value); }
    AUParameterEventType GetEventType() const { return load(eventType); }
    SInt32 GetRampStartOffset() const { return load(rampStartOffset); }
    UInt32 GetRampDuration() const { return load(rampDuration); }
    AudioUnitParameterValue GetEndValue() const { return load(endValue); }
    UInt32 GetSliceFrames() const { return load(sliceFrames); }

    // Immediate from now on; the slice fields stay as they were.
    void SetValue(AudioUnitParameterValue newValue)
    {
        store(eventType, kParameterEvent_Immediate);
        store(value, newValue);
        store(endValue, newValue);
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

    // atomic_ref takes no const object; the fields never are const.
    template <typename T> static T load(const T& field)
    {
        return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_relaxed);
    }
    template <typename T> static void store(T& field, std::type_identity_t<T> newValue)
    {
        std::atomic_ref<T>(field).store(newValue, std::memory_order_relaxed);
    }
};
