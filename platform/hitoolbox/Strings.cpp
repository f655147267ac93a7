#include "platform/hitoolbox/Strings.h"

#include <vector>

namespace platform::detail {

std::string utf8Of(CFStringRef string)
{
    if (!string) return {};
    const CFIndex size =
        CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
    std::vector<char> buffer(static_cast<size_t>(size));
    if (!CFStringGetCString(string, buffer.data(), size, kCFStringEncodingUTF8)) return {};
    return buffer.data();
}

CFStringRef newCFString(const std::string& utf8)
{
    return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(utf8.data()),
                                   static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8, false);
}

} // namespace platform::detail
