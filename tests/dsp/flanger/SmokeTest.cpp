#include <gtest/gtest.h>

#include "dsp/flanger/FlangerEngine.h"

TEST(Smoke, Builds)
{
    float p[22] = {};
    FlangerEngine e(44100.0f, p);
    float l = 0.5f, r = 0.5f;
    e.process(&l, &r, 120.0f);
    EXPECT_EQ(l, 0.0f);
}
