#pragma once

// Ownership of a Core Foundation object the host created or was handed.

#include <memory>
#include <string>

#include "platform/corefoundation/CoreFoundation.h"

struct CFReleaser {
    void operator()(const void* object) const { CFRelease(object); }
};
using CFPtr = std::unique_ptr<const void, CFReleaser>;

// The string's UTF-8 text; empty for null.
inline std::string toStdString(CFStringRef string)
{
    const char* text = string ? CFStringGetCStringPtr(string, kCFStringEncodingUTF8) : nullptr;
    return text ? text : "";
}
