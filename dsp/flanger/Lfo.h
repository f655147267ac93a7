#pragma once

#include <array>
#include <cstdint>
#include <random>

// Table oscillator driving one flanger channel's sweep. The phase counts in
// table units (256 per table) but wraps by 255, so a cycle lasts 255 units.
class Lfo {
public:
    explicit Lfo(float sampleRate);
    virtual ~Lfo() = default;

    // Shapes 0 sine, 1 triangle, 2 rising saw, 3 square; other numbers are ignored.
    void setWaveform(int shape);
    void setRate(float frequency);
    // Shapes 0-3 read their table, 4 is sample-and-hold random, anything
    // else is the random value one draw behind.
    float tick(int shape);

    // Public so the owner can slave one oscillator to another.
    float phase = 0.0f;

private:
    static constexpr int kTableSize = 257;

    float rate;
    float sampleRate;
    float randomValue = 0.0f;
    float heldRandomValue = 0.0f;
    std::array<std::array<float, kTableSize>, 4> tables{};
    int32_t lastIndex = 0;
    float lastFraction = 0.0f;

    // setRate runs every sample; the division is skipped while the rate holds.
    float lastFrequency = 1.0f;

    // Per instance and lock-free: the C library's rand() takes a lock.
    // Shifted down one bit it yields 0 ... 2^31 - 1, the range of rand().
    std::mt19937 generator;

    float drawRandom();
    // Brings any other phase into [0, 255] (a negative rate wraps upwards).
    static float wrapPhase(float p);
};

// Inline: it runs once per sample and channel.
inline float Lfo::tick(int shape)
{
    float p = phase;
    if (p > 255.0f) p -= 255.0f;
    if (!(p >= 0.0f && p <= 255.0f)) p = wrapPhase(p);
    // p is in [0, 255]: truncation is floor, without a library call.
    const int32_t i = static_cast<int32_t>(p);
    lastIndex = i;
    phase = p + rate;
    const float f = p - static_cast<float>(i);
    lastFraction = f;

    if (shape >= 0 && shape <= 3) {
        const auto& table = tables[static_cast<size_t>(shape)];
        return (1.0f - f) * table[i] + f * table[i + 1];
    }
    if (shape == 4) {
        if (i == 0) randomValue = drawRandom();
        return randomValue;
    }
    if (i == 0) {
        heldRandomValue = randomValue;
        randomValue = drawRandom();
    }
    return heldRandomValue;
}

inline void Lfo::setRate(float frequency)
{
    // A NaN frequency never matches, so it is never mistaken for "unchanged".
    if (frequency == lastFrequency) return;
    lastFrequency = frequency;
    rate = 256.0f * frequency / sampleRate;
}
