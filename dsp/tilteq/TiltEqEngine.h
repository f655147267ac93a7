#pragma once

#include <memory>

#include "dsp/tilteq/ShelvingFilters.h"

// The tilt equaliser: per channel a high and a low shelf at a common,
// smoothed corner that tilt the spectrum in opposite directions, a fixed
// 300 Hz bass shelf and an output gain. Called once per sample frame on the
// render thread; reads the parameter array, which other threads write one
// float at a time.
class TiltEqEngine {
public:
    TiltEqEngine(float sampleRate, float* parameters);

    // Replaces all six filters (empty histories) at a new sample rate; the
    // smoothing carries over. Not real-time safe.
    void initialize(float sampleRate);

    // Replaces both samples in place.
    void process(float* left, float* right);

    float* parameters;

private:
    std::unique_ptr<HighShelf> tiltHighLeft;
    std::unique_ptr<HighShelf> tiltHighRight;
    std::unique_ptr<LowShelf> tiltLowLeft;
    std::unique_ptr<LowShelf> tiltLowRight;
    std::unique_ptr<LowShelf> bassLeft;
    std::unique_ptr<LowShelf> bassRight;
    float signalOffset = 1e-6f;
    float stageRight = 0.0f;
    float stageLeft = 0.0f;
    float smoothedFrequency = 0.0f;
    float smoothedShelf = 0.0f;

    // Cold path: puts back to work whatever a non-finite value stopped.
    void recover(float& left, float& right);
};
