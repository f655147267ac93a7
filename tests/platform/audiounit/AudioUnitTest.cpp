#include <gtest/gtest.h>

#include <cstdint>

#include "platform/audiounit/AudioUnit.h"
#include "platform/audiounit/AudioUnitStatus.h"
#include "platform/audiounit/FloatingPointMode.h"

TEST(AudioUnit, RecordSizesFollowTheLp64Rules)
{
    // Plain numbers keep their published sizes; records with pointers grow.
    EXPECT_EQ(sizeof(AudioStreamBasicDescription), 40u);
    EXPECT_EQ(sizeof(AUChannelInfo), 4u);
    EXPECT_EQ(sizeof(ComponentDescription), 20u);
    EXPECT_EQ(sizeof(HostCallbackInfo), 4 * sizeof(void*));
    EXPECT_EQ(sizeof(AUPreset), 2 * sizeof(void*));
    EXPECT_EQ(sizeof(AudioUnitParameterEvent), 32u);
}

TEST(AudioUnit, StatusesAreNamed)
{
    EXPECT_EQ(platform::describeStatus(kAudioUnitErr_InvalidScope), "kAudioUnitErr_InvalidScope (-10866)");
    EXPECT_EQ(platform::describeStatus(kAudioUnitErr_FormatNotSupported),
              "kAudioUnitErr_FormatNotSupported (-10868)");
    EXPECT_EQ(platform::describeStatus(badComponentSelector), "badComponentSelector (-2147450878)");
    EXPECT_EQ(platform::describeStatus(-12345), "-12345");
    EXPECT_EQ(platform::statusName(-12345), nullptr);
}

TEST(AudioUnit, CompareAndSwapReplacesOnlyTheExpectedValue)
{
    uintptr_t word = 7;
    EXPECT_FALSE(CompareAndSwap(6, 9, &word));
    EXPECT_EQ(word, 7u);
    EXPECT_TRUE(CompareAndSwap(7, 9, &word));
    EXPECT_EQ(word, 9u);
}

namespace {

// Out of line, so that the compiler cannot move it across the mode changes.
[[gnu::noinline]] float multiply(float a, float b)
{
    return a * b;
}

} // namespace

TEST(AudioUnit, FloatingPointModeFlushesDenormals)
{
    constexpr uint32_t kExceptionFlags = 0x3F;
    const uint32_t saved = platform::getFloatingPointControl();
    platform::setFloatingPointControl(saved | platform::kFlushDenormalsToZero);
    // Operands the optimiser cannot see: it assumes the default mode.
    volatile float tiny = 1e-39f, half = 0.5f; // a denormal
    const float flushed = multiply(tiny, half);
    platform::setFloatingPointControl(saved);
    const float kept = multiply(tiny, half);
    EXPECT_EQ(flushed, 0.0f);
    EXPECT_NE(kept, 0.0f);
    EXPECT_EQ(platform::getFloatingPointControl() & ~kExceptionFlags, saved & ~kExceptionFlags);
}
