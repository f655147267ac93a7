#pragma once

#include "dsp/StereoSample.h"
#include "dsp/tilteq/ShelvingFilters.h"

#include <memory>

// The tilt equaliser: per channel a high and a low shelf at a common,
// smoothed corner that tilt the spectrum in opposite directions, a fixed
// 300 Hz bass shelf and an output gain. Called once per sample frame on the
// render thread; reads the parameter array, which other threads write one
// float at a time.
class TiltEqEngine {
public:
    TiltEqEngine(float sampleRate, float* parameters);

    // Replaces all filters (empty histories) at a new sample rate; the
    // smoothing carries over. Not real-time safe.
    void initialize(float sampleRate);

    // Replaces both samples in place.
    void process(float* left, float* right);

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

    std::unique_ptr<Filters> filters;
    float signalOffset = 1e-6f;
    StereoSample stage = dsp::broadcast<StereoSample>(0.0f);
    float smoothedFrequency = 0.0f;
    float smoothedShelf = 0.0f;

    // Cold path: puts back to work whatever a non-finite value stopped.
    void recover(StereoSample& out);
};
