#pragma once

#include <cstdint>

#include "dsp/StereoSample.h"

namespace tilteq::detail {

enum class ShelfKind { Low, High };

// Second-order cookbook shelf, moved sample by sample, for one channel
// (float) or two in lockstep (StereoSample) that share one design. The
// feed-forward part runs one sample late with its coefficients reversed, and
// each input is shaped by a small cubic as it enters the history.
//
// The history holds one shaped copy of the input: the taps' near-exact
// cancellation at low frequencies must see the same sequence, or the
// difference between copies, amplified by the feedback's gain of about
// 1/w0^2 below the corner, turns into large harmonics and a DC latch at low
// corners and high rates. The recursion runs in double precision for the
// same reason: single-precision rounding, amplified alike, left a DC offset
// of -40 dBFS at 768 kHz.
template <ShelfKind Kind, typename Sample> class ShelvingFilter {
  public:
    ShelvingFilter(float sampleRate, int32_t maxGainDb);

    // The history one tick hands the next. An owner running many frames
    // keeps a copy in registers and puts it back after the run.
    struct State {
        dsp::Wide<Sample> in3{};
        dsp::Wide<Sample> in2{};
        dsp::Wide<Sample> in1{};
        dsp::Wide<Sample> out1{};
        dsp::Wide<Sample> out2{};
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
    static void updateHistory(State& s, Sample x, dsp::Wide<Sample> y);

    // Empties one channel's history after a non-finite value entered it.
    void clearChannel(int channel);

  private:
    int32_t maxGainDb;
    float sampleRate;
    float inverseA0 = 0.0f;
    // Computed in single precision, kept in double (in every lane) for the
    // recursion.
    dsp::Wide<Sample> a1{}, a2{};
    dsp::Wide<Sample> b0{}, b1{}, b2{};
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
    const dsp::Wide<Sample> y = b0 * s.in3 + b1 * s.in2 + b2 * s.in1 - a1 * s.out1 - a2 * s.out2;
    s.currentOutput = dsp::narrow<Sample>(y);
    updateHistory(s, x, y);
    return s.currentOutput;
}

// Mild cubic colouring of the history: sigma(v, k). It folds back above
// |v| = 13 and diverges beyond, so the input is held to +-12 first (a loud
// bass input would otherwise run the cascade to infinity); sigma maps
// [-12, 12] into itself, so one clamp serves a chain of them.
template <typename Sample> Sample sigma(Sample v, float k)
{
    return v + (v - k) * -0.002f * v * v;
}

template <ShelfKind Kind, typename Sample>
void ShelvingFilter<Kind, Sample>::updateHistory(State& s, Sample x, dsp::Wide<Sample> y)
{
    s.in3 = s.in2;
    s.in2 = s.in1;
    // The shaping a sample would meet on its way down the history, all at once.
    const Sample v = dsp::minimum(dsp::maximum(x, -12.0f), 12.0f);
    if constexpr (Kind == ShelfKind::Low)
        s.in1 = dsp::widen(sigma(sigma(sigma(v, -0.01f), -0.05f), 0.08f));
    else
        s.in1 = dsp::widen(sigma(sigma(v, -0.04f), 0.05f));
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
