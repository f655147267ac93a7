#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "dsp/flanger/Lfo.h"

TEST(Lfo, TableShapesInterpolateLinearly)
{
    const auto valueAt = [](int shape, float phase) {
        Lfo lfo(44100.0f);
        lfo.phase = phase;
        return lfo.tick(shape);
    };
    Lfo fresh(44100.0f);
    EXPECT_EQ(fresh.tick(1), 0.0f);
    EXPECT_EQ(fresh.phase, 256.0f / 44100.0f); // 1 Hz until told otherwise
    EXPECT_FLOAT_EQ(valueAt(0, 64.0f), 1.0f);
    EXPECT_EQ(valueAt(1, 64.5f), 0.9921875f);
    EXPECT_EQ(valueAt(2, 0.0f), -1.0f);
    EXPECT_EQ(valueAt(2, 255.0f), 1.0f); // 255 is not above 255: no wrap
    EXPECT_EQ(valueAt(3, 127.25f), 0.5f);
    EXPECT_EQ(valueAt(3, 128.0f), -1.0f);
}

TEST(Lfo, PhaseWrapsBy255)
{
    Lfo lfo(44100.0f);
    lfo.phase = 255.2f;
    const float wrapped = 255.2f - 255.0f;
    EXPECT_EQ(lfo.tick(1), wrapped / 64.0f);
    EXPECT_EQ(lfo.phase, wrapped + 256.0f / 44100.0f);

    // At one unit per sample the read phases run 0 ... 255, then 1 ... 255:
    // a cycle lasts 255 samples, so the rate comes out 256/255 of the one set.
    Lfo unit(25600.0f);
    unit.setRate(100.0f);
    std::vector<float> saw;
    for (int n = 0; n < 1000; ++n) saw.push_back(unit.tick(2));
    EXPECT_EQ(saw[255], 1.0f);
    EXPECT_TRUE(std::equal(saw.begin() + 1, saw.end() - 255, saw.begin() + 256));
}

TEST(Lfo, RandomShapesDrawWhileInTheFirstUnit)
{
    Lfo frozen(44100.0f);
    frozen.setRate(0.0f);
    frozen.phase = 100.3f;
    EXPECT_EQ(frozen.tick(0), frozen.tick(0));
    EXPECT_EQ(frozen.phase, 100.3f);

    // Frozen at phase 0 every tick draws; the delayed shape trails by one draw.
    Lfo noise(44100.0f), delayed(44100.0f);
    noise.setRate(0.0f);
    delayed.setRate(0.0f);
    EXPECT_EQ(delayed.tick(5), 0.0f);
    std::vector<float> draws;
    for (int n = 0; n < 10000; ++n) {
        draws.push_back(noise.tick(4));
        ASSERT_EQ(delayed.tick(5), draws.back());
    }
    const auto [low, high] = std::minmax_element(draws.begin(), draws.end());
    EXPECT_TRUE(*low >= -1.0f && *low < -0.99f);
    EXPECT_TRUE(*high < 1.0f && *high > 0.99f);

    noise.phase = 1.5f; // past the first unit the last draw is held
    EXPECT_EQ(noise.tick(4), draws.back());
    EXPECT_EQ(noise.tick(4), draws.back());
}

TEST(Lfo, RandomSourceIsPerInstance)
{
    Lfo alone(44100.0f), lfo(44100.0f), other(44100.0f);
    for (Lfo* l : {&alone, &lfo, &other}) l->setRate(0.0f);
    for (int n = 0; n < 200; ++n) {
        const float expected = alone.tick(4);
        other.tick(4);
        std::rand();
        ASSERT_EQ(lfo.tick(4), expected) << n;
    }
}
