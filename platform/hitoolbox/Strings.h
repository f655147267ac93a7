#pragma once

// UTF-8 to and from CF strings, for the toolbox's own copies of text.

#include <string>

#include "platform/corefoundation/CoreFoundation.h"

namespace platform::detail {

// Empty for null.
std::string utf8Of(CFStringRef string);
// A new string (owned by the caller).
CFStringRef newCFString(const std::string& utf8);

} // namespace platform::detail
