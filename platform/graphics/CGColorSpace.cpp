// Device RGB is the only colour space; every colour is taken as it is.

#include "platform/graphics/CoreGraphics.h"
#include "platform/graphics/RefCounted.h"

#include <new>

struct CGColorSpace : platform::detail::RefCounted {};

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void)
{
    return new (std::nothrow) CGColorSpace;
}

CGColorSpaceRef CGColorSpaceCreateWithPlatformColorSpace(const void*)
{
    return nullptr;
}

CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space)
{
    return platform::detail::retain(space);
}

void CGColorSpaceRelease(CGColorSpaceRef space)
{
    platform::detail::release(space);
}

size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space)
{
    return space ? 3 : 0;
}
