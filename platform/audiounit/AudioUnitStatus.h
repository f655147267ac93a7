#pragma once

// Status codes by their published names, for hosts' messages:
// describeStatus(-10866) is "kAudioUnitErr_InvalidScope (-10866)".

#include <string>

#include "platform/components/Components.h"

// Exported from the platform's shared library, which hides everything else.
namespace platform {

// The published name, or null for a status without one.
[[gnu::visibility("default")]] const char* statusName(OSStatus status);

// "name (number)", or the number alone.
[[gnu::visibility("default")]] std::string describeStatus(OSStatus status);

} // namespace platform
