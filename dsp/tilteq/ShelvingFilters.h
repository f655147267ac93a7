#pragma once

#include <cstdint>

namespace tilteq::detail {

enum class ShelfKind { Low, High };

// Second-order cookbook shelf, moved sample by sample. The feed-forward part
// runs one sample late with its coefficients reversed, and the stored inputs
// are shaped by a small cubic as they move down the history.
template <ShelfKind Kind>
class ShelvingFilter {
public:
    ShelvingFilter(float sampleRate, int32_t maxGainDb);

    void calcCoefficients(float frequency, float q, float gainDb);
    // position 0 cuts by maxGainDb, 0.5 is flat, 1 boosts by maxGainDb.
    float tick(float x, float frequency, float q, float position);
    void updateHistory(float x, float y);

    // Empties the history after a non-finite value entered it.
    void clearHistory();

private:
    int32_t maxGainDb;
    float sampleRate;
    float inverseA0 = 0.0f;
    float a1 = 0.0f, a2 = 0.0f;
    float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f;
    float in3 = 0.0f, in2 = 0.0f, in1 = 0.0f;
    float out1 = 0.0f, out2 = 0.0f;
    float currentOutput = 0.0f;
    float amplitude = 0.0f;
    float omega = 0.0f;
    float cachedQ = 0.0f;
    float alpha = 0.0f;
    float cosOmega = 0.0f;
    float sqrtAmplitude = 0.0f;
    float cachedGainDb = 0.0f;
    float cachedFrequency = 0.0f;
};

}  // namespace tilteq::detail

class LowShelf : public tilteq::detail::ShelvingFilter<tilteq::detail::ShelfKind::Low> {
public:
    using ShelvingFilter::ShelvingFilter;
};

class HighShelf : public tilteq::detail::ShelvingFilter<tilteq::detail::ShelfKind::High> {
public:
    using ShelvingFilter::ShelvingFilter;
};
