#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "dsp/flanger/Lfo.h"

// One-pole filter memory: the tone filter inside each delay line and the DC
// blockers on the wet signals. The offset keeps the recursion off denormals.
struct FilterState {
    float lastInput = 0.0f;
    float lastOutput = 0.0f;
    float output = 0.0f;
    float offset = 2.3283064e-10f;  // 2^-32
};

// One channel: a delay line of up to maxDelaySeconds swept by its own LFO,
// read with allpass interpolation, filtered, saturated and fed back.
class Flanger {
public:
    Flanger(float sampleRate, float maxDelaySeconds);

    float process(float x, float rate, float depth, float delay, float feedback);

    // Clears every recursive state (ring, interpolator, filters, feedback)
    // after a non-finite value entered it; the LFO and the curve stay.
    void clearState();

    Lfo lfo;

private:
    static constexpr int kCurveLength = 2048;

    std::vector<float> ring;
    float* ringStart;
    float* ringEnd;
    float* writePosition;
    // The delay D runs from 1 to ringLength samples; the ring holds one slot
    // more so that at D = ringLength the older tap still reads a past sample.
    int32_t ringLength;
    float delaySamples = 0.0f;
    float fraction = 0.0f;
    float* readPosition = nullptr;
    float* readPositionOlder = nullptr;
    FilterState toneFilter;
    float allpassState = 0.0f;
    float feedbackSample = 0.0f;
    float offset = 1e-9f;
    int32_t curveIndex = 0;
    std::array<float, kCurveLength> delayCurve;

    // Ring slots are ringLength + 1; reads wrap by that.
    float* wrapBack(float* position) const;
};
