#pragma once

// The processor's floating-point control register (SSE MXCSR), so that a
// render can run with denormals flushed to zero and restore the caller's
// mode afterwards.

#include <cstdint>
#include <xmmintrin.h>

namespace platform {

// Flush-to-zero (0x8000) and denormals-are-zero (0x0040).
inline constexpr uint32_t kFlushDenormalsToZero = 0x8040;

inline uint32_t getFloatingPointControl()
{
    return _mm_getcsr();
}

inline void setFloatingPointControl(uint32_t control)
{
    _mm_setcsr(control);
}

} // namespace platform
