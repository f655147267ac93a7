// The two boolean constants.

#include "platform/corefoundation/CFInternal.h"

using platform::detail::Object;

struct __CFBoolean final : Object {
    constexpr explicit __CFBoolean(bool value)
        : Object(platform::detail::kBooleanTypeID, Lifetime::immortal), value(value)
    {
    }

    std::string describe() const override { return value ? "true" : "false"; }

    const bool value;
};

namespace {
// Constant-initialised, so they exist before any other file's static
// initialisers run.
constinit __CFBoolean trueObject{true};
constinit __CFBoolean falseObject{false};
} // namespace

const CFBooleanRef kCFBooleanTrue = &trueObject;
const CFBooleanRef kCFBooleanFalse = &falseObject;

CFTypeID CFBooleanGetTypeID(void)
{
    return platform::detail::kBooleanTypeID;
}

Boolean CFBooleanGetValue(CFBooleanRef boolean)
{
    return boolean->value;
}
