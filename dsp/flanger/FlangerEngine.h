#pragma once

#include <array>
#include <memory>

#include "dsp/flanger/Flanger.h"

// The stereo flanger: two delay lines whose LFOs run a "Phase" apart, a rate
// that is free ("Speed") or locked to the host tempo ("Sync Tempo"), DC
// blocking and a dry/wet mix. Called once per sample frame on the render
// thread; reads the parameter array, which other threads write one float at
// a time.
class FlangerEngine {
public:
    FlangerEngine(float sampleRate, float* parameters);

    // Rebuilds both delay lines at a new sample rate (empty rings, LFOs at
    // phase 0); smoothing and DC blockers carry over. Not real-time safe.
    void initialize(float sampleRate);

    // Replaces both samples in place. tempo is in beats per minute.
    void process(float* left, float* right, float tempo);

    float* parameters;

private:
    std::unique_ptr<Flanger> left;
    std::unique_ptr<Flanger> right;
    std::unique_ptr<FilterState> dcBlockerLeft;
    std::unique_ptr<FilterState> dcBlockerRight;
    float smoothingOffset = 1e-6f;
    float wetRight = 0.0f;
    float wetLeft = 0.0f;
    std::unique_ptr<std::array<float, 8>> syncTable;
    float lfoRate = 0.0f;
    float smoothedDepth = 0.0f;
    float smoothedDelay = 0.0f;
    float smoothedPhase = 0.0f;

    float rateFor(float speed, float syncTempo, float tempo);
    // Cold path: puts back to work whatever a non-finite value stopped.
    void recoverSmoothing();
    static float recoverChannel(float sample, Flanger& flanger, FilterState& dcBlocker);
};
