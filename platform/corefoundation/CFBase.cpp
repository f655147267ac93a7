// Reference counting, the operations every object answers, and the entry
// helpers of the containers.

#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/corefoundation/CFInternal.h"

using platform::detail::object;

const CFAllocatorRef kCFAllocatorDefault = nullptr;

namespace platform::detail {

std::string Object::describe() const
{
    char text[48];
    std::snprintf(text, sizeof text, "<CF object %p, type %lu>", static_cast<const void*>(this), typeID_);
    return text;
}

const void* retainCallBack(CFAllocatorRef, const void* value)
{
    return CFRetain(value);
}

void releaseCallBack(CFAllocatorRef, const void* value)
{
    CFRelease(value);
}

std::string describeEntry(const void* value, CFStringRef (*copyDescription)(const void*))
{
    if (copyDescription) {
        if (CFStringRef description = copyDescription(value)) {
            std::string text(utf8(description));
            CFRelease(description);
            return text;
        }
    }
    char text[24];
    std::snprintf(text, sizeof text, "%p", value);
    return text;
}

} // namespace platform::detail

CFTypeRef CFRetain(CFTypeRef cf)
{
    if (!cf) std::abort();
    if (!object(cf)->immortal()) object(cf)->retainCount().fetch_add(1, std::memory_order_relaxed);
    return cf;
}

void CFRelease(CFTypeRef cf)
{
    if (!cf) std::abort();
    const auto* o = object(cf);
    if (o->immortal()) return;
    // Every thread's writes must be visible to the one that deletes: an
    // acq_rel decrement (not release plus a fence, which the thread sanitizer
    // does not follow).
    if (o->retainCount().fetch_sub(1, std::memory_order_acq_rel) == 1) delete o;
}

CFIndex CFGetRetainCount(CFTypeRef cf)
{
    const auto* o = object(cf);
    if (o->immortal()) return std::numeric_limits<CFIndex>::max();
    return o->retainCount().load(std::memory_order_relaxed);
}

CFTypeID CFGetTypeID(CFTypeRef cf)
{
    return object(cf)->typeID();
}

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2)
{
    if (cf1 == cf2) return true;
    const auto* a = object(cf1);
    const auto* b = object(cf2);
    return a->typeID() == b->typeID() && a->equals(*b);
}

CFHashCode CFHash(CFTypeRef cf)
{
    return object(cf)->hash();
}

CFStringRef CFCopyDescription(CFTypeRef cf)
{
    return platform::detail::createString(object(cf)->describe());
}
