#pragma once

#include <array>
#include <cstdint>
#include <random>

#include "dsp/StereoSample.h"

namespace flanger::detail {

// Table oscillator for one channel (float) or two in lockstep (StereoSample)
// at a common rate. The phase counts in table units (256 per table) but wraps
// by 255, so a cycle lasts 255 units.
template <typename Sample> class BasicLfo {
  public:
    explicit BasicLfo(float sampleRate);

    // Shapes 0 sine, 1 triangle, 2 rising saw, 3 square; other numbers are ignored.
    void setWaveform(int shape);
    void setRate(float frequency);
    // Shapes 0-3 read their table, 4 is sample-and-hold random, anything
    // else is the random value one draw behind.
    Sample tick(int shape);

    // A tick in two halves, for an owner that keeps the phase in registers
    // over a run of frames: advance() moves the phase and returns the one to
    // read, read() interpolates a table shape there. Reads, unlike the
    // phase, do not depend on one another, so V may hold several frames.
    Sample advance(Sample& current) const;
    template <typename V> V read(V position, int shape) const;

    // Public so the owner can slave one oscillator to another.
    Sample phase = dsp::broadcast<Sample>(0.0f);

  private:
    static constexpr int kTableSize = 257;

    float rate;
    float sampleRate;
    Sample randomValue = dsp::broadcast<Sample>(0.0f);
    Sample heldRandomValue = dsp::broadcast<Sample>(0.0f);
    std::array<std::array<float, kTableSize>, 4> tables{};

    // setRate runs every sample; the division is skipped while the rate holds.
    float lastFrequency = 1.0f;

    // Per instance and lock-free: the C library's rand() takes a lock.
    // Shifted down one bit they yield 0 ... 2^31 - 1, the range of rand().
    std::array<std::mt19937, dsp::kLanes<Sample>> generators;

    void drawRandom(dsp::Index<Sample> index, bool keepPrevious);
    // Brings any phase outside [0, 255] back into it (a negative rate wraps
    // upwards); finite in-range parameters never need it.
    static Sample wrapPhase(Sample p);
};

// Always inlined, as they run once per sample.
template <typename Sample>
[[gnu::always_inline]] inline Sample BasicLfo<Sample>::advance(Sample& current) const
{
    Sample p = current;
    p = p > 255.0f ? p - 255.0f : p;
    if (!dsp::allLanes((p >= 0.0f) & (p <= 255.0f))) p = wrapPhase(p);
    current = p + rate;
    return p;
}

template <typename Sample>
template <typename V>
[[gnu::always_inline]] inline V BasicLfo<Sample>::read(V position, int shape) const
{
    // The position is in [0, 255]: truncation is floor, without a library call.
    const auto i = dsp::truncate(position);
    const V f = position - dsp::toSample<V>(i);
    const float* table = tables[static_cast<size_t>(shape)].data();
    return (1.0f - f) * dsp::gather<V>(table, i) + f * dsp::gather<V>(table + 1, i);
}

template <typename Sample> [[gnu::always_inline]] inline Sample BasicLfo<Sample>::tick(int shape)
{
    const Sample p = advance(phase);
    if (shape >= 0 && shape <= 3) return read(p, shape);
    drawRandom(dsp::truncate(p), shape != 4);
    return shape == 4 ? randomValue : heldRandomValue;
}

template <typename Sample> void BasicLfo<Sample>::setRate(float frequency)
{
    // A NaN frequency never matches, so it is never mistaken for "unchanged".
    if (frequency == lastFrequency) return;
    lastFrequency = frequency;
    rate = 256.0f * frequency / sampleRate;
}

} // namespace flanger::detail

// The oscillator of one flanger channel.
class Lfo : public flanger::detail::BasicLfo<float> {
  public:
    using BasicLfo::BasicLfo;
    virtual ~Lfo() = default;
};
