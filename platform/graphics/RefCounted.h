#pragma once

// The reference count of the Quartz objects.

#include <atomic>
#include <cstdint>

namespace platform::detail {

struct RefCounted {
    std::atomic<int32_t> references{1};
    virtual ~RefCounted() = default;
};

template <typename T> T* retain(T* object)
{
    if (object) object->references.fetch_add(1, std::memory_order_relaxed);
    return object;
}

template <typename T> void release(T* object)
{
    if (object && object->references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete object;
}

} // namespace platform::detail
