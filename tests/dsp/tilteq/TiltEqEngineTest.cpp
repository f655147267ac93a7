#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "dsp/tilteq/TiltEqEngine.h"
#include "tests/support/EnginePrograms.h"
#include "tests/support/Response.h"

using namespace tilteq;

namespace {

constexpr float kUnityVolume = 0.35355339f; // output gain 8 v^2 = 1

// The default program.
struct Rig {
    std::array<float, kParameterCount> p = testsupport::tiltEqProgram0();
    TiltEqEngine engine{44100.0f, p.data()};
    int channelMismatches = 0;

    // The same sample on both channels; the two must agree bit for bit.
    float mono(float x)
    {
        float r = x;
        engine.process(&x, &r);
        channelMismatches += std::bit_cast<uint32_t>(x) != std::bit_cast<uint32_t>(r);
        return x;
    }
    double gainDb(double hz, double amplitude = 0.1)
    {
        return testsupport::sineGainDb([this](float x) { return mono(x); }, hz, 44100.0, amplitude, 30000);
    }
    ~Rig() { EXPECT_EQ(channelMismatches, 0); }
};

} // namespace

TEST(TiltEqEngine, OffPassesSamplesBitForBitAndFreezesState)
{
    std::mt19937 random(7);
    for (float onOff : {0.5f, 0.0f, std::numeric_limits<float>::quiet_NaN()}) {
        Rig rig;
        rig.p[kOnOff] = onOff;
        for (int n = 0; n < 5000; ++n) {
            // Any finite bit pattern (the mask keeps the exponent below all ones), denormals, -0.
            const auto bits = (static_cast<uint32_t>(random()) & 0x7f7fffffu) | (n % 2 ? 0x80000000u : 0u);
            const float in[2] = {std::bit_cast<float>(bits),
                                 n % 3 ? std::numeric_limits<float>::denorm_min() : -0.0f};
            float l = in[0], r = in[1];
            rig.engine.process(&l, &r);
            ASSERT_EQ(std::bit_cast<uint32_t>(l), bits) << onOff << " " << n;
            ASSERT_EQ(std::bit_cast<uint32_t>(r), std::bit_cast<uint32_t>(in[1])) << onOff << " " << n;
        }
    }

    // Off for a while, then on again (0.51): as if the off frames never happened.
    Rig paused, reference;
    for (int n = 0; n < 3000; ++n) {
        paused.p[kOnOff] = n >= 1000 && n < 1700 ? 0.5f : 0.51f;
        if (paused.p[kOnOff] == 0.5f)
            paused.mono(0.9f);
        else
            ASSERT_EQ(paused.mono(std::sin(n * 0.01f)), reference.mono(std::sin(n * 0.01f))) << n;
    }
}

TEST(TiltEqEngine, FirstFrameAfterCreationOrInitializeIsZero)
{
    Rig rig;
    float l = 0.8f, r = -0.3f;
    rig.engine.process(&l, &r);
    EXPECT_TRUE(l == 0.0f && r == 0.0f);
    for (int n = 0; n < 1000; ++n) {
        l = std::sin(n * 0.1f), r = -l;
        rig.engine.process(&l, &r);
    }
    EXPECT_TRUE(l != 0.0f && r != 0.0f);
    rig.engine.initialize(96000.0f);
    l = 0.8f, r = -0.3f;
    rig.engine.process(&l, &r);
    EXPECT_TRUE(l == 0.0f && r == 0.0f);
}

TEST(TiltEqEngine, GainsOfShelfBassVolumeAndCorner)
{
    // Default program: two -8 dB shelves make a flat -8 dB, the output stage x2 (+6.02 dB).
    for (double hz : {50.0, 1000.0, 10000.0}) EXPECT_NEAR(Rig().gainDb(hz), -8.0 + 6.02, 0.2) << hz;

    struct Case {
        float shelf, frequency, bass;
        double hz, db;
    };
    const Case cases[] = {
        // "Shelf" 0 cuts the treble by 16 dB, 1 the bass; corner 9900 x 0.5^3 + 100 = 1337.5 Hz.
        {0, 0.5f, 0.5f, 40, 0},
        {0, 0.5f, 0.5f, 15000, -16},
        {1, 0.5f, 0.5f, 40, -16},
        {1, 0.5f, 0.5f, 15000, 0},
        // Half the cut at the corner: 100 Hz at 0, 10 kHz at 1.
        {0, 0.0f, 0.5f, 100, -8},
        {0, 0.5f, 0.5f, 1337.5, -8},
        {0, 1.0f, 0.5f, 10000, -8},
        // "Bass lift" +-12 dB well below 300 Hz, on top of the flat -8 dB tilt.
        {0.5f, 0.5f, 0.0f, 20, -20},
        {0.5f, 0.5f, 1.0f, 20, 4},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.p[kShelf] = c.shelf, rig.p[kShelfFrequency] = c.frequency, rig.p[kBassLift] = c.bass,
        rig.p[kVolume] = kUnityVolume;
        EXPECT_NEAR(rig.gainDb(c.hz), c.db, 0.3)
            << c.shelf << " " << c.frequency << " " << c.bass << " " << c.hz;
    }

    // "Shelf q" 0 and 1 give Q 0.1 and 2.1, a gentle or an overshooting knee.
    for (float q : {0.0f, 1.0f}) {
        for (double hz : {700.0, 2500.0}) {
            Rig rig;
            rig.p[kShelf] = 0.0f, rig.p[kShelfQ] = q, rig.p[kShelfFrequency] = 0.5f,
            rig.p[kVolume] = kUnityVolume;
            EXPECT_NEAR(rig.gainDb(hz),
                        testsupport::cookbookShelfDb(true, -16, 1337.5, 2 * q + 0.1, hz, 44100), 0.05)
                << q << " " << hz;
        }
    }
}

// At DC the tilt high shelf is flat and the tilt low shelf gives -16 S dB,
// so the DC gain shows the smoothed "Shelf" S. The 300 Hz bass shelf (an
// allpass here) delays it by some 40 samples, so the test follows how the
// remaining 1 - S shrinks: by (1199/1200)^600 every 600 samples.
TEST(TiltEqEngine, ShelfGlidesWithTimeConstant1200)
{
    Rig rig;
    rig.p[kShelf] = 0.0f, rig.p[kShelfFrequency] = 1.0f,
    rig.p[kVolume] = kUnityVolume; // 10 kHz corner: quick tilt shelves
    for (int n = 0; n < 30000; ++n) rig.mono(0.1f);
    rig.p[kShelf] = 1.0f;
    std::vector<double> remaining;
    for (int n = 1; n <= 3600; ++n) {
        const float y = rig.mono(0.1f);
        if (n % 600 == 0) remaining.push_back(1.0 + std::log10(y / 0.1) * 20.0 / 16.0);
    }
    EXPECT_NEAR(remaining[1], std::exp(-1.0), 0.03);
    for (size_t i = 1; i < remaining.size(); ++i)
        EXPECT_NEAR(remaining[i] / remaining[i - 1], std::pow(1199.0 / 1200.0, 600), 0.01) << i;
}

// 50 Hz at peak 4 through the default program, from creation, while the
// corner glides up from 100 Hz and "Shelf" from 0 (a gain up to +2 dB at
// 50 Hz on the way): loud enough for the history shaping to compress it by
// about 1 dB, yet the output stays near the designed gain. Shaping each
// place of the history anew once swung it to +-738 here.
TEST(TiltEqEngine, LoudBassStaysFiniteAndNearTheDesignedGain)
{
    Rig rig;
    float peak = 0.0f;
    for (int n = 0; n < 44100; ++n) {
        const float y = rig.mono(static_cast<float>(4.0 * std::sin(2.0 * M_PI * 50.0 * n / 44100.0)));
        ASSERT_TRUE(std::isfinite(y) && (n == 0 || y != 0.0f)) << n;
        peak = std::max(peak, std::fabs(y));
    }
    EXPECT_LT(peak, 6.0f);
    EXPECT_NEAR(rig.gainDb(50.0, 4.0), -8.0 + 6.02 - 1.0, 0.3);
}

// Blocks give the bits of frame-by-frame processing, also across switching
// off and on and when a non-finite sample enters mid-block.
TEST(TiltEqEngine, BlocksMatchFrameByFrame)
{
    Rig blocks, frames;
    std::vector<float> left(3000), right(3000);
    std::mt19937 noise(3);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (size_t n = 0; n < left.size(); ++n) {
        left[n] = uniform(noise);
        right[n] = uniform(noise);
    }
    left[1500] = std::numeric_limits<float>::quiet_NaN();
    right[2222] = std::numeric_limits<float>::infinity();
    std::vector<float> expectedLeft = left, expectedRight = right;

    // Runs both rigs over the same stretch; "On / Off" flips half way.
    size_t done = 0;
    for (uint32_t length : {1u, 200u, 1299u, 500u, 1000u}) {
        for (Rig* rig : {&blocks, &frames}) rig->p[kOnOff] = done == 1500 ? 0.0f : 1.0f;
        blocks.engine.process(&left[done], &right[done], length);
        for (size_t n = done; n < done + length; ++n)
            frames.engine.process(&expectedLeft[n], &expectedRight[n]);
        done += length;
    }
    ASSERT_EQ(done, left.size());
    int mismatches = 0;
    for (size_t n = 0; n < left.size(); ++n)
        mismatches += std::bit_cast<uint32_t>(left[n]) != std::bit_cast<uint32_t>(expectedLeft[n]) ||
                      std::bit_cast<uint32_t>(right[n]) != std::bit_cast<uint32_t>(expectedRight[n]);
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(left[1500], 0.0f); // switched off, passed through, silenced
    EXPECT_TRUE(std::all_of(right.begin(), right.end(), [](float x) { return std::isfinite(x); }));
    EXPECT_NE(right[2999], 0.0f); // and working again after the infinity
}
