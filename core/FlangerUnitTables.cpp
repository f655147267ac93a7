#include "core/FlangerUnitTables.h"

using namespace flanger;

// Reserved ids have no name.
const std::array<ParameterDescription, FlangerUnit::kParameterCount> FlangerUnit::parameters = [] {
    std::array<ParameterDescription, kParameterCount> rows;
    rows.fill({nullptr, 1.0f, 0.0f});
    rows[kSpeed] = {"Speed", 1.0f, 0.5f};
    rows[kSyncTempo] = {"Sync Tempo", 8.0f, 0.5f};
    rows[kDepth] = {"Depth", 1.0f, 0.5f};
    rows[kDelay] = {"Delay", 1.0f, 0.5f};
    rows[kPhase] = {"Phase", 1.0f, 0.5f};
    rows[kFeedback] = {"Feedback", 1.0f, 0.5f};
    rows[kDryWet] = {"Dry / Wet", 1.0f, 0.5f};
    rows[kVolume] = {"Volume", 1.0f, 0.5f};
    return rows;
}();

namespace {

template <size_t N>
constexpr VokPreset<FlangerUnit::kParameterCount> named(const char (&name)[N], float speed, float depth,
                                                        float delay, float phase, float feedback,
                                                        float dryWet, float volume)
{
    static_assert(N <= 25, "program names hold at most 24 bytes");
    VokPreset<FlangerUnit::kParameterCount> p{};
    for (size_t i = 0; i + 1 < N; ++i) p.name[i] = name[i];
    p.values[kSpeed] = speed;
    p.values[kDepth] = depth;
    p.values[kDelay] = delay;
    p.values[kPhase] = phase;
    p.values[kFeedback] = feedback;
    p.values[kDryWet] = dryWet;
    p.values[kVolume] = volume;
    return p;
}

constexpr auto kDefault = named("default", 0.5f, 0.0f, 0.0f, 0.0f, 0.5f, 1.0f, 0.5f);

} // namespace

const VokPreset<FlangerUnit::kParameterCount> FlangerUnit::factoryProgramTable[kProgramCount] = {
    named("Gentle Stereo Flanger", 0.33775365f, 0.5899053f, 0.047685146f, 1.0f, 0.42941594f, 0.6048176f,
          0.7589065f),
    named("Stereo Sweepy", 0.37083215f, 0.88019454f, 0.386927f, 1.0f, 0.63012666f, 0.6037377f, 0.6285006f),
    named("Drum Flanger", 0.3333333f, 0.78897727f, 0.52187467f, 0.0038346052f, 0.368379f, 0.2993006f,
          0.6666666f),
    named("Manual - Move Delay Knob", 0.5f, 0.0f, 0.29098636f, 0.0f, 0.6595957f, 0.6666666f, 0.6545538f),
    named("Extreme Flanger", 0.35972232f, 0.6781261f, 0.6666666f, 0.0f, 0.5511667f, 0.6618446f, 0.5651571f),
    named("Gentle Flanger", 0.3414911f, 0.5938747f, 0.0f, 1.0f, 0.135292f, 0.687817f, 0.72157955f),
    kDefault,
    kDefault,
    kDefault,
    kDefault,
    kDefault,
    kDefault,
    kDefault,
    kDefault,
    kDefault,
    kDefault,
    kDefault,
    kDefault,
    kDefault,
    kDefault,
};
