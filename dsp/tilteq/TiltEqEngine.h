#pragma once

#include <cstdint>
#include <memory>

#include "dsp/StereoSample.h"
#include "dsp/tilteq/ShelvingFilters.h"
#include "dsp/tilteq/TiltEqParameters.h"

// The tilt equaliser: per channel a high and a low shelf at a common,
// smoothed corner that tilt the spectrum in opposite directions, a fixed
// 300 Hz bass shelf and an output gain. Runs on the render thread; reads the
// parameter array (indexed by tilteq::Parameter), which other threads write
// one float at a time, once per block.
class TiltEqEngine {
  public:
    TiltEqEngine(float sampleRate, float* parameters);

    // Replaces all filters (empty histories) at a new sample rate; the
    // smoothing carries over. Not real-time safe.
    void initialize(float sampleRate);

    // Replaces `frames` samples of each channel in place, frame by frame as
    // if each were processed alone.
    void process(float* left, float* right, uint32_t frames);
    // One frame.
    void process(float* left, float* right) { process(left, right, 1); }

    float* parameters;

  private:
    template <tilteq::detail::ShelfKind Kind>
    using StereoShelf = tilteq::detail::ShelvingFilter<Kind, StereoSample>;

    // Left and right run in the lanes of one StereoSample through filters
    // that share their design.
    struct Filters {
        explicit Filters(float sampleRate);
        StereoShelf<tilteq::detail::ShelfKind::High> tiltHigh;
        StereoShelf<tilteq::detail::ShelfKind::Low> tiltLow;
        StereoShelf<tilteq::detail::ShelfKind::Low> bass;
    };

    // The parameters as a block reads them.
    struct Settings {
        float shelf, shelfQ, bassLift, volume, onOff, shelfFrequency;
    };

    // What one frame hands the next, held in registers over a block and put
    // back after it.
    struct Running {
        float frequency, shelf; // smoothed
        StereoShelf<tilteq::detail::ShelfKind::High>::State tiltHigh;
        StereoShelf<tilteq::detail::ShelfKind::Low>::State tiltLow;
        StereoShelf<tilteq::detail::ShelfKind::Low>::State bass;
    };

    std::unique_ptr<Filters> filters;
    float signalOffset = 1e-6f;
    float smoothedFrequency = 0.0f;
    float smoothedShelf = 0.0f;

    Settings settings() const;
    Running running() const;
    void keep(const Running& r);
    // Frames at most processRun() takes at once.
    static constexpr uint32_t kRun = 64;
    // Fast path: false, with nothing changed, when a value went non-finite.
    bool processRun(const Settings& s, float* left, float* right, uint32_t frames);
    void processFrames(const Settings& s, float* left, float* right, uint32_t frames);
    StereoSample frame(Running& r, const Settings& s, StereoSample in);
    static void smooth(Running& r, const Settings& s);
    static float cornerOf(float smoothedFrequency);
    static float qOf(const Settings& s);
    static StereoSample output(const Settings& s, StereoSample stage);
    // Cold path: puts back to work whatever a non-finite value stopped, and
    // returns the output with each non-finite sample silenced.
    StereoSample recover(StereoSample out);
};
