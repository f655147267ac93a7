#include "host/HostError.h"

#include "platform/audiounit/AudioUnitStatus.h"

void checkStatus(OSStatus status, std::string_view what, std::string_view hint)
{
    if (status != noErr)
        throw HostError(std::string(what) + ": " + platform::describeStatus(status), std::string(hint));
}
