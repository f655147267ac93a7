#include "au/AUIOElement.h"

#include "au/AUBase.h"

AUIOElement::AUIOElement(AUBase* audioUnit)
    : AUElement(audioUnit), streamFormat(audioUnit->DefaultStreamFormat())
{
}

OSStatus AUIOElement::SetStreamFormat(const CAStreamBasicDescription& format)
{
    streamFormat = format;
    return noErr;
}

UInt32 AUIOElement::GetChannelLayoutTags(AudioChannelLayoutTag*)
{
    return 0;
}

UInt32 AUIOElement::GetAudioChannelLayout(AudioChannelLayout*, bool& outWritable)
{
    outWritable = false;
    return 0;
}

OSStatus AUIOElement::SetAudioChannelLayout(const AudioChannelLayout&)
{
    return kAudioUnitErr_InvalidProperty;
}

OSStatus AUIOElement::RemoveAudioChannelLayout()
{
    return kAudioUnitErr_InvalidPropertyValue;
}

void AUIOElement::AllocateBuffer(UInt32 frames)
{
    const AUBase& unit = *GetAudioUnit();
    if (!unit.IsInitialized()) return;
    if (frames == 0) frames = unit.GetMaxFramesPerSlice();
    ioBuffer.Allocate(streamFormat, NeedsBufferSpace() ? frames : 0);
}
