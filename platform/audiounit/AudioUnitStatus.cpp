#include "platform/audiounit/AudioUnitStatus.h"

#include "platform/audiounit/AudioUnit.h"

namespace platform {

const char* statusName(OSStatus status)
{
    switch (status) {
#define VOK_STATUS(name)                                                                                     \
    case name:                                                                                               \
        return #name;
        VOK_STATUS(noErr)
        VOK_STATUS(paramErr)
        VOK_STATUS(memFullErr)
        VOK_STATUS(invalidComponentID)
        VOK_STATUS(badComponentInstance)
        VOK_STATUS(badComponentSelector)
        VOK_STATUS(kAudioUnitErr_InvalidProperty)
        VOK_STATUS(kAudioUnitErr_InvalidParameter)
        VOK_STATUS(kAudioUnitErr_InvalidElement)
        VOK_STATUS(kAudioUnitErr_NoConnection)
        VOK_STATUS(kAudioUnitErr_FailedInitialization)
        VOK_STATUS(kAudioUnitErr_TooManyFramesToProcess)
        VOK_STATUS(kAudioUnitErr_InvalidFile)
        VOK_STATUS(kAudioUnitErr_FormatNotSupported)
        VOK_STATUS(kAudioUnitErr_Uninitialized)
        VOK_STATUS(kAudioUnitErr_InvalidScope)
        VOK_STATUS(kAudioUnitErr_PropertyNotWritable)
        VOK_STATUS(kAudioUnitErr_CannotDoInCurrentContext)
        VOK_STATUS(kAudioUnitErr_InvalidPropertyValue)
        VOK_STATUS(kAudioUnitErr_PropertyNotInUse)
        VOK_STATUS(kAudioUnitErr_Initialized)
        VOK_STATUS(kAudioUnitErr_InvalidOfflineRender)
        VOK_STATUS(kAudioUnitErr_Unauthorized)
#undef VOK_STATUS
    }
    return nullptr;
}

std::string describeStatus(OSStatus status)
{
    const std::string number = std::to_string(status);
    const char* name = statusName(status);
    return name ? std::string(name) + " (" + number + ")" : number;
}

} // namespace platform
