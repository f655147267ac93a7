#pragma once

#include <cstdint>

namespace tilteq {

// The tilt equaliser's parameter ids, the indices of the array the engine
// reads. The ids between and after the named ones are reserved.
enum Parameter : uint32_t {
    kShelf = 1,
    kShelfQ = 2,
    kBassLift = 3,
    kVolume = 5,
    kOnOff = 6,
    kShelfFrequency = 7,
};

inline constexpr uint32_t kParameterCount = 21;

} // namespace tilteq
