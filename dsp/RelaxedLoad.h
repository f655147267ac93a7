#pragma once

#include <atomic>

namespace dsp {

// Reads a value another thread may store at any time, as one relaxed atomic
// load: a parameter crosses alone, with nothing to order around it.
// atomic_ref takes no const object, hence the non-const reference.
inline float relaxedLoad(float& value)
{
    return std::atomic_ref<float>(value).load(std::memory_order_relaxed);
}

} // namespace dsp
