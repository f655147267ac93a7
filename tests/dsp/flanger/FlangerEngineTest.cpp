#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "dsp/flanger/FlangerEngine.h"
#include "tests/support/EnginePrograms.h"

using namespace flanger;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kUnityVolume = 0.70710677f; // output gain 2 v^2 = 1

struct Rig {
    std::array<float, kParameterCount> p{};
    FlangerEngine engine{44100.0f, p.data()};

    // Runs frames of a constant input; returns the last right output.
    float run(int frames, float in = 0.1f, float tempo = 120.0f)
    {
        float r = in;
        for (int n = 0; n < frames; ++n) {
            float l = in;
            r = in;
            engine.process(&l, &r, tempo);
        }
        return r;
    }
    float left() const { return engine.getLfoPhase(0); }
    float right() const { return engine.getLfoPhase(1); }
};

} // namespace

TEST(FlangerEngine, VolumeAndDryWetMix)
{
    Rig rig; // everything 0: still LFOs, and "Volume" 0 silences
    EXPECT_EQ(rig.run(5000, 0.7f), 0.0f);
    EXPECT_EQ(rig.right(), 0.0f);

    // The first factory program, all dry.
    rig.p = testsupport::flangerProgram0();
    rig.p[kDryWet] = 0.0f;
    rig.p[kVolume] = kUnityVolume;
    for (int n = 0; n < 5000; ++n) {
        const float in = std::sin(n * 0.05f);
        float l = in, r = -in;
        rig.engine.process(&l, &r, 120.0f);
        ASSERT_NEAR(l, in, 1e-6f);
        ASSERT_NEAR(r, -in, 1e-6f);
    }
}

// From phase 0 one frame moves the right LFO by 256 x rate / sample rate units.
TEST(FlangerEngine, LfoRateFromSpeedOrTempo)
{
    struct Case {
        float sync, tempo, hz;
    };
    const Case cases[] = {
        // Tempo-locked: table entry x tempo / 14400.
        {1, 120, 1.0f},
        {1, 60, 0.5f},
        {1, 240, 2.0f},
        {2, 120, 0.5f},
        {3, 120, 0.25f},
        {4, 120, 0.125f},
        {5, 120, 1.5f},
        {6, 120, 0.75f},
        {7, 120, 0.375f},
        {8, 120, 0.1875f},
        {8, 60, 0.09375f},
        // The integer part picks the entry; 9 and beyond stay on the last. A non-finite tempo counts as 120.
        {1.99f, 120, 1.0f},
        {8.5f, 120, 0.1875f},
        {9, 120, 0.1875f},
        {kInf, 120, 0.1875f},
        {1, kNaN, 1.0f},
        {5, -kInf, 1.5f},
        // Below 1, negative or NaN: the manual rate 3 x "Speed"^3.
        {0, 120, 0.375f},
        {0.999f, 120, 0.375f},
        {-1, 120, 0.375f},
        {kNaN, 120, 0.375f},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.p[kSpeed] = 0.5f;
        rig.p[kSyncTempo] = c.sync;
        rig.run(1, 0.1f, c.tempo);
        EXPECT_EQ(rig.right(), 256.0f * c.hz / 44100.0f) << c.sync << " @ " << c.tempo;
    }
}

// With the LFOs stopped the left phase is exactly 127 x smoothed "Phase".
TEST(FlangerEngine, SmoothedParametersAndPhaseLead)
{
    Rig rig;
    rig.p[kPhase] = 0.5f;
    float expected = 0.0f;
    int mismatches = 0;
    for (int n = 0; n < 4000; ++n) {
        expected = (expected * 3999.0f + 0.5f * 0.5f) * 0.00025f + 1e-6f;
        rig.run(1);
        mismatches += rig.left() != 127.0f * expected;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_NEAR(rig.left() / 127.0f, 0.254f * (1.0f - std::exp(-1.0f)), 1e-3f); // one time constant

    // "Phase" 1 settles near 1.004 (single-precision steps stall a little short of it)
    // and the left LFO then leads by that, modulo the 255-unit cycle.
    rig.p[kPhase] = 1.0f;
    rig.run(60000);
    const float settled = rig.left();
    EXPECT_NEAR(settled, 127.0f * 1.004f, 0.05f);
    rig.p[kSpeed] = 1.0f;
    for (int n = 0; n < 30000; ++n) {
        rig.run(1);
        ASSERT_NEAR(std::fmod(rig.left() - rig.right() + 255.0f, 255.0f), settled, 1e-3f) << n;
    }

    // A new sample rate rebuilds the delay lines and restarts the LFOs; the smoothing carries on.
    rig.p[kSpeed] = 0.0f;
    rig.engine.initialize(48000.0f);
    EXPECT_TRUE(rig.engine.getRingLength() == 1201);
    EXPECT_EQ(rig.right(), 0.0f);
    rig.run(1);
    EXPECT_EQ(rig.left(), settled);

    // With the LFO still at 0, "Delay" 1 settles to the clamped 1103 samples and
    // "Depth" 1 to 1103 x 44100^(c/1024 - 1), c/1024 = 0.7 + 0.3 x 0.004 - 0.2 x 1.004.
    for (Parameter slot : {kDelay, kDepth}) {
        Rig settle;
        settle.p[slot] = 1.0f;
        settle.run(60000);
        EXPECT_NEAR(settle.engine.getDelaySamples(1), slot == kDelay ? 1103.0f : 5.3f, 0.1f);
    }
}

TEST(FlangerEngine, WetSignalIsDcBlocked)
{
    Rig rig;
    rig.p[kDryWet] = 1.0f;
    rig.p[kVolume] = kUnityVolume;
    std::vector<float> out;
    for (int n = 0; n < 20000; ++n) out.push_back(rig.run(1, 0.5f));
    EXPECT_NEAR(out[300] / out[200], std::pow(0.991, 100), 0.005); // the blocker's pole
    EXPECT_LT(std::fabs(out.back()), 1e-6f);
}

// Blocks of any length, across the engine's internal runs, give the bits of
// frame-by-frame processing, also when a non-finite sample enters mid-block.
TEST(FlangerEngine, BlocksMatchFrameByFrame)
{
    Rig blocks, frames;
    for (Rig* rig : {&blocks, &frames}) {
        rig->p = testsupport::flangerProgram0();
        rig->p[kFeedback] = 0.92941594f;
    }
    std::vector<float> left(3000), right(3000);
    for (size_t n = 0; n < left.size(); ++n) {
        left[n] = std::sin(static_cast<float>(n) * 0.05f);
        right[n] = std::cos(static_cast<float>(n) * 0.031f);
    }
    left[1500] = kNaN;
    right[2222] = kInf;
    std::vector<float> expectedLeft = left, expectedRight = right;
    for (size_t n = 0; n < left.size(); ++n)
        frames.engine.process(&expectedLeft[n], &expectedRight[n], 120.0f);

    size_t done = 0;
    for (uint32_t length : {1u, 63u, 64u, 65u, 200u, 1000u, 1607u}) {
        blocks.engine.process(&left[done], &right[done], length, 120.0f);
        done += length;
    }
    ASSERT_EQ(done, left.size());
    int mismatches = 0;
    for (size_t n = 0; n < left.size(); ++n)
        mismatches += std::memcmp(&left[n], &expectedLeft[n], 4) != 0 ||
                      std::memcmp(&right[n], &expectedRight[n], 4) != 0;
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(left[1500], 0.0f);
    EXPECT_EQ(right[2222], 0.0f);
    EXPECT_EQ(blocks.left(), frames.left());
    EXPECT_EQ(blocks.engine.getDelaySamples(0), frames.engine.getDelaySamples(0));
}
