#include "platform/audiounit/AudioUnit.h"

#include <atomic>

using platform::callSelector;

OSStatus AudioUnitInitialize(AudioUnit unit)
{
    return callSelector(unit, kAudioUnitInitializeSelect);
}

OSStatus AudioUnitUninitialize(AudioUnit unit)
{
    return callSelector(unit, kAudioUnitUninitializeSelect);
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize, uint8_t* outWritable)
{
    return callSelector(unit, kAudioUnitGetPropertyInfoSelect, id, scope, element, outDataSize, outWritable);
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, void* outData, UInt32* ioDataSize)
{
    return callSelector(unit, kAudioUnitGetPropertySelect, id, scope, element, outData, ioDataSize);
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, const void* inData, UInt32 inDataSize)
{
    return callSelector(unit, kAudioUnitSetPropertySelect, id, scope, element, inData, inDataSize);
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue)
{
    return callSelector(unit, kAudioUnitGetParameterSelect, id, scope, element, outValue);
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value,
                               UInt32 bufferOffsetInFrames)
{
    return callSelector(unit, kAudioUnitSetParameterSelect, id, scope, element, value, bufferOffsetInFrames);
}

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element)
{
    return callSelector(unit, kAudioUnitResetSelect, scope, element);
}

OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                      AudioUnitPropertyListenerProc proc, void* userData)
{
    return callSelector(unit, kAudioUnitAddPropertyListenerSelect, id, proc, userData);
}

OSStatus AudioUnitRemovePropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                         AudioUnitPropertyListenerProc proc)
{
    return callSelector(unit, kAudioUnitRemovePropertyListenerSelect, id, proc);
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* userData)
{
    return callSelector(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect, id, proc, userData);
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags,
                         const AudioTimeStamp* inTimeStamp, UInt32 outputBusNumber, UInt32 numberFrames,
                         AudioBufferList* ioData)
{
    return callSelector(unit, kAudioUnitRenderSelect, ioActionFlags, inTimeStamp, outputBusNumber,
                        numberFrames, ioData);
}

OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* userData)
{
    return callSelector(unit, kAudioUnitAddRenderNotifySelect, proc, userData);
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* userData)
{
    return callSelector(unit, kAudioUnitRemoveRenderNotifySelect, proc, userData);
}

OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events,
                                     UInt32 numberOfEvents)
{
    return callSelector(unit, kAudioUnitScheduleParametersSelect, events, numberOfEvents);
}

uint8_t CompareAndSwap(uintptr_t oldValue, uintptr_t newValue, uintptr_t* address)
{
    return std::atomic_ref<uintptr_t>(*address).compare_exchange_strong(oldValue, newValue);
}
