#include "dsp/flanger/FlangerEngine.h"

#include <cmath>
#include <initializer_list>

namespace {

float smooth(float s, float p, float offset)
{
    return (s * 3999.0f + p * p) * 0.00025f + offset;
}

}  // namespace

FlangerEngine::Channels::Channels(float sampleRate)
    : lfo(sampleRate), lines(sampleRate, 0.025f)
{
}

FlangerEngine::FlangerEngine(float sampleRate, float* parameters) : parameters(parameters)
{
    initialize(sampleRate);
}

void FlangerEngine::initialize(float sampleRate)
{
    channels = std::make_unique<Channels>(sampleRate);
}

float FlangerEngine::rateFor(float speed, float syncTempo, float tempo) const
{
    if (!(syncTempo >= 1.0f)) return speed * speed * speed * 3.0f;
    // Integer part 1 to 8 picks the note value; 9 and beyond stay on the last.
    const int k = syncTempo >= 9.0f ? 8 : static_cast<int>(syncTempo);
    if (!std::isfinite(tempo)) tempo = 120.0f;
    // Scales with the tempo: "1/2" is 1 Hz at 120 BPM and 2 Hz at 240 BPM.
    return syncTable[k - 1] * tempo / 14400.0f;
}

void FlangerEngine::process(float* left, float* right, float tempo)
{
    const float* p = parameters;

    smoothedPhase = smooth(smoothedPhase, p[5], smoothingOffset);
    smoothedDepth = smooth(smoothedDepth, p[3], smoothingOffset);
    smoothedDelay = smooth(smoothedDelay, p[4], smoothingOffset);
    if (!std::isfinite(smoothedPhase + smoothedDepth + smoothedDelay)) {
        for (float* s : {&smoothedPhase, &smoothedDepth, &smoothedDelay})
            if (!std::isfinite(*s)) *s = 0.0f;
    }

    Channels& ch = *channels;
    // The left oscillator is slaved to the right one, "Phase" ahead.
    // Stored whole: a one-lane store would stall the tick's load of both.
    const float rightPhase = ch.lfo.phase[1];
    ch.lfo.phase = StereoSample{127.0f * smoothedPhase + rightPhase, rightPhase};

    lfoRate = rateFor(p[1], p[2], tempo);
    ch.lfo.setRate(lfoRate);
    const StereoSample lfo = ch.lfo.tick(1);

    const StereoSample dry{*left, *right};
    wet = ch.lines.process(dry, lfo, smoothedDepth, smoothedDelay, p[6]);

    // DC blocker on the wet signals.
    BasicFilterState<StereoSample>& r = dcBlocker;
    const StereoSample y = wet - r.lastInput + 0.991f * r.lastOutput;
    r.lastOutput = y;
    r.output = y;
    r.lastInput = wet + r.offset;
    wet = y;

    const float w = p[7];
    const float v = p[8];
    StereoSample out = v * ((w * wet + (1.0f - w) * dry) * v) * 2.0f;
    // A sum is finite only if both are; recover() looks at each.
    if (!std::isfinite(out[0] + out[1])) recover(out);
    *left = out[0];
    *right = out[1];
}

void FlangerEngine::recover(StereoSample& out)
{
    for (int channel = 0; channel < 2; ++channel) {
        if (std::isfinite(out[channel])) continue;
        out[channel] = 0.0f;
        channels->lines.clearChannel(channel);
        for (StereoSample* s : {&dcBlocker.lastInput, &dcBlocker.lastOutput, &dcBlocker.output})
            dsp::setLane(*s, channel, 0.0f);
    }
}
