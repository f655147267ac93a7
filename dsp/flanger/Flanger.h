#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "dsp/StereoSample.h"
#include "dsp/flanger/Lfo.h"

// One-pole filter memory: the tone filter inside each delay line and the DC
// blockers on the wet signals. The offset keeps the recursion off denormals.
template <typename Sample> struct BasicFilterState {
    Sample lastInput = dsp::broadcast<Sample>(0.0f);
    Sample lastOutput = dsp::broadcast<Sample>(0.0f);
    Sample output = dsp::broadcast<Sample>(0.0f);
    float offset = 2.3283064e-10f; // 2^-32
};

using FilterState = BasicFilterState<float>;

namespace flanger::detail {

// Where one tick reads the ring: whole samples back, and the allpass
// coefficient for the fraction; and the delay D they come from.
template <typename Sample> struct Tap {
    dsp::Index<Sample> samplesBack;
    Sample coefficient;
    Sample delay;
};

// The flanger's delay line for one channel (float) or two in lockstep
// (StereoSample): its delay follows the LFO value along an exponential curve,
// read with allpass interpolation, filtered, saturated and fed back.
//
// A tick is split in two: tap() turns the LFO value into the read position,
// process() moves the audio. The first depends on the parameters and the LFO
// only, so an owner can compute a run of taps ahead (several frames to a
// register) and then the audio, which lets the processor overlap many more
// frames than one long chain per frame.
template <typename Sample> class DelayLine {
  public:
    DelayLine(float sampleRate, float maxDelaySeconds);

    // What one tick hands the next. An owner running many frames keeps a
    // copy in registers and puts it back after the run.
    struct State {
        int32_t writePosition;
        Sample delaySamples = dsp::broadcast<Sample>(0.0f); // of the last tick
        Sample allpassState = dsp::broadcast<Sample>(0.0f);
        BasicFilterState<Sample> toneFilter;
        Sample feedbackSample = dsp::broadcast<Sample>(0.0f);
    };
    State state;

    // l is the LFO value of each channel, in -1 ... 1; V is Sample or holds
    // several frames of it.
    template <typename V> Tap<V> tap(V l, V depth, V delay) const;
    Sample process(State& s, Sample x, Tap<Sample> tap, float feedback);

    // Empties one channel's ring and recursions after a non-finite value
    // entered them.
    void clearChannel(int channel);

    int32_t getRingLength() const { return ringLength; }
    Sample getDelaySamples() const { return state.delaySamples; }

  private:
    static constexpr int kCurveLength = 2048;

    // The delay D runs from 1 to ringLength samples. The ring holds one slot
    // more, so that at D = ringLength the older tap still reads a past
    // sample, and is stored twice over so that no read has to wrap.
    int32_t ringLength;
    int32_t slots;
    std::vector<Sample> ring;
    float offset = 1e-9f;
    std::array<float, kCurveLength> delayCurve;
};

// Always inlined, as they run once per sample.
template <typename Sample>
template <typename V>
[[gnu::always_inline]] inline Tap<V> DelayLine<Sample>::tap(V l, V depth, V delay) const
{
    V c = ((l * 0.19f + 0.2f) * depth + (0.3f + delay * 0.3f) + (depth * -0.4f + 0.4f)) * 1024.0f;
    // In range c stays within about 317 ... 1026; the clamp only keeps wild
    // parameters inside the curve (beyond entry 1024 the delay is clamped anyway).
    c = c >= 0.0f ? c : dsp::broadcast<V>(0.0f);
    c = dsp::minimum(c, 2046.0f);
    const auto k = dsp::truncate(c);
    const V cf = c - dsp::toSample<V>(k);
    V g = (1.0f - cf) * dsp::gather<V>(delayCurve.data(), k) + cf * dsp::gather<V>(delayCurve.data() + 1, k);
    g = dsp::minimum(g, 1.0f);

    const V d = dsp::maximum(static_cast<float>(ringLength) * g, 1.0f);
    const auto n = dsp::truncate(d);
    return {n, 1.0f - (d - dsp::toSample<V>(n)), d};
}

template <typename Sample>
[[gnu::always_inline]] inline Sample DelayLine<Sample>::process(State& s, Sample x, Tap<Sample> tap,
                                                                float feedback)
{
    using dsp::broadcast;

    Sample u = feedback * s.feedbackSample * 0.9f + x;
    u = u + offset;

    // The copy at writePosition + slots - n is the slot n ticks back, and
    // the one before it is a tick older.
    Sample* const slot = ring.data() + s.writePosition;
    const Sample* base = slot + slots;
    Sample newer, older;
    if constexpr (dsp::kLanes<Sample> == 1) {
        newer = base[-tap.samplesBack];
        older = base[-tap.samplesBack - 1];
    } else {
        const Sample* left = base - tap.samplesBack[0];
        const Sample* right = base - tap.samplesBack[1];
        newer = Sample{left[0][0], right[0][1]};
        older = Sample{left[-1][0], right[-1][1]};
    }
    s.delaySamples = tap.delay;
    const Sample a = tap.coefficient;
    const Sample y = a * newer + older - a * s.allpassState;
    s.allpassState = y;

    BasicFilterState<Sample>& tone = s.toneFilter;
    const Sample z = 0.9925288f * y + 0.007471185f * tone.lastOutput + tone.offset;
    tone.lastOutput = z;

    slot[0] = u;
    slot[slots] = u;
    if (++s.writePosition == slots) s.writePosition = 0;

    Sample t = 0.25f * z;
    t = t > 0.0f ? t * 0.9876f : t;
    const Sample m = dsp::absolute(2.0f * t);
    const Sample bigA = ((m + 3.0f) * m + 6.0f) * m + 6.0f;
    const Sample sign = t < 0.0f ? broadcast<Sample>(-1.0f) : broadcast<Sample>(1.0f);
    const Sample o = sign * (bigA - 6.0f) / (bigA + 6.0f);

    const Sample out = 4.0f * o;
    s.feedbackSample = out + 1e-9f;
    return out;
}

} // namespace flanger::detail

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
