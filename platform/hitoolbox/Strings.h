#pragma once

// UTF-8 to and from CF strings, for the toolbox's own copies of text.

#include <string>

#include "platform/corefoundation/CoreFoundation.h"

namespace platform::detail {

// Empty for null.
std::string utf8Of(CFStringRef string);
// A new string (owned by the caller).
CFStringRef newCFString(const std::string& utf8);

// Between UTF-8 and code points; malformed bytes become U+FFFD.
std::u32string codePoints(const std::string& utf8);
std::string utf8Of(const std::u32string& text);
// Between code points and native-endian UTF-16.
std::u16string utf16Of(const std::u32string& text);
std::u32string codePoints(const std::u16string& utf16);

} // namespace platform::detail
