#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "dsp/StereoSample.h"
#include "dsp/flanger/Lfo.h"

// One-pole filter memory: the tone filter inside each delay line and the DC
// blockers on the wet signals. The offset keeps the recursion off denormals.
template <typename Sample>
struct BasicFilterState {
    Sample lastInput = dsp::broadcast<Sample>(0.0f);
    Sample lastOutput = dsp::broadcast<Sample>(0.0f);
    Sample output = dsp::broadcast<Sample>(0.0f);
    float offset = 2.3283064e-10f;  // 2^-32
};

using FilterState = BasicFilterState<float>;

namespace flanger::detail {

// The flanger's delay line for one channel (float) or two in lockstep
// (StereoSample): its delay follows the LFO value along an exponential curve,
// read with allpass interpolation, filtered, saturated and fed back.
template <typename Sample>
class DelayLine {
public:
    DelayLine(float sampleRate, float maxDelaySeconds);

    // l is the LFO value of each channel, in -1 ... 1.
    Sample process(Sample x, Sample l, float depth, float delay, float feedback);

    // Empties one channel's ring and recursions after a non-finite value
    // entered them.
    void clearChannel(int channel);

    int32_t getRingLength() const { return ringLength; }
    Sample getDelaySamples() const { return delaySamples; }

private:
    static constexpr int kCurveLength = 2048;

    // The delay D runs from 1 to ringLength samples. The ring holds one slot
    // more, so that at D = ringLength the older tap still reads a past
    // sample, and is stored twice over so that no read has to wrap.
    int32_t ringLength;
    int32_t slots;
    std::vector<Sample> ring;
    int32_t writePosition;
    Sample delaySamples = dsp::broadcast<Sample>(0.0f);
    BasicFilterState<Sample> toneFilter;
    Sample allpassState = dsp::broadcast<Sample>(0.0f);
    Sample feedbackSample = dsp::broadcast<Sample>(0.0f);
    float offset = 1e-9f;
    std::array<float, kCurveLength> delayCurve;

    void readTaps(dsp::Index<Sample> delay, Sample& newer, Sample& older) const;
};

}  // namespace flanger::detail

// One flanger channel: a delay line of up to maxDelaySeconds swept by its own
// triangle LFO.
class Flanger {
public:
    Flanger(float sampleRate, float maxDelaySeconds);

    float process(float x, float rate, float depth, float delay, float feedback);

    int32_t getRingLength() const { return line.getRingLength(); }
    float getDelaySamples() const { return line.getDelaySamples(); }

    Lfo lfo;

private:
    flanger::detail::DelayLine<float> line;
};
