#include "dsp/tilteq/ShelvingFilters.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace tilteq::detail {

template <ShelfKind Kind, typename Sample>
ShelvingFilter<Kind, Sample>::ShelvingFilter(float sampleRate, int32_t maxGainDb)
    : maxGainDb(maxGainDb), sampleRate(sampleRate)
{
}

template <ShelfKind Kind, typename Sample>
void ShelvingFilter<Kind, Sample>::design(float frequency, float q, float gainDb)
{
    // The corner and the gain terms depend on their own inputs only, so each
    // is recomputed only when those moved.
    if (q != cachedQ || frequency != cachedFrequency) {
        cachedQ = q;
        cachedFrequency = frequency;
        // At or above Nyquist (a 10 kHz corner at 8 kHz) the design has no
        // shelf left and can put its poles outside the unit circle.
        omega = std::min(frequency, 0.49f * sampleRate) * 6.2831855f / sampleRate;
        alpha = std::sin(omega) / (q + q);
        cosOmega = std::cos(omega);
    }
    if (gainDb != cachedGainDb) {
        cachedGainDb = gainDb;
        amplitude = std::sqrt(static_cast<float>(std::pow(10.0, static_cast<double>(gainDb / 20.0f))));
        sqrtAmplitude = std::sqrt(amplitude);
    }

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
    b0 = dsp::broadcast<dsp::Wide<Sample>>(rawB0 * inverseA0);
    b1 = dsp::broadcast<dsp::Wide<Sample>>(rawB1 * inverseA0);
    b2 = dsp::broadcast<dsp::Wide<Sample>>(rawB2 * inverseA0);
    a1 = dsp::broadcast<dsp::Wide<Sample>>(rawA1 * inverseA0);
    a2 = dsp::broadcast<dsp::Wide<Sample>>(rawA2 * inverseA0);
}

template <ShelfKind Kind, typename Sample> void ShelvingFilter<Kind, Sample>::clearChannel(int channel)
{
    for (dsp::Wide<Sample>* s : {&state.in3, &state.in2, &state.in1, &state.out1, &state.out2})
        dsp::setLane(*s, channel, 0.0f);
    dsp::setLane(state.currentOutput, channel, 0.0f);
}

template class ShelvingFilter<ShelfKind::Low, float>;
template class ShelvingFilter<ShelfKind::High, float>;
template class ShelvingFilter<ShelfKind::Low, StereoSample>;
template class ShelvingFilter<ShelfKind::High, StereoSample>;

} // namespace tilteq::detail
