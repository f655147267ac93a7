#include "dsp/flanger/Flanger.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace flanger::detail {

namespace {

int32_t ringLengthFor(float sampleRate, float maxDelaySeconds)
{
    const float samples = std::floor(sampleRate * maxDelaySeconds);
    // Guards the conversion against rates no stream can have.
    if (!(samples >= 0.0f)) return 1;
    return static_cast<int32_t>(std::min(samples, 16777216.0f)) + 1;
}

}  // namespace

template <typename Sample>
DelayLine<Sample>::DelayLine(float sampleRate, float maxDelaySeconds)
    : ringLength(ringLengthFor(sampleRate, maxDelaySeconds)), slots(ringLength + 1),
      ring(2 * static_cast<size_t>(slots), dsp::broadcast<Sample>(0.0f)), writePosition(slots - 1)
{
    const float logRange = std::log(44100.0f);
    for (int k = 0; k < kCurveLength; ++k)
        delayCurve[k] = std::exp(static_cast<float>(k) * 0.0009765625f * logRange) * 2.2675737e-05f;
}

template <typename Sample>
void DelayLine<Sample>::readTaps(dsp::Index<Sample> delay, Sample& newer, Sample& older) const
{
    // The copy at writePosition + slots - delay is the slot delay ticks back,
    // and the one before it is a tick older.
    const Sample* base = ring.data() + writePosition + slots;
    if constexpr (dsp::kLanes<Sample> == 1) {
        newer = base[-delay];
        older = base[-delay - 1];
    } else {
        const Sample* left = base - delay[0];
        const Sample* right = base - delay[1];
        newer = Sample{left[0][0], right[0][1]};
        older = Sample{left[-1][0], right[-1][1]};
    }
}

template <typename Sample>
void DelayLine<Sample>::clearChannel(int channel)
{
    for (Sample& slot : ring) dsp::setLane(slot, channel, 0.0f);
    for (Sample* s : {&toneFilter.lastInput, &toneFilter.lastOutput, &toneFilter.output, &allpassState,
                      &feedbackSample})
        dsp::setLane(*s, channel, 0.0f);
}

template <typename Sample>
Sample DelayLine<Sample>::process(Sample x, Sample l, float depth, float delay, float feedback)
{
    using dsp::broadcast;

    Sample u = feedback * feedbackSample * 0.9f + x;
    u = u + offset;

    Sample c = ((l * 0.19f + 0.2f) * depth + (0.3f + delay * 0.3f) + (depth * -0.4f + 0.4f)) * 1024.0f;
    // In range c stays within about 317 ... 1026; the clamp only keeps wild
    // parameters inside the curve (beyond entry 1024 the delay is clamped anyway).
    c = c >= 0.0f ? c : broadcast<Sample>(0.0f);
    c = dsp::minimum(c, 2046.0f);
    const auto k = dsp::truncate(c);
    const Sample cf = c - dsp::toSample<Sample>(k);
    Sample g = (1.0f - cf) * dsp::gather<Sample>(delayCurve.data(), k) + cf * dsp::gather<Sample>(delayCurve.data() + 1, k);
    g = dsp::minimum(g, 1.0f);

    const Sample d = dsp::maximum(static_cast<float>(ringLength) * g, 1.0f);
    delaySamples = d;
    const auto n = dsp::truncate(d);
    const Sample a = 1.0f - (d - dsp::toSample<Sample>(n));
    Sample newer, older;
    readTaps(n, newer, older);
    const Sample y = a * newer + older - a * allpassState;
    allpassState = y;

    const Sample z = 0.9925288f * y + 0.007471185f * toneFilter.lastOutput + toneFilter.offset;
    toneFilter.lastOutput = z;

    ring[writePosition] = u;
    ring[writePosition + slots] = u;
    if (++writePosition == slots) writePosition = 0;

    Sample t = 0.25f * z;
    t = t > 0.0f ? t * 0.9876f : t;
    const Sample s = dsp::absolute(2.0f * t);
    const Sample bigA = ((s + 3.0f) * s + 6.0f) * s + 6.0f;
    const Sample sign = t < 0.0f ? broadcast<Sample>(-1.0f) : broadcast<Sample>(1.0f);
    const Sample o = sign * (bigA - 6.0f) / (bigA + 6.0f);

    const Sample out = 4.0f * o;
    feedbackSample = out + 1e-9f;
    return out;
}

template class DelayLine<float>;
template class DelayLine<StereoSample>;

}  // namespace flanger::detail

Flanger::Flanger(float sampleRate, float maxDelaySeconds) : lfo(sampleRate), line(sampleRate, maxDelaySeconds) {}

float Flanger::process(float x, float rate, float depth, float delay, float feedback)
{
    lfo.setRate(rate);
    return line.process(x, lfo.tick(1), depth, delay, feedback);
}
