#pragma once

// A stream description with the operations the framework needs: stream
// counts, the wildcard equality hosts rely on when they set a format that
// changes nothing.

#include "platform/audiounit/CoreAudioTypes.h"

class CAStreamBasicDescription : public AudioStreamBasicDescription {
  public:
    // All fields zero.
    CAStreamBasicDescription();
    CAStreamBasicDescription(const AudioStreamBasicDescription& description);

    bool IsPCM() const { return mFormatID == kAudioFormatLinearPCM; }
    bool IsInterleaved() const { return !IsPCM() || !(mFormatFlags & kAudioFormatFlagIsNonInterleaved); }
    // Buffers a list for this format holds: one per channel when
    // non-interleaved PCM, else one.
    UInt32 NumberChannelStreams() const { return IsInterleaved() ? 1 : mChannelsPerFrame; }
    // Channels in each of those buffers.
    UInt32 NumberInterleavedChannels() const { return IsInterleaved() ? mChannelsPerFrame : 1; }
    UInt32 NumberChannels() const { return mChannelsPerFrame; }

    // A finite, non-negative sample rate and a format id.
    bool IsValid() const;

    // Fields that are 0 on either side match anything; PCM flags are
    // compared after normalising the bits that cannot matter.
    bool operator==(const CAStreamBasicDescription& other) const;
};
