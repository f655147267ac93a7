#include "au/ParameterMapEvent.h"

void ParameterMapEvent::SetScheduledEvent(const AudioUnitParameterEvent& event, UInt32 sliceOffset,
                                          UInt32 frames)
{
    store(eventType, event.eventType);
    store(sliceFrames, frames);
    if (event.eventType == kParameterEvent_Immediate) {
        store(rampStartOffset, 0);
        store(rampDuration, frames);
        store(value, event.eventValues.immediate.value);
        store(endValue, event.eventValues.immediate.value);
    } else {
        store(rampStartOffset, event.eventValues.ramp.startBufferOffset - static_cast<SInt32>(sliceOffset));
        store(rampDuration, event.eventValues.ramp.durationInFrames);
        store(value, event.eventValues.ramp.startValue);
        store(endValue, event.eventValues.ramp.endValue);
    }
}
