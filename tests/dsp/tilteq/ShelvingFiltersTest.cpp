#include <gtest/gtest.h>

#include <cmath>

#include "dsp/tilteq/ShelvingFilters.h"
#include "tests/support/Response.h"

namespace {

constexpr float kRate = 48000.0f;

template <typename Shelf> double gainDb(float position, double hz, float q = 0.7071f)
{
    Shelf shelf(kRate, 12);
    return testsupport::sineGainDb([&](float x) { return shelf.tick(x, 1000.0f, q, position); }, hz, kRate);
}

// An impulse into a fresh filter: the first output is 0, the second is b2
// times the stored (shaped) impulse.
template <typename Shelf> float secondOutput(float impulse, float position = 1.0f)
{
    Shelf shelf(kRate, 12);
    EXPECT_EQ(shelf.tick(impulse, 1000.0f, 0.7071f, position), 0.0f);
    return shelf.tick(0.0f, 1000.0f, 0.7071f, position);
}

} // namespace

TEST(ShelvingFilters, GainsFollowPositionAndQ)
{
    // Full boost or cut far on the shelf's side, none on the other, half the dB
    // at the corner; position 0.5 is flat everywhere (an allpass).
    EXPECT_NEAR(gainDb<LowShelf>(1.0f, 30), 12.0, 0.2);
    EXPECT_NEAR(gainDb<LowShelf>(0.0f, 30), -12.0, 0.2);
    EXPECT_NEAR(gainDb<LowShelf>(1.0f, 16000), 0.0, 0.2);
    EXPECT_NEAR(gainDb<LowShelf>(0.0f, 1000), -6.0, 0.1);
    EXPECT_NEAR(gainDb<HighShelf>(1.0f, 16000), 12.0, 0.2);
    EXPECT_NEAR(gainDb<HighShelf>(0.0f, 16000), -12.0, 0.2);
    EXPECT_NEAR(gainDb<HighShelf>(0.0f, 30), 0.0, 0.2);
    EXPECT_NEAR(gainDb<HighShelf>(0.25f, 1000), -3.0, 0.1);
    for (double hz : {30.0, 16000.0}) {
        EXPECT_NEAR(gainDb<LowShelf>(0.5f, hz), 0.0, 0.01) << hz;
        EXPECT_NEAR(gainDb<HighShelf>(0.5f, hz), 0.0, 0.01) << hz;
    }

    // Around the knee the magnitude is the cookbook shelf's, for gentle and steep Q.
    for (float q : {0.1f, 0.7071f, 2.1f}) {
        for (double hz : {400.0, 2500.0}) {
            EXPECT_NEAR(gainDb<LowShelf>(0.8f, hz, q),
                        testsupport::cookbookShelfDb(false, 7.2, 1000, q, hz, kRate), 0.05)
                << q << " " << hz;
            EXPECT_NEAR(gainDb<HighShelf>(0.0f, hz, q),
                        testsupport::cookbookShelfDb(true, -12, 1000, q, hz, kRate), 0.05)
                << q << " " << hz;
        }
    }
}

TEST(ShelvingFilters, OutputLagsInputByOneSample)
{
    LowShelf a(kRate, 12), b(kRate, 12);
    for (int n = 0; n < 100; ++n) {
        const float x = 0.3f * std::sin(n * 0.3f);
        ASSERT_EQ(a.tick(x, 500.0f, 1.0f, 0.8f), b.tick(n == 99 ? -x : x, 500.0f, 1.0f, 0.8f)) << n;
    }
    EXPECT_NE(a.tick(0.0f, 500.0f, 1.0f, 0.8f), b.tick(0.0f, 500.0f, 1.0f, 0.8f));

    // At 0.5 the reversed feed-forward gives an allpass that spreads an
    // impulse, not a plain one-sample delay (which would pass it whole).
    EXPECT_LT(std::fabs(secondOutput<HighShelf>(1.0f, 0.5f)), 0.99f);
}

TEST(ShelvingFilters, HistoryShapingAndItsClamp)
{
    // Each input is shaped once as it enters the history, by sigma(v, k) =
    // v + (v - k) * -0.002 * v^2 with k -0.04 then 0.05 (high shelf) or
    // -0.01, -0.05 then 0.08 (low shelf): 1 is stored as 0.99400 or 0.99408.
    const auto sigma = [](float v, float k) { return v + (v - k) * -0.002f * v * v; };
    const auto high = [&](float v) { return sigma(sigma(v, -0.04f), 0.05f); };
    const auto low = [&](float v) { return sigma(sigma(sigma(v, -0.01f), -0.05f), 0.08f); };
    EXPECT_NEAR(secondOutput<HighShelf>(1.0f) / secondOutput<HighShelf>(0.5f), high(1.0f) / high(0.5f),
                1e-6f);
    EXPECT_NEAR(secondOutput<LowShelf>(1.0f) / secondOutput<LowShelf>(0.5f), low(1.0f) / low(0.5f), 1e-6f);
    EXPECT_NEAR(low(1.0f), 0.99408f, 1e-5f);

    // Every tap sees that one stored value: an impulse leaves b2, b1, b0
    // times the same shaped value, so its first three outputs scale alike
    // with level (copies shaped anew at each place would not).
    for (float level : {1.0f, 3.0f}) {
        LowShelf a(kRate, 12), b(kRate, 12);
        a.tick(level, 1000.0f, 0.7071f, 1.0f);
        b.tick(0.5f, 1000.0f, 0.7071f, 1.0f);
        for (int n = 0; n < 3; ++n)
            EXPECT_NEAR(a.tick(0.0f, 1000.0f, 0.7071f, 1.0f) / b.tick(0.0f, 1000.0f, 0.7071f, 1.0f),
                        low(level) / low(0.5f), 1e-5f)
                << level << " " << n;
    }

    // Beyond +-12 the value is held at 12 first instead of folding back.
    EXPECT_NEAR(secondOutput<LowShelf>(12.0f) / secondOutput<LowShelf>(1.0f), low(12.0f) / low(1.0f), 1e-5f);
    EXPECT_EQ(secondOutput<LowShelf>(100.0f), secondOutput<LowShelf>(12.0f));
    EXPECT_EQ(secondOutput<LowShelf>(-1e30f), secondOutput<LowShelf>(-12.0f));
    EXPECT_NE(secondOutput<LowShelf>(11.9f), secondOutput<LowShelf>(12.0f));
}
