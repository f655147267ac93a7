#pragma once

#include <array>
#include <memory>

#include "dsp/StereoSample.h"
#include "dsp/flanger/Flanger.h"
#include "dsp/flanger/FlangerParameters.h"
#include "dsp/flanger/Lfo.h"

// The stereo flanger: two delay lines whose LFOs run a "Phase" apart, a rate
// that is free ("Speed") or locked to the host tempo ("Sync Tempo"), DC
// blocking and a dry/wet mix. Runs on the render thread; reads the parameter
// array (indexed by flanger::Parameter), which other threads write one float
// at a time, once per run of up to 64 frames.
class FlangerEngine {
  public:
    FlangerEngine(float sampleRate, float* parameters);

    // Rebuilds both delay lines at a new sample rate (empty rings, LFOs at
    // phase 0); smoothing and DC blockers carry over. Not real-time safe.
    void initialize(float sampleRate);

    // Replaces `frames` samples of each channel in place, frame by frame as
    // if each were processed alone. tempo is in beats per minute.
    void process(float* left, float* right, uint32_t frames, float tempo);
    // One frame.
    void process(float* left, float* right, float tempo) { process(left, right, 1, tempo); }

    // Observers of the running state, 0 being the left channel and 1 the right.
    float getLfoPhase(int channel) const { return channels->lfo.phase[channel]; }
    float getDelaySamples(int channel) const { return channels->lines.getDelaySamples()[channel]; }
    int32_t getRingLength() const { return channels->lines.getRingLength(); }

    float* parameters;

  private:
    using Tap = flanger::detail::Tap<StereoSample>;
    using Line = flanger::detail::DelayLine<StereoSample>;

    // Frames whose taps are computed ahead of their audio, and that read the
    // parameters once.
    static constexpr uint32_t kRun = 64;

    // The parameters as a run reads them.
    struct Settings {
        float speed, syncTempo, depth, delay, phase, feedback, dryWet, volume;
    };

    // Both channels' delay lines run in the lanes of one StereoSample.
    struct Channels {
        explicit Channels(float sampleRate);
        flanger::detail::BasicLfo<StereoSample> lfo;
        Line lines;
    };

    // What the tap pass carries from frame to frame, held in registers over a
    // run and put back after it.
    struct Control {
        float phase, depth, delay; // smoothed
        StereoSample lfoPhase;
    };
    // The same for the audio pass.
    struct Audio {
        Line::State lines;
        BasicFilterState<StereoSample> dcBlocker;
    };

    std::unique_ptr<Channels> channels;
    BasicFilterState<StereoSample> dcBlocker;
    float smoothingOffset = 1e-6f;
    std::array<float, 8> syncTable{120.0f, 60.0f, 30.0f, 15.0f, 180.0f, 90.0f, 45.0f, 22.5f};
    float smoothedDepth = 0.0f;
    float smoothedDelay = 0.0f;
    float smoothedPhase = 0.0f;

    Settings settings() const;
    float rateFor(float speed, float syncTempo, float tempo) const;
    // The parameter smoothing and the phase lead for one frame.
    void control(Control& c, const Settings& s) const;
    // The delay lines, DC blockers and mix for one frame.
    StereoSample audio(Audio& a, StereoSample dry, Tap tap, const Settings& s);
    // Cold path: puts back to work whatever a non-finite value stopped, and
    // returns the output with each non-finite sample silenced.
    StereoSample recover(StereoSample out);
};
