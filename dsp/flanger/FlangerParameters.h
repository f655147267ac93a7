#pragma once

#include <cstdint>

namespace flanger {

// The flanger's parameter ids, the indices of the array the engine reads.
// The ids between and after the named ones are reserved.
enum Parameter : uint32_t {
    kSpeed = 1,
    kSyncTempo = 2,
    kDepth = 3,
    kDelay = 4,
    kPhase = 5,
    kFeedback = 6,
    kDryWet = 7,
    kVolume = 8,
};

inline constexpr uint32_t kParameterCount = 22;

} // namespace flanger
