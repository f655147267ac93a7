#pragma once

// Narrowing conversions that cannot overflow: values out of range clamp to
// the nearest representable one and NaN becomes 0, so no out-of-range or NaN
// value ever reaches an integer conversion.

#include <cmath>
#include <cstdint>
#include <limits>

namespace toolkit {

template <typename To> constexpr To clampTo(int64_t value)
{
    constexpr int64_t lowest = std::numeric_limits<To>::min();
    constexpr int64_t highest = std::numeric_limits<To>::max();
    return static_cast<To>(value < lowest ? lowest : value > highest ? highest : value);
}

// Truncates towards zero.
template <typename To> To clampTo(double value)
{
    if (std::isnan(value)) return 0;
    constexpr double lowest = static_cast<double>(std::numeric_limits<To>::min());
    constexpr double highest = static_cast<double>(std::numeric_limits<To>::max());
    return value <= lowest    ? std::numeric_limits<To>::min()
           : value >= highest ? std::numeric_limits<To>::max()
                              : static_cast<To>(value);
}

// Within 0..1, NaN at 0.
inline float clampUnit(float value)
{
    return value > 0.f ? (value < 1.f ? value : 1.f) : 0.f;
}

} // namespace toolkit
