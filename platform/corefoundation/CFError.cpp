// Errors: domain, code and description.

#include <string>

#include "platform/corefoundation/CFInternal.h"

using platform::detail::Object;

const CFStringRef kCFErrorDomainCocoa = CFSTR("NSCocoaErrorDomain");

struct __CFError final : Object {
    __CFError(CFIndex code, std::string description)
        : Object(platform::detail::kErrorTypeID), code(code), description(std::move(description))
    {
    }

    std::string describe() const override { return description; }

    const CFIndex code;
    const std::string description;
};

namespace platform::detail {

CFErrorRef createError(CFIndex code, std::string description)
{
    return new __CFError(code, std::move(description));
}

} // namespace platform::detail

CFTypeID CFErrorGetTypeID(void)
{
    return platform::detail::kErrorTypeID;
}

CFStringRef CFErrorGetDomain(CFErrorRef)
{
    return kCFErrorDomainCocoa;
}

CFIndex CFErrorGetCode(CFErrorRef error)
{
    return error->code;
}

CFStringRef CFErrorCopyDescription(CFErrorRef error)
{
    return CFCopyDescription(error);
}
