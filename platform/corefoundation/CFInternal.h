#pragma once

// What the implementation files share: the base of every object, string
// access without the C API's copies, and the containers' entry helpers.

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>

#include "platform/corefoundation/CFDate.h"
#include "platform/corefoundation/CoreFoundation.h"

namespace platform::detail {

enum TypeID : CFTypeID {
    kStringTypeID = 1,
    kNumberTypeID,
    kBooleanTypeID,
    kDataTypeID,
    kArrayTypeID,
    kDictionaryTypeID,
    kURLTypeID,
    kBundleTypeID,
    kErrorTypeID,
    kRunLoopTypeID,
    kRunLoopTimerTypeID,
    kNumberFormatterTypeID,
};

// Base of every CF object. The public handles (CFStringRef, ...) point to
// classes derived from it; single inheritance keeps the base at the same
// address, so a CFTypeRef converts to an Object pointer directly.
class Object {
  public:
    enum class Lifetime { counted, immortal };

    constexpr explicit Object(CFTypeID typeID, Lifetime lifetime = Lifetime::counted)
        : typeID_(typeID), immortal_(lifetime == Lifetime::immortal)
    {
    }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    CFTypeID typeID() const { return typeID_; }
    bool immortal() const { return immortal_; }
    std::atomic<CFIndex>& retainCount() const { return retainCount_; }

    // `other` has the same type ID. Identity unless a type compares values.
    virtual bool equals(const Object& other) const { return this == &other; }
    virtual CFHashCode hash() const { return reinterpret_cast<CFHashCode>(this); }
    virtual std::string describe() const;

  private:
    mutable std::atomic<CFIndex> retainCount_{1};
    CFTypeID typeID_;
    bool immortal_;
};

inline const Object* object(CFTypeRef cf)
{
    return static_cast<const Object*>(cf);
}

// The text of a string, valid while the string lives.
std::string_view utf8(CFStringRef string);

bool isUTF8(std::string_view text);

// A new string; NULL if `text` is not valid UTF-8.
CFStringRef createString(std::string_view text);

// The narrowest of an SInt32 and an SInt64 number that holds value.
CFNumberRef createInteger(int64_t value);

// Retain and release callbacks of the containers that hold CF objects.
const void* retainCallBack(CFAllocatorRef, const void* value);
void releaseCallBack(CFAllocatorRef, const void* value);

// Description of one container entry: its own when the container can make
// one, else its address.
std::string describeEntry(const void* value, CFStringRef (*copyDescription)(const void*));

// A new error in kCFErrorDomainCocoa.
CFErrorRef createError(CFIndex code, std::string description);

// The platform clock's state, for the run loops.
// Moves the virtual clock forward to `time`; never back.
void advanceVirtualClockTo(CFAbsoluteTime time);
// When the real clock will read `time`.
std::chrono::steady_clock::time_point steadyTimeOf(CFAbsoluteTime time);
// Wakes every run loop, so that it looks at the clock again.
void wakeAllRunLoops();

} // namespace platform::detail
