#include "au/ParameterMapEvent.h"

void ParameterMapEvent::SetScheduledEvent(const AudioUnitParameterEvent& event, UInt32 sliceOffset,
                                          UInt32 frames)
{
    eventType = event.eventType;
    sliceFrames = frames;
    if (eventType == kParameterEvent_Immediate) {
        rampStartOffset = 0;
        rampDuration = frames;
        std::atomic_ref<AudioUnitParameterValue>(value).store(event.eventValues.immediate.value,
                                                              std::memory_order_relaxed);
        endValue = event.eventValues.immediate.value;
    } else {
        rampStartOffset = event.eventValues.ramp.startBufferOffset - static_cast<SInt32>(sliceOffset);
        rampDuration = event.eventValues.ramp.durationInFrames;
        std::atomic_ref<AudioUnitParameterValue>(value).store(event.eventValues.ramp.startValue,
                                                              std::memory_order_relaxed);
        endValue = event.eventValues.ramp.endValue;
    }
}
