#include "dsp/tilteq/ShelvingFilters.h"

#include <algorithm>
#include <cmath>

namespace tilteq::detail {

namespace {

// Mild cubic colouring of the history. The cubic folds back above |v| = 13
// and diverges beyond, so the value is held to +-12 first: a loud bass input
// would otherwise run the cascade to infinity.
float shape(float v, float k)
{
    v = std::min(std::max(v, -12.0f), 12.0f);
    return v + (v - k) * -0.002f * v * v;
}

}  // namespace

template <ShelfKind Kind>
ShelvingFilter<Kind>::ShelvingFilter(float sampleRate, int32_t maxGainDb)
    : maxGainDb(maxGainDb), sampleRate(sampleRate)
{
}

template <ShelfKind Kind>
void ShelvingFilter<Kind>::calcCoefficients(float frequency, float q, float gainDb)
{
    // Unchanged design: the coefficients below would come out bit for bit
    // the same, so they are kept.
    if (q == cachedQ && gainDb == cachedGainDb && frequency == cachedFrequency) return;
    cachedQ = q;
    cachedGainDb = gainDb;
    cachedFrequency = frequency;
    omega = frequency * 6.2831855f / sampleRate;
    amplitude = std::sqrt(static_cast<float>(std::pow(10.0, static_cast<double>(gainDb / 20.0f))));
    alpha = std::sin(omega) / (q + q);
    cosOmega = std::cos(omega);
    sqrtAmplitude = std::sqrt(amplitude);

    const float A = amplitude;
    const float c = cosOmega;
    const float s = 2.0f * sqrtAmplitude * alpha;
    float rawB0, rawB1, rawB2, a0, rawA1, rawA2;
    if constexpr (Kind == ShelfKind::Low) {
        rawB0 = A * ((A + 1.0f) - (A - 1.0f) * c + s);
        rawB1 = 2.0f * A * ((A - 1.0f) - (A + 1.0f) * c);
        rawB2 = A * ((A + 1.0f) - (A - 1.0f) * c - s);
        a0 = (A + 1.0f) + (A - 1.0f) * c + s;
        rawA1 = -2.0f * ((A - 1.0f) + (A + 1.0f) * c);
        rawA2 = (A + 1.0f) + (A - 1.0f) * c - s;
    } else {
        rawB0 = A * ((A + 1.0f) + (A - 1.0f) * c + s);
        rawB1 = -2.0f * A * ((A - 1.0f) + (A + 1.0f) * c);
        rawB2 = A * ((A + 1.0f) + (A - 1.0f) * c - s);
        a0 = (A + 1.0f) - (A - 1.0f) * c + s;
        rawA1 = 2.0f * ((A - 1.0f) - (A + 1.0f) * c);
        rawA2 = (A + 1.0f) - (A - 1.0f) * c - s;
    }
    inverseA0 = 1.0f / a0;
    b0 = rawB0 * inverseA0;
    b1 = rawB1 * inverseA0;
    b2 = rawB2 * inverseA0;
    a1 = rawA1 * inverseA0;
    a2 = rawA2 * inverseA0;
}

template <ShelfKind Kind>
float ShelvingFilter<Kind>::tick(float x, float frequency, float q, float position)
{
    const auto gain = static_cast<float>(maxGainDb);
    calcCoefficients(frequency, q, gain + (1.0f - position) * gain * -2.0f);
    const float y = b0 * in3 + b1 * in2 + b2 * in1 - a1 * out1 - a2 * out2;
    currentOutput = y;
    updateHistory(x, y);
    return y;
}

template <ShelfKind Kind>
void ShelvingFilter<Kind>::updateHistory(float x, float y)
{
    if constexpr (Kind == ShelfKind::Low) {
        in3 = shape(in2, 0.08f);
        in2 = shape(in1, -0.05f);
        in1 = shape(x, -0.01f);
    } else {
        in3 = shape(in2, 0.05f);
        in2 = shape(in1, -0.04f);
        in1 = x;
    }
    out2 = out1;
    out1 = y;
}

template <ShelfKind Kind>
void ShelvingFilter<Kind>::clearHistory()
{
    in3 = in2 = in1 = 0.0f;
    out1 = out2 = currentOutput = 0.0f;
}

template class ShelvingFilter<ShelfKind::Low>;
template class ShelvingFilter<ShelfKind::High>;

}  // namespace tilteq::detail
