#include "au/CAStreamBasicDescription.h"

#include <cmath>

CAStreamBasicDescription::CAStreamBasicDescription() : AudioStreamBasicDescription{}
{
}

CAStreamBasicDescription::CAStreamBasicDescription(const AudioStreamBasicDescription& description)
    : AudioStreamBasicDescription(description)
{
}

bool CAStreamBasicDescription::IsValid() const
{
    return std::isfinite(mSampleRate) && mSampleRate >= 0.0 && mFormatID != 0;
}

namespace {

template <typename T> bool matches(T a, T b)
{
    return a == 0 || b == 0 || a == b;
}

void normaliseFlags(UInt32& flags, UInt32 otherFlags, const AudioStreamBasicDescription& side,
                    const AudioStreamBasicDescription& otherSide)
{
    const bool bothPacked = (flags & kAudioFormatFlagIsPacked) && (otherFlags & kAudioFormatFlagIsPacked);
    flags &= ~kAudioFormatFlagsAreAllClear;
    if (bothPacked) flags &= ~kAudioFormatFlagIsAlignedHigh;
    if ((flags & kAudioFormatFlagIsFloat) && (otherFlags & kAudioFormatFlagIsFloat))
        flags &= ~kAudioFormatFlagIsSignedInteger;
    if (side.mBitsPerChannel <= 8 && (flags & kAudioFormatFlagIsPacked))
        flags &= ~kAudioFormatFlagIsBigEndian;
    if (side.mChannelsPerFrame < 2 && otherSide.mChannelsPerFrame < 2)
        flags &= ~kAudioFormatFlagIsNonInterleaved;
}

} // namespace

bool CAStreamBasicDescription::operator==(const CAStreamBasicDescription& other) const
{
    if (!matches(mSampleRate, other.mSampleRate) || !matches(mFormatID, other.mFormatID)) return false;
    if (mFormatID != 0 && other.mFormatID != 0 && mFormatFlags != 0 && other.mFormatFlags != 0) {
        UInt32 mine = mFormatFlags, theirs = other.mFormatFlags;
        if (mFormatID == kAudioFormatLinearPCM) {
            normaliseFlags(mine, other.mFormatFlags, *this, other);
            normaliseFlags(theirs, mFormatFlags, other, *this);
        }
        if (mine != theirs) return false;
    }
    return matches(mBytesPerPacket, other.mBytesPerPacket) &&
           matches(mFramesPerPacket, other.mFramesPerPacket) &&
           matches(mBytesPerFrame, other.mBytesPerFrame) &&
           matches(mChannelsPerFrame, other.mChannelsPerFrame) &&
           matches(mBitsPerChannel, other.mBitsPerChannel);
}
