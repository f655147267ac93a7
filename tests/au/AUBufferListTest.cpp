#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/au/StereoBuffers.h"
#include "tests/au/TestEffect.h"

TEST(AUBufferList, AllocatesPreparesAndCopies)
{
    OpenTestEffect effect;
    TestEffect& unit = effect.object();
    AUOutputElement& output = *unit.GetOutput(0);
    // Nothing is allocated before initialisation.
    EXPECT_EQ(output.IOBuffer().GetAllocatedFrames(), 0u);
    EXPECT_THROW(output.GetBufferList(), OSStatus);

    ASSERT_EQ(AudioUnitInitialize(effect.unit()), noErr);
    EXPECT_EQ(output.IOBuffer().GetAllocatedFrames(), AUBase::kDefaultMaxFramesPerSlice);
    // The input is fed by nothing yet: it needs no memory.
    EXPECT_EQ(unit.GetInput(0)->IOBuffer().GetAllocatedFrames(), 0u);

    AudioBufferList& own = output.PrepareBuffer(512);
    ASSERT_EQ(own.mNumberBuffers, 2u);
    EXPECT_EQ(own.mBuffers[0].mDataByteSize, 512u * 4);
    EXPECT_EQ(own.mBuffers[0].mNumberChannels, 1u);
    const auto stride =
        static_cast<std::byte*>(own.mBuffers[1].mData) - static_cast<std::byte*>(own.mBuffers[0].mData);
    EXPECT_EQ(stride, 1156 * 4);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(own.mBuffers[0].mData) % 16, 0u);
    EXPECT_THROW(output.PrepareBuffer(AUBase::kDefaultMaxFramesPerSlice + 1), OSStatus);

    // Samples go into the caller's buffers; records are copied by reference.
    static_cast<float*>(own.mBuffers[0].mData)[0] = 0.5f;
    static_cast<float*>(own.mBuffers[1].mData)[511] = -0.25f;
    StereoBuffers caller(512);
    output.IOBuffer().CopyBufferContentsTo(caller.list());
    EXPECT_EQ(caller.channel(0)[0], 0.5f);
    EXPECT_EQ(caller.channel(1)[511], -0.25f);
    StereoBuffers records(512);
    output.IOBuffer().CopyBufferListTo(records.list());
    EXPECT_EQ(records.list().mBuffers[1].mData, own.mBuffers[1].mData);

    // Null buffers for a source with memory of its own.
    AudioBufferList& empty = output.PrepareNullBuffer(64);
    EXPECT_EQ(empty.mBuffers[0].mData, nullptr);
    EXPECT_EQ(empty.mBuffers[1].mDataByteSize, 64u * 4);

    // Someone else's records; more buffers than allocated are refused.
    StereoBuffers three(8, 3);
    EXPECT_THROW(output.IOBuffer().SetBufferList(three.list()), OSStatus);
    StereoBuffers two(8);
    EXPECT_EQ(output.IOBuffer().SetBufferList(two.list()).mBuffers[0].mData, two.channel(0).data());

    // A new slice size reallocates; streams stay 16-byte aligned.
    ASSERT_EQ(AudioUnitUninitialize(effect.unit()), noErr);
    UInt32 frames = 4001;
    ASSERT_EQ(AudioUnitSetProperty(effect.unit(), kAudioUnitProperty_MaximumFramesPerSlice,
                                   kAudioUnitScope_Global, 0, &frames, sizeof frames),
              noErr);
    EXPECT_EQ(output.IOBuffer().GetAllocatedFrames(), AUBase::kDefaultMaxFramesPerSlice); // until initialised
    ASSERT_EQ(AudioUnitInitialize(effect.unit()), noErr);
    EXPECT_EQ(output.IOBuffer().GetAllocatedFrames(), 4001u);
    AudioBufferList& large = output.PrepareBuffer(4001);
    EXPECT_EQ(large.mBuffers[1].mDataByteSize, 4001u * 4);
    EXPECT_EQ(static_cast<std::byte*>(large.mBuffers[1].mData) -
                  static_cast<std::byte*>(large.mBuffers[0].mData),
              16016); // 4001 x 4 rounded up to 16
}
