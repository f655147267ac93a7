// Drives both engines with arbitrary parameter values, tempos, sample rates
// and samples (NaN, infinities, huge and negative values included). The
// sanitizers catch any read or write outside a table or ring; the checks
// below catch a non-finite output and an engine that stays stuck after the
// inputs are sane again.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "dsp/flanger/FlangerEngine.h"
#include "dsp/tilteq/TiltEqEngine.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

// Sample rates a host could set, from 8 kHz to 768 kHz, and one no stream
// has.
constexpr std::array<float, 15> kSampleRates{44100.0f,  48000.0f,  96000.0f,  22050.0f,  8000.0f,
                                             192000.0f, 1.0f,      384000.0f, 11025.0f,  32000.0f,
                                             88200.0f,  176400.0f, 352800.0f, 705600.0f, 768000.0f};

struct Rig {
    std::array<float, 22> flangerParameters{0.0f, 0.5f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.7f};
    std::array<float, 21> tiltParameters{0.0f, 0.5f, 0.5f, 0.5f, 0.0f, 0.5f, 1.0f, 0.4324f};
    FlangerEngine flanger{44100.0f, flangerParameters.data()};
    TiltEqEngine tilt{44100.0f, tiltParameters.data()};
    float tempo = 120.0f;

    // A block of one sample pair repeated, through both engines; the block
    // lengths cross the engines' internal runs.
    void process(float left, float right, uint32_t frames)
    {
        std::array<float, 200> l, r;
        l.fill(left), r.fill(right);
        flanger.process(l.data(), r.data(), frames, tempo);
        requireFinite(l, r, frames);
        l.fill(left), r.fill(right);
        tilt.process(l.data(), r.data(), frames);
        requireFinite(l, r, frames);
    }

    static void requireFinite(const std::array<float, 200>& l, const std::array<float, 200>& r,
                              uint32_t frames)
    {
        for (uint32_t i = 0; i < frames; ++i) require(std::isfinite(l[i]) && std::isfinite(r[i]));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    Rig rig;
    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange(0, 4)) {
        case 0:
            rig.flangerParameters[input.ConsumeIntegralInRange<size_t>(0, 21)] =
                input.ConsumeFloatingPoint<float>();
            break;
        case 1:
            rig.tiltParameters[input.ConsumeIntegralInRange<size_t>(0, 20)] =
                input.ConsumeFloatingPoint<float>();
            break;
        case 2:
            rig.tempo = input.ConsumeFloatingPoint<float>();
            break;
        case 3: {
            const float rate = kSampleRates[input.ConsumeIntegralInRange<size_t>(0, kSampleRates.size() - 1)];
            rig.flanger.initialize(rate);
            rig.tilt.initialize(rate);
            break;
        }
        case 4: {
            const auto frames = input.ConsumeIntegralInRange<uint32_t>(1, 200);
            const float left = input.ConsumeFloatingPoint<float>();
            const float right = input.ConsumeFloatingPoint<float>();
            rig.process(left, right, frames);
            break;
        }
        }
    }

    // Back to sane inputs: a sine through both must come out finite and,
    // once the delay lines and smoothing have moved on, not silent.
    rig.flangerParameters = {0.0f, 0.5f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.7f};
    rig.tiltParameters = {0.0f, 0.5f, 0.5f, 0.5f, 0.0f, 0.5f, 1.0f, 0.4324f};
    rig.tempo = 120.0f;
    float energyFlanger = 0.0f, energyTilt = 0.0f;
    for (int i = 0; i < 2048; ++i) {
        const float x = 0.5f * std::sin(static_cast<float>(i) * 0.05f);
        float l = x, r = x;
        rig.flanger.process(&l, &r, rig.tempo);
        require(std::isfinite(l) && std::isfinite(r));
        if (i >= 1024) energyFlanger += l * l + r * r;
        l = x, r = x;
        rig.tilt.process(&l, &r);
        require(std::isfinite(l) && std::isfinite(r));
        if (i >= 1024) energyTilt += l * l + r * r;
    }
    require(energyFlanger > 1.0f && energyTilt > 1.0f);
    return 0;
}
