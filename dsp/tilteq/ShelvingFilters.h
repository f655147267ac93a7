#pragma once

#include <cstdint>

#include "dsp/StereoSample.h"

namespace tilteq::detail {

enum class ShelfKind { Low, High };

// Second-order cookbook shelf, moved sample by sample, for one channel
// (float) or two in lockstep (StereoSample) that share one design. The
// feed-forward part runs one sample late with its coefficients reversed, and
// the stored inputs are shaped by a small cubic as they move down the history.
template <ShelfKind Kind, typename Sample> class ShelvingFilter {
  public:
    ShelvingFilter(float sampleRate, int32_t maxGainDb);

    // The history one tick hands the next. An owner running many frames
    // keeps a copy in registers and puts it back after the run.
    struct State {
        Sample in3 = dsp::broadcast<Sample>(0.0f);
        Sample in2 = dsp::broadcast<Sample>(0.0f);
        Sample in1 = dsp::broadcast<Sample>(0.0f);
        Sample out1 = dsp::broadcast<Sample>(0.0f);
        Sample out2 = dsp::broadcast<Sample>(0.0f);
        Sample currentOutput = dsp::broadcast<Sample>(0.0f);
    };
    State state;

    void calcCoefficients(float frequency, float q, float gainDb);
    // position 0 cuts by maxGainDb, 0.5 is flat, 1 boosts by maxGainDb.
    Sample tick(Sample x, float frequency, float q, float position)
    {
        return tick(state, x, frequency, q, position);
    }
    Sample tick(State& s, Sample x, float frequency, float q, float position);
    static void updateHistory(State& s, Sample x, Sample y);

    // Empties one channel's history after a non-finite value entered it.
    void clearChannel(int channel);

  private:
    int32_t maxGainDb;
    float sampleRate;
    float inverseA0 = 0.0f;
    float a1 = 0.0f, a2 = 0.0f;
    float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f;
    // The design cache starts empty: NaN never compares equal, so the first
    // call computes every term.
    static constexpr float kEmpty = __builtin_nanf("");
    float amplitude = 0.0f;
    float omega = 0.0f;
    float cachedQ = kEmpty;
    float alpha = 0.0f;
    float cosOmega = 0.0f;
    float sqrtAmplitude = 0.0f;
    float cachedGainDb = kEmpty;
    float cachedFrequency = kEmpty;

    void design(float frequency, float q, float gainDb);
};

// Inline: called for every sample, and on most calls the design is unchanged.
template <ShelfKind Kind, typename Sample>
[[gnu::always_inline]] inline void ShelvingFilter<Kind, Sample>::calcCoefficients(float frequency, float q,
                                                                                  float gainDb)
{
    // An unchanged design would give the same coefficients bit for bit.
    if (q == cachedQ && gainDb == cachedGainDb && frequency == cachedFrequency) return;
    design(frequency, q, gainDb);
}

template <ShelfKind Kind, typename Sample>
[[gnu::always_inline]] inline Sample ShelvingFilter<Kind, Sample>::tick(State& s, Sample x, float frequency,
                                                                        float q, float position)
{
    const auto gain = static_cast<float>(maxGainDb);
    calcCoefficients(frequency, q, gain + (1.0f - position) * gain * -2.0f);
    const Sample y = b0 * s.in3 + b1 * s.in2 + b2 * s.in1 - a1 * s.out1 - a2 * s.out2;
    s.currentOutput = y;
    updateHistory(s, x, y);
    return y;
}

// Mild cubic colouring of the history. The cubic folds back above |v| = 13
// and diverges beyond, so the value is held to +-12 first: a loud bass input
// would otherwise run the cascade to infinity.
template <typename Sample> Sample shape(Sample v, float k)
{
    v = dsp::minimum(dsp::maximum(v, -12.0f), 12.0f);
    return v + (v - k) * -0.002f * v * v;
}

template <ShelfKind Kind, typename Sample>
void ShelvingFilter<Kind, Sample>::updateHistory(State& s, Sample x, Sample y)
{
    if constexpr (Kind == ShelfKind::Low) {
        s.in3 = shape(s.in2, 0.08f);
        s.in2 = shape(s.in1, -0.05f);
        s.in1 = shape(x, -0.01f);
    } else {
        s.in3 = shape(s.in2, 0.05f);
        s.in2 = shape(s.in1, -0.04f);
        s.in1 = x;
    }
    s.out2 = s.out1;
    s.out1 = y;
}

} // namespace tilteq::detail

class LowShelf : public tilteq::detail::ShelvingFilter<tilteq::detail::ShelfKind::Low, float> {
  public:
    using ShelvingFilter::ShelvingFilter;
};

class HighShelf : public tilteq::detail::ShelvingFilter<tilteq::detail::ShelfKind::High, float> {
  public:
    using ShelvingFilter::ShelvingFilter;
};
