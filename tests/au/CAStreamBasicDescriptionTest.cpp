#include <gtest/gtest.h>

#include "au/CAStreamBasicDescription.h"

namespace {

CAStreamBasicDescription canonical(UInt32 channels)
{
    CAStreamBasicDescription f;
    f.mSampleRate = 44100.0;
    f.mFormatID = kAudioFormatLinearPCM;
    f.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
    f.mBytesPerPacket = f.mBytesPerFrame = 4;
    f.mFramesPerPacket = 1;
    f.mChannelsPerFrame = channels;
    f.mBitsPerChannel = 32;
    return f;
}

} // namespace

TEST(CAStreamBasicDescription, StreamsAndWildcardEquality)
{
    const CAStreamBasicDescription stereo = canonical(2);
    EXPECT_EQ(stereo.NumberChannelStreams(), 2u);
    EXPECT_EQ(stereo.NumberInterleavedChannels(), 1u);
    CAStreamBasicDescription interleaved = stereo;
    interleaved.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
    EXPECT_EQ(interleaved.NumberChannelStreams(), 1u);
    EXPECT_EQ(interleaved.NumberInterleavedChannels(), 2u);

    // Zero fields match anything.
    CAStreamBasicDescription partial;
    partial.mSampleRate = 44100.0;
    partial.mChannelsPerFrame = 2;
    EXPECT_TRUE(stereo == partial);
    partial.mSampleRate = 48000.0;
    EXPECT_FALSE(stereo == partial);
    EXPECT_TRUE(stereo == CAStreamBasicDescription());

    // Bits that cannot matter are ignored: all-clear marker, high alignment
    // of packed data, the sign bit of floats, interleaving of mono.
    CAStreamBasicDescription marked = stereo;
    marked.mFormatFlags |=
        kAudioFormatFlagsAreAllClear | kAudioFormatFlagIsAlignedHigh | kAudioFormatFlagIsSignedInteger;
    EXPECT_TRUE(stereo == marked);
    CAStreamBasicDescription monoA = canonical(1), monoB = canonical(1);
    monoB.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
    EXPECT_TRUE(monoA == monoB);
    EXPECT_FALSE(stereo == interleaved);

    // Big-endian matters above 8 bits only.
    CAStreamBasicDescription bytes = stereo, bigBytes = stereo;
    bytes.mBitsPerChannel = bigBytes.mBitsPerChannel = 8;
    bigBytes.mFormatFlags |= kAudioFormatFlagIsBigEndian;
    EXPECT_TRUE(bytes == bigBytes);
    CAStreamBasicDescription big = stereo;
    big.mFormatFlags |= kAudioFormatFlagIsBigEndian;
    EXPECT_FALSE(stereo == big);
}
