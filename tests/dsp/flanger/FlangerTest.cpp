#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "dsp/flanger/Flanger.h"

namespace {

// Settled engine smoothing hands the flanger p^2 + 0.004.
constexpr float kZero = 0.004f, kOne = 1.004f;

// Response to a unit impulse with the sweep frozen at the given LFO phase.
std::vector<float> impulse(Flanger& f, float lfoPhase, float depth, float delay, float feedback, int length)
{
    f.lfo.phase = lfoPhase;
    std::vector<float> out;
    for (int n = 0; n < length; ++n)
        out.push_back(f.process(n == 0 ? 1.0f : 0.0f, 0.0f, depth, delay, feedback));
    return out;
}

// Largest magnitude outside index skip.
float largestExcept(const std::vector<float>& v, int skip)
{
    float m = 0.0f;
    for (int n = 0; n < static_cast<int>(v.size()); ++n) m = n == skip ? m : std::max(m, std::fabs(v[n]));
    return m;
}

} // namespace

TEST(Flanger, DelayRangeAndRingLength)
{
    EXPECT_EQ(Flanger(44100.0f, 0.025f).getRingLength(), 1103);
    EXPECT_EQ(Flanger(48000.0f, 0.025f).getRingLength(), 1201);
    EXPECT_EQ(Flanger(96000.0f, 0.025f).getRingLength(), 2401);

    struct Case {
        float depth, delay, shortest, longest, tolerance;
    };
    for (const Case& c : {Case{kZero, kZero, 44.4f, 45.1f, 0.1f}, Case{kZero, kOne, 1098.8f, 1103.0f, 0.1f},
                          Case{kOne, kZero, 1.0f, 40.6f, 0.1f}, Case{kOne, kOne, 17.0f, 1003.5f, 0.5f}}) {
        Flanger f(44100.0f, 0.025f);
        float shortest = 1e9f, longest = 0.0f;
        for (int n = 0; n < 44100; ++n) { // three sweeps at 3 Hz
            f.process(0.0f, 3.0f, c.depth, c.delay, 0.0f);
            shortest = std::min(shortest, f.getDelaySamples());
            longest = std::max(longest, f.getDelaySamples());
        }
        EXPECT_NEAR(shortest, c.shortest, c.tolerance) << c.depth << " " << c.delay;
        EXPECT_NEAR(longest, c.longest, c.tolerance) << c.depth << " " << c.delay;
    }
}

TEST(Flanger, ClampedDelaysAreWholeSamples)
{
    // Triangle at -1 with full depth: clamped to one sample.
    Flanger shortest(44100.0f, 0.025f);
    std::vector<float> out = impulse(shortest, 192.0f, kOne, kZero, 0.0f, 50);
    EXPECT_EQ(shortest.getDelaySamples(), 1.0f);
    EXPECT_GT(out[1], 0.9f);
    EXPECT_LT(largestExcept(out, 1), 0.01f);

    // Curve clamped at 1: D = ringLength, and the older tap must read the
    // sample one tick older still, not the one just written.
    Flanger longest(44100.0f, 0.025f);
    out = impulse(longest, 0.0f, 0.0f, 1.01f, 0.0f, 1500);
    EXPECT_EQ(longest.getDelaySamples(), 1103.0f);
    EXPECT_GT(out[1103], 0.9f);
    EXPECT_LT(largestExcept(out, 1103), 0.01f);
}

TEST(Flanger, FeedbackAndSaturation)
{
    // One-sample delay: the loop (write, then read a tick later) is two ticks
    // long; its small-signal gain is 0.9 x tone filter (about 1) x 0.9876 for
    // the positive half of the saturator.
    Flanger loop(44100.0f, 0.025f);
    const std::vector<float> out = impulse(loop, 192.0f, kOne, kZero, 1.0f, 60);
    for (int n = 1; n < 60; n += 2) ASSERT_GT(out[n], 0.0f) << n;
    EXPECT_NEAR(out[41] / out[39], 0.9f * 0.9876f, 0.01f);

    Flanger loud(44100.0f, 0.025f);
    float low = 0.0f, high = 0.0f;
    for (int n = 0; n < 20000; ++n) {
        const float y =
            loud.process((n / 500) % 2 ? -100.0f : (n % 7 ? 100.0f : 1e6f), 3.0f, 0.5f, 0.5f, 1.0f);
        ASSERT_LE(std::fabs(y), 4.0f) << n;
        low = std::min(low, y);
        high = std::max(high, y);
    }
    EXPECT_TRUE(low < -3.9f && high > 3.9f);

    // Small DC settles to the input, the positive half scaled by 0.9876.
    for (float dc : {0.01f, -0.01f}) {
        Flanger f(44100.0f, 0.025f);
        float y = 0.0f;
        for (int n = 0; n < 5000; ++n) y = f.process(dc, 0.0f, 0.0f, 0.0f, 0.0f);
        EXPECT_NEAR(y, dc > 0.0f ? dc * 0.9876f : dc, 1e-6f);
    }
}
