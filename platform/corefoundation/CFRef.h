#pragma once

// Ownership of one reference to a CF object: released when the holder goes.

#include <utility>

#include "platform/corefoundation/CoreFoundation.h"

namespace platform {

template <typename T = CFTypeRef> class CFRef {
  public:
    CFRef() = default;
    // Takes over a reference the caller owns (what a Create or Copy call returns).
    explicit CFRef(T object) noexcept : object_(object) {}
    // Takes a reference of its own to an object the caller does not own.
    static CFRef retain(T object)
    {
        if (object) CFRetain(object);
        return CFRef(object);
    }

    CFRef(CFRef&& other) noexcept : object_(other.release()) {}
    CFRef& operator=(CFRef&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    CFRef(const CFRef&) = delete;
    CFRef& operator=(const CFRef&) = delete;
    ~CFRef() { reset(); }

    T get() const noexcept { return object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }
    // Hands the reference to the caller.
    [[nodiscard]] T release() noexcept { return std::exchange(object_, nullptr); }
    // Releases the object held and takes over `object`'s reference.
    void reset(T object = nullptr) noexcept
    {
        if (T old = std::exchange(object_, object)) CFRelease(old);
    }

  private:
    T object_ = nullptr;
};

} // namespace platform
