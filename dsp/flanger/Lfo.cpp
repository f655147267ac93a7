#include "dsp/flanger/Lfo.h"

#include <cmath>

namespace flanger::detail {

template <typename Sample> BasicLfo<Sample>::BasicLfo(float sampleRate) : sampleRate(sampleRate)
{
    for (int shape = 0; shape < 4; ++shape) setWaveform(shape);
    rate = 256.0f / sampleRate;
}

template <typename Sample> void BasicLfo<Sample>::setWaveform(int shape)
{
    if (shape < 0 || shape > 3) return;
    auto& table = tables[static_cast<size_t>(shape)];
    switch (shape) {
    case 0:
        for (int i = 0; i < kTableSize; ++i)
            table[i] = std::sin(static_cast<float>(i) * 0.00390625f * 6.2831855f);
        break;
    case 1:
        for (int a = 0; a < 64; ++a) {
            table[a] = static_cast<float>(a) / 64.0f;
            table[64 + a] = static_cast<float>(64 - a) / 64.0f;
            table[128 + a] = static_cast<float>(-a) / 64.0f;
            table[192 + a] = static_cast<float>(a - 64) / 64.0f;
        }
        table[256] = 0.0f;
        break;
    case 2:
        for (int i = 0; i < 256; ++i) table[i] = static_cast<float>(i) / 255.0f * 2.0f - 1.0f;
        table[256] = -1.0f;
        break;
    case 3:
        for (int i = 0; i < 128; ++i) table[i] = 1.0f;
        for (int i = 128; i < 256; ++i) table[i] = -1.0f;
        table[256] = 1.0f;
        break;
    }
}

template <typename Sample> Sample BasicLfo<Sample>::wrapPhase(Sample phases)
{
    for (int lane = 0; lane < dsp::kLanes<Sample>; ++lane) {
        float p = dsp::lane(phases, lane);
        if (p > 255.0f) {
            p = std::fmod(p, 255.0f);
        } else if (p < 0.0f) {
            p += 255.0f;
            if (p < 0.0f) p = std::fmod(p, 255.0f) + 255.0f;
        }
        if (!(p >= 0.0f && p <= 255.0f)) p = 0.0f; // NaN, or infinity through fmod
        dsp::setLane(phases, lane, p);
    }
    return phases;
}

template <typename Sample> void BasicLfo<Sample>::drawRandom(dsp::Index<Sample> index, bool keepPrevious)
{
    // A channel draws on every tick whose phase lies in [0, 1).
    for (int lane = 0; lane < dsp::kLanes<Sample>; ++lane) {
        if (dsp::lane(index, lane) != 0) continue;
        if (keepPrevious) dsp::setLane(heldRandomValue, lane, dsp::lane(randomValue, lane));
        const auto r = static_cast<float>(generators[static_cast<size_t>(lane)]() >> 1);
        dsp::setLane(randomValue, lane, (r * 4.656612873077393e-10f - 0.5f) * 2.0f); // 2^-31
    }
}

template class BasicLfo<float>;
template class BasicLfo<StereoSample>;

} // namespace flanger::detail
