#include "dsp/flanger/Flanger.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t ringLengthFor(float sampleRate, float maxDelaySeconds)
{
    const float samples = std::floor(sampleRate * maxDelaySeconds);
    // Guards the conversion against rates no stream can have.
    if (!(samples >= 0.0f)) return 1;
    return static_cast<int32_t>(std::min(samples, 16777216.0f)) + 1;
}

}  // namespace

Flanger::Flanger(float sampleRate, float maxDelaySeconds)
    : lfo(sampleRate),
      ringLength(ringLengthFor(sampleRate, maxDelaySeconds))
{
    ring.assign(static_cast<size_t>(ringLength) + 1, 0.0f);
    ringStart = ring.data();
    ringEnd = ringStart + ring.size();
    writePosition = ringEnd - 1;

    const float logRange = std::log(44100.0f);
    for (int k = 0; k < kCurveLength; ++k)
        delayCurve[k] = std::exp(static_cast<float>(k) * 0.0009765625f * logRange) * 2.2675737e-05f;
}

float* Flanger::wrapBack(float* position) const
{
    return position < ringStart ? position + (ringEnd - ringStart) : position;
}

void Flanger::clearState()
{
    std::fill(ring.begin(), ring.end(), 0.0f);
    toneFilter = FilterState{};
    allpassState = 0.0f;
    feedbackSample = 0.0f;
}

float Flanger::process(float x, float rate, float depth, float delay, float feedback)
{
    float u = feedback * feedbackSample * 0.9f + x;
    u = u + offset;

    lfo.setRate(rate);
    const float l = lfo.tick(1);

    float c = ((l * 0.19f + 0.2f) * depth + (0.3f + delay * 0.3f) + (depth * -0.4f + 0.4f)) * 1024.0f;
    // In range c stays within about 317 ... 1026; the clamp only keeps wild
    // parameters inside the curve (beyond entry 1024 the delay is clamped anyway).
    if (!(c >= 0.0f)) c = 0.0f;
    if (c > 2046.0f) c = 2046.0f;
    const int32_t k = static_cast<int32_t>(c);  // c >= 0: truncation is floor
    curveIndex = k;
    const float cf = c - static_cast<float>(k);
    float g = (1.0f - cf) * delayCurve[k] + cf * delayCurve[k + 1];
    g = std::min(g, 1.0f);

    const float d = std::max(1.0f, static_cast<float>(ringLength) * g);
    delaySamples = d;
    const int32_t n = static_cast<int32_t>(d);  // d >= 1
    readPosition = wrapBack(writePosition - n);
    readPositionOlder = wrapBack(readPosition - 1);
    fraction = d - static_cast<float>(n);

    const float a = 1.0f - fraction;
    const float y = a * *readPosition + *readPositionOlder - a * allpassState;
    allpassState = y;

    const float z = 0.9925288f * y + 0.007471185f * toneFilter.lastOutput + toneFilter.offset;
    toneFilter.lastOutput = z;

    *writePosition = u;
    if (++writePosition == ringEnd) writePosition = ringStart;

    float t = 0.25f * z;
    if (t > 0.0f) t = t * 0.9876f;
    const float s = std::fabs(2.0f * t);
    const float bigA = ((s + 3.0f) * s + 6.0f) * s + 6.0f;
    const float sign = t < 0.0f ? -1.0f : 1.0f;
    const float o = sign * (bigA - 6.0f) / (bigA + 6.0f);

    const float out = 4.0f * o;
    feedbackSample = out + 1e-9f;
    return out;
}
