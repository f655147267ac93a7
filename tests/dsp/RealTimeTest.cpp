#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "dsp/flanger/FlangerEngine.h"
#include "dsp/tilteq/EventQueue.h"
#include "dsp/tilteq/TiltEqEngine.h"
#include "tests/support/AllocationCounter.h"

// The render path must not touch the heap: every parameter, the tempo and
// the sync setting move every frame.
TEST(RealTime, ProcessingNeverAllocates)
{
    float flangerParameters[flanger::kParameterCount] = {};
    float tiltParameters[tilteq::kParameterCount] = {};
    FlangerEngine flanger(44100.0f, flangerParameters);
    TiltEqEngine tilt(44100.0f, tiltParameters);
    EventQueue queue(16);
    float peak = 0.0f;

    // The counter must see the heap, or a zero below proves nothing.
    const std::size_t probe = testsupport::allocationCount();
    int* volatile allocated = new int(1);
    delete allocated;
    ASSERT_EQ(testsupport::allocationCount() - probe, 1u);

    const std::size_t before = testsupport::allocationCount();
    for (int n = 0; n < 100000; ++n) {
        const float ramp = static_cast<float>(n % 977) / 976.0f;
        for (uint32_t slot = 1; slot < flanger::kParameterCount; ++slot)
            flangerParameters[slot] = std::fmod(ramp + 0.13f * slot, 1.0f);
        // Manual, every note value, beyond.
        flangerParameters[flanger::kSyncTempo] = static_cast<float>(n % 1100) / 100.0f;
        for (uint32_t slot = 1; slot < tilteq::kParameterCount; ++slot)
            tiltParameters[slot] = std::fmod(ramp + 0.29f * slot, 1.0f);
        tiltParameters[tilteq::kOnOff] = n % 5000 < 4000 ? 1.0f : 0.0f;

        float l = std::sin(n * 0.031f), r = std::sin(n * 0.017f);
        flanger.process(&l, &r, 60.0f + static_cast<float>(n % 180));
        tilt.process(&l, &r);
        peak = std::max(peak, std::fabs(l) + std::fabs(r));

        if (!queue.isFull()) queue.push({static_cast<uint32_t>(n), n % 3});
        while (queue.decDelta()) queue.pop();
    }
    const std::size_t allocations = testsupport::allocationCount() - before;

    EXPECT_EQ(allocations, 0u);
    EXPECT_TRUE(std::isfinite(peak));
    EXPECT_GT(peak, 0.0f);
}
