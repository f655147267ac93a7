#include "dsp/tilteq/TiltEqEngine.h"
#include "dsp/RelaxedLoad.h"

#include <algorithm>
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

void TiltEqEngine::process(float* left, float* right, uint32_t frames)
{
    const Settings s = settings();
    for (uint32_t done = 0; done < frames; done += kRun) {
        const uint32_t n = std::min(kRun, frames - done);
        if (!(s.onOff > 0.5f) || !processRun(s, left + done, right + done, n))
            processFrames(s, left + done, right + done, n);
    }
}

bool TiltEqEngine::processRun(const Settings& s, float* left, float* right, uint32_t frames)
{
    // Frame by frame, each filter a frame behind the one before it: the
    // shaping between filters no longer holds up the next frame's
    // recursions, and every filter sees the sequence it would have seen.
    Running r = running();
    float corner[kRun], shelf[kRun], check[kRun];
    StereoSample stage[kRun];
    const float q = qOf(s);
    Filters& fl = *filters;
    for (uint32_t i = 0; i < frames + 2; ++i) {
        if (i < frames) {
            smooth(r, s);
            corner[i] = cornerOf(r.frequency);
            shelf[i] = r.shelf;
            check[i] = r.frequency + r.shelf;
            stage[i] = fl.tiltHigh.tick(r.tiltHigh, StereoSample{left[i], right[i]} + signalOffset, corner[i],
                                        q, shelf[i] - 0.5f) +
                       signalOffset;
        }
        if (const uint32_t j = i - 1; i >= 1 && j < frames)
            stage[j] = fl.tiltLow.tick(r.tiltLow, stage[j], corner[j], q, 0.5f - shelf[j]) + signalOffset;
        if (const uint32_t j = i - 2; i >= 2)
            stage[j] = output(s, fl.bass.tick(r.bass, stage[j], 300.0f, 1.2f, s.bassLift));
    }
    // Anything non-finite is redone frame by frame, which recovers from it.
    for (uint32_t i = 0; i < frames; ++i)
        if (!std::isfinite(stage[i][0] + stage[i][1] + check[i])) return false;
    for (uint32_t i = 0; i < frames; ++i) {
        left[i] = stage[i][0];
        right[i] = stage[i][1];
    }
    keep(r);
    return true;
}

void TiltEqEngine::processFrames(const Settings& s, float* left, float* right, uint32_t frames)
{
    Running r = running();
    for (uint32_t i = 0; i < frames; ++i) {
        StereoSample out = frame(r, s, StereoSample{left[i], right[i]});
        // A sum is finite only if all are; recover() looks at each.
        if (!std::isfinite(out[0] + out[1] + r.frequency + r.shelf)) {
            keep(r);
            out = recover(out);
            r = running();
        }
        left[i] = out[0];
        right[i] = out[1];
    }
    keep(r);
}

TiltEqEngine::Settings TiltEqEngine::settings() const
{
    using namespace tilteq;
    using dsp::relaxedLoad;
    float* p = parameters;
    return {relaxedLoad(p[kShelf]),  relaxedLoad(p[kShelfQ]), relaxedLoad(p[kBassLift]),
            relaxedLoad(p[kVolume]), relaxedLoad(p[kOnOff]),  relaxedLoad(p[kShelfFrequency])};
}

TiltEqEngine::Running TiltEqEngine::running() const
{
    return {smoothedFrequency, smoothedShelf, filters->tiltHigh.state, filters->tiltLow.state,
            filters->bass.state};
}

void TiltEqEngine::keep(const Running& r)
{
    smoothedFrequency = r.frequency;
    smoothedShelf = r.shelf;
    filters->tiltHigh.state = r.tiltHigh;
    filters->tiltLow.state = r.tiltLow;
    filters->bass.state = r.bass;
}

[[gnu::always_inline]] inline StereoSample TiltEqEngine::frame(Running& r, const Settings& s, StereoSample in)
{
    if (!(s.onOff > 0.5f)) {
        // Off leaves the signal untouched, save what no output may carry.
        for (int channel = 0; channel < 2; ++channel)
            if (!std::isfinite(in[channel])) in[channel] = 0.0f;
        return in;
    }

    smooth(r, s);
    StereoSample stage = in + signalOffset;
    const float q = qOf(s);
    const float f = cornerOf(r.frequency);
    Filters& fl = *filters;
    stage = fl.tiltHigh.tick(r.tiltHigh, stage, f, q, r.shelf - 0.5f) + signalOffset;
    stage = fl.tiltLow.tick(r.tiltLow, stage, f, q, 0.5f - r.shelf) + signalOffset;
    return output(s, fl.bass.tick(r.bass, stage, 300.0f, 1.2f, s.bassLift));
}

[[gnu::always_inline]] inline void TiltEqEngine::smooth(Running& r, const Settings& s)
{
    r.frequency = (r.frequency * 1199.0f + s.shelfFrequency) * 0.00083333335f + 1e-9f;
    r.shelf = (1199.0f * r.shelf + s.shelf) * 0.00083333335f + 1e-9f;
}

// 100 Hz at 0 to 10 kHz at 1, with a cubic law.
[[gnu::always_inline]] inline float TiltEqEngine::cornerOf(float smoothedFrequency)
{
    const float x = smoothedFrequency;
    return x * (x * x) * 9900.0f + 100.0f;
}

[[gnu::always_inline]] inline float TiltEqEngine::qOf(const Settings& s)
{
    return s.shelfQ * 2.0f + 0.1f;
}

[[gnu::always_inline]] inline StereoSample TiltEqEngine::output(const Settings& s, StereoSample stage)
{
    return s.volume * (stage * 8.0f * s.volume);
}

StereoSample TiltEqEngine::recover(StereoSample out)
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
    return out;
}
