#include "dsp/flanger/FlangerEngine.h"

#include <cmath>

namespace {

float smooth(float s, float p, float offset)
{
    return (s * 3999.0f + p * p) * 0.00025f + offset;
}

float dcBlock(FilterState& r, float wet)
{
    const float y = wet - r.lastInput + 0.991f * r.lastOutput;
    r.lastOutput = y;
    r.output = y;
    r.lastInput = wet + r.offset;
    return y;
}

float mix(float wet, float dry, float w, float v)
{
    return v * ((w * wet + (1.0f - w) * dry) * v) * 2.0f;
}

}  // namespace

FlangerEngine::FlangerEngine(float sampleRate, float* parameters) : parameters(parameters)
{
    initialize(sampleRate);
    dcBlockerLeft = std::make_unique<FilterState>();
    dcBlockerRight = std::make_unique<FilterState>();
}

void FlangerEngine::initialize(float sampleRate)
{
    left = std::make_unique<Flanger>(sampleRate, 0.025f);
    right = std::make_unique<Flanger>(sampleRate, 0.025f);
    syncTable = std::make_unique<std::array<float, 8>>(
        std::array<float, 8>{120.0f, 60.0f, 30.0f, 15.0f, 180.0f, 90.0f, 45.0f, 22.5f});
}

float FlangerEngine::rateFor(float speed, float syncTempo, float tempo)
{
    if (!(syncTempo >= 1.0f)) return speed * speed * speed * 3.0f;
    // Integer part 1 to 8 picks the note value; 9 and beyond stay on the last.
    const int k = syncTempo >= 9.0f ? 8 : static_cast<int>(syncTempo);
    if (!std::isfinite(tempo)) tempo = 120.0f;
    // Scales with the tempo: "1/2" is 1 Hz at 120 BPM and 2 Hz at 240 BPM.
    return (*syncTable)[k - 1] * tempo / 14400.0f;
}

void FlangerEngine::process(float* leftSample, float* rightSample, float tempo)
{
    const float* p = parameters;

    smoothedPhase = smooth(smoothedPhase, p[5], smoothingOffset);
    smoothedDepth = smooth(smoothedDepth, p[3], smoothingOffset);
    smoothedDelay = smooth(smoothedDelay, p[4], smoothingOffset);
    if (!std::isfinite(smoothedPhase + smoothedDepth + smoothedDelay)) recoverSmoothing();

    left->lfo.phase = 127.0f * smoothedPhase + right->lfo.phase;

    lfoRate = rateFor(p[1], p[2], tempo);

    const float dryLeft = *leftSample;
    const float dryRight = *rightSample;
    wetRight = right->process(dryRight, lfoRate, smoothedDepth, smoothedDelay, p[6]);
    wetLeft = left->process(dryLeft, lfoRate, smoothedDepth, smoothedDelay, p[6]);

    wetRight = dcBlock(*dcBlockerRight, wetRight);
    wetLeft = dcBlock(*dcBlockerLeft, wetLeft);

    const float w = p[7];
    const float v = p[8];
    float outRight = mix(wetRight, dryRight, w, v);
    float outLeft = mix(wetLeft, dryLeft, w, v);
    if (!std::isfinite(outLeft + outRight)) {
        outRight = recoverChannel(outRight, *right, *dcBlockerRight);
        outLeft = recoverChannel(outLeft, *left, *dcBlockerLeft);
    }
    *rightSample = outRight;
    *leftSample = outLeft;
}

void FlangerEngine::recoverSmoothing()
{
    for (float* s : {&smoothedPhase, &smoothedDepth, &smoothedDelay})
        if (!std::isfinite(*s)) *s = 0.0f;
}

float FlangerEngine::recoverChannel(float sample, Flanger& flanger, FilterState& dcBlocker)
{
    if (std::isfinite(sample)) return sample;
    flanger.clearState();
    dcBlocker = FilterState{};
    return 0.0f;
}
