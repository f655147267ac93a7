#include "dsp/flanger/FlangerEngine.h"
#include "dsp/RelaxedLoad.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

float smooth(float s, float p, float offset)
{
    return (s * 3999.0f + p * p) * 0.00025f + offset;
}

} // namespace

FlangerEngine::Channels::Channels(float sampleRate) : lfo(sampleRate), lines(sampleRate, 0.025f)
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

FlangerEngine::Settings FlangerEngine::settings() const
{
    using namespace flanger;
    using dsp::relaxedLoad;
    float* p = parameters;
    return {relaxedLoad(p[kSpeed]),  relaxedLoad(p[kSyncTempo]), relaxedLoad(p[kDepth]),
            relaxedLoad(p[kDelay]),  relaxedLoad(p[kPhase]),     relaxedLoad(p[kFeedback]),
            relaxedLoad(p[kDryWet]), relaxedLoad(p[kVolume])};
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

void FlangerEngine::process(float* left, float* right, uint32_t frames, float tempo)
{
    // The taps depend on the parameters and oscillators only, never on the
    // audio, so a run of them is computed first: short chains per frame
    // overlap far better than one long one. Only the smoothing and the phase
    // carry from frame to frame; from the phase on, the taps of two frames
    // are computed side by side.
    Channels& ch = *channels;
    for (uint32_t start = 0; start < frames; start += kRun) {
        const uint32_t count = std::min(kRun, frames - start);
        const Settings s = settings();
        ch.lfo.setRate(rateFor(s.speed, s.syncTempo, tempo));

        // One spare entry: an odd run is finished as a pair with a copy of its last frame.
        std::array<StereoSample, kRun + 1> positions, depths, delays;
        Control c{smoothedPhase, smoothedDepth, smoothedDelay, ch.lfo.phase};
        for (uint32_t i = 0; i < count; ++i) {
            control(c, s);
            positions[i] = ch.lfo.advance(c.lfoPhase);
            depths[i] = dsp::broadcast<StereoSample>(c.depth);
            delays[i] = dsp::broadcast<StereoSample>(c.delay);
        }
        smoothedPhase = c.phase;
        smoothedDepth = c.depth;
        smoothedDelay = c.delay;
        ch.lfo.phase = c.lfoPhase;
        positions[count] = positions[count - 1];
        depths[count] = depths[count - 1];
        delays[count] = delays[count - 1];

        std::array<Tap, kRun + 1> taps;
        for (uint32_t i = 0; i < count; i += 2) {
            using dsp::join;
            const QuadSample l = ch.lfo.read(join(positions[i], positions[i + 1]), 1);
            const auto pair = ch.lines.tap(l, join(depths[i], depths[i + 1]), join(delays[i], delays[i + 1]));
            taps[i] = {dsp::low(pair.samplesBack), dsp::low(pair.coefficient), dsp::low(pair.delay)};
            taps[i + 1] = {dsp::high(pair.samplesBack), dsp::high(pair.coefficient), dsp::high(pair.delay)};
        }

        Audio a{ch.lines.state, dcBlocker};
        for (uint32_t i = 0; i < count; ++i) {
            StereoSample out = audio(a, StereoSample{left[start + i], right[start + i]}, taps[i], s);
            // A sum is finite only if both are; recover() looks at each.
            if (!std::isfinite(out[0] + out[1])) {
                ch.lines.state = a.lines;
                dcBlocker = a.dcBlocker;
                out = recover(out);
                a = {ch.lines.state, dcBlocker};
            }
            left[start + i] = out[0];
            right[start + i] = out[1];
        }
        ch.lines.state = a.lines;
        dcBlocker = a.dcBlocker;
    }
}

[[gnu::always_inline]] inline void FlangerEngine::control(Control& c, const Settings& s) const
{
    c.phase = smooth(c.phase, s.phase, smoothingOffset);
    c.depth = smooth(c.depth, s.depth, smoothingOffset);
    c.delay = smooth(c.delay, s.delay, smoothingOffset);
    if (!std::isfinite(c.phase + c.depth + c.delay)) {
        if (!std::isfinite(c.phase)) c.phase = 0.0f;
        if (!std::isfinite(c.depth)) c.depth = 0.0f;
        if (!std::isfinite(c.delay)) c.delay = 0.0f;
    }

    // The left oscillator is slaved to the right one, "Phase" ahead.
    const float rightPhase = c.lfoPhase[1];
    c.lfoPhase = StereoSample{127.0f * c.phase + rightPhase, rightPhase};
}

[[gnu::always_inline]] inline StereoSample FlangerEngine::audio(Audio& a, StereoSample dry, Tap tap,
                                                                const Settings& s)
{
    const StereoSample wet = channels->lines.process(a.lines, dry, tap, s.feedback);

    // DC blocker on the wet signals.
    BasicFilterState<StereoSample>& r = a.dcBlocker;
    const StereoSample y = wet - r.lastInput + 0.991f * r.lastOutput;
    r.lastOutput = y;
    r.output = y;
    r.lastInput = wet + r.offset;

    const float w = s.dryWet;
    const float v = s.volume;
    return v * ((w * y + (1.0f - w) * dry) * v) * 2.0f;
}

StereoSample FlangerEngine::recover(StereoSample out)
{
    for (int channel = 0; channel < 2; ++channel) {
        if (std::isfinite(out[channel])) continue;
        out[channel] = 0.0f;
        channels->lines.clearChannel(channel);
        for (StereoSample* s : {&dcBlocker.lastInput, &dcBlocker.lastOutput, &dcBlocker.output})
            dsp::setLane(*s, channel, 0.0f);
    }
    return out;
}
