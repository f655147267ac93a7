#include "platform/audiounit/AudioUnitCarbonView.h"

using platform::callSelector;

OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView inView, AudioUnit inAudioUnit, WindowRef inWindow,
                                   ControlRef inParentControl, const Float32Point* inLocation,
                                   const Float32Point* inSize, ControlRef* outControl)
{
    return callSelector(inView, kAudioUnitCarbonViewCreateSelect, inAudioUnit, inWindow, inParentControl,
                        inLocation, inSize, outControl);
}

OSStatus AudioUnitCarbonViewSetEventListener(AudioUnitCarbonView inView,
                                             AudioUnitCarbonViewEventListener inCallback, void* inUserData)
{
    return callSelector(inView, kAudioUnitCarbonViewSetEventListenerSelect, inCallback, inUserData);
}
