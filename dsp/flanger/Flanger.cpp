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

} // namespace

template <typename Sample>
DelayLine<Sample>::DelayLine(float sampleRate, float maxDelaySeconds)
    : ringLength(ringLengthFor(sampleRate, maxDelaySeconds)), slots(ringLength + 1),
      ring(2 * static_cast<size_t>(slots), dsp::broadcast<Sample>(0.0f))
{
    state.writePosition = slots - 1;
    const float logRange = std::log(44100.0f);
    for (int k = 0; k < kCurveLength; ++k)
        delayCurve[k] = std::exp(static_cast<float>(k) * 0.0009765625f * logRange) * 2.2675737e-05f;
}

template <typename Sample> void DelayLine<Sample>::clearChannel(int channel)
{
    for (Sample& slot : ring) dsp::setLane(slot, channel, 0.0f);
    for (Sample* s : {&state.toneFilter.lastInput, &state.toneFilter.lastOutput, &state.toneFilter.output,
                      &state.allpassState, &state.feedbackSample})
        dsp::setLane(*s, channel, 0.0f);
}

template class DelayLine<float>;
template class DelayLine<StereoSample>;

} // namespace flanger::detail

Flanger::Flanger(float sampleRate, float maxDelaySeconds) : lfo(sampleRate), line(sampleRate, maxDelaySeconds)
{
}

float Flanger::process(float x, float rate, float depth, float delay, float feedback)
{
    lfo.setRate(rate);
    return line.process(line.state, x, line.tap(lfo.tick(1), depth, delay), feedback);
}
