#include "dsp/tilteq/TiltEqEngine.h"

#include <cmath>
#include <initializer_list>

TiltEqEngine::Filters::Filters(float sampleRate)
    : tiltHigh(sampleRate, 8), tiltLow(sampleRate, 8), bass(sampleRate, 12)
{
}

TiltEqEngine::TiltEqEngine(float sampleRate, float* parameters) : parameters(parameters)
{
    initialize(sampleRate);
}

void TiltEqEngine::initialize(float sampleRate)
{
    filters = std::make_unique<Filters>(sampleRate);
}

void TiltEqEngine::process(float* left, float* right)
{
    const float* p = parameters;
    if (!(p[6] > 0.5f)) {
        // Off leaves the signal untouched, save what no output may carry.
        if (!std::isfinite(*left)) *left = 0.0f;
        if (!std::isfinite(*right)) *right = 0.0f;
        return;
    }

    smoothedFrequency = (smoothedFrequency * 1199.0f + p[7]) * 0.00083333335f + 1e-9f;
    smoothedShelf = (1199.0f * smoothedShelf + p[1]) * 0.00083333335f + 1e-9f;

    stage = StereoSample{*left, *right} + signalOffset;

    const float q = p[2] * 2.0f + 0.1f;
    const float s = smoothedFrequency;
    const float f = s * (s * s) * 9900.0f + 100.0f;

    Filters& fl = *filters;
    stage = fl.tiltHigh.tick(stage, f, q, smoothedShelf - 0.5f) + signalOffset;
    stage = fl.tiltLow.tick(stage, f, q, 0.5f - smoothedShelf) + signalOffset;
    stage = fl.bass.tick(stage, 300.0f, 1.2f, p[3]);

    StereoSample out = p[5] * (stage * 8.0f * p[5]);
    // A sum is finite only if all are; recover() looks at each.
    if (!std::isfinite(out[0] + out[1] + smoothedFrequency + smoothedShelf)) recover(out);
    *left = out[0];
    *right = out[1];
}

void TiltEqEngine::recover(StereoSample& out)
{
    // Far outside their range the smoothed values overflow the design; they
    // start again from 0 rather than glide back for seconds of silence.
    for (float* s : {&smoothedFrequency, &smoothedShelf})
        if (!(std::fabs(*s) <= 1e4f)) *s = 0.0f;
    for (int channel = 0; channel < 2; ++channel) {
        if (std::isfinite(out[channel])) continue;
        out[channel] = 0.0f;
        filters->tiltHigh.clearChannel(channel);
        filters->tiltLow.clearChannel(channel);
        filters->bass.clearChannel(channel);
    }
}
