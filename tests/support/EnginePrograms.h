#pragma once

// The first factory program of each unit as its engine's parameter array,
// for tests that drive an engine directly.

#include <array>

#include "dsp/flanger/FlangerParameters.h"
#include "dsp/tilteq/TiltEqParameters.h"

namespace testsupport {

inline std::array<float, flanger::kParameterCount> flangerProgram0()
{
    using namespace flanger;
    std::array<float, kParameterCount> p{};
    p[kSpeed] = 0.33775365f;
    p[kDepth] = 0.5899053f;
    p[kDelay] = 0.047685146f;
    p[kPhase] = 1.0f;
    p[kFeedback] = 0.42941594f;
    p[kDryWet] = 0.6048176f;
    p[kVolume] = 0.7589065f;
    return p;
}

// Every tilt EQ program is this default one.
inline std::array<float, tilteq::kParameterCount> tiltEqProgram0()
{
    using namespace tilteq;
    std::array<float, kParameterCount> p{};
    p[kShelf] = 0.5f;
    p[kShelfQ] = 0.5f;
    p[kBassLift] = 0.5f;
    p[kVolume] = 0.5f;
    p[kOnOff] = 1.0f;
    p[kShelfFrequency] = 0.4324f;
    return p;
}

} // namespace testsupport
