#pragma once

// The published audio records: stream descriptions, buffer lists, time
// stamps and channel layouts, with their constants. Layouts are the natural
// LP64 ones; records of plain numbers keep their published sizes.

#include <cstdint>

#include "platform/components/Components.h"

using Float64 = double;
using Float32 = float;
using UInt32 = uint32_t;
using SInt32 = int32_t;
using UInt64 = uint64_t;
using SInt16 = int16_t;

struct AudioStreamBasicDescription {
    Float64 mSampleRate;
    UInt32 mFormatID;
    UInt32 mFormatFlags;
    UInt32 mBytesPerPacket;
    UInt32 mFramesPerPacket;
    UInt32 mBytesPerFrame;
    UInt32 mChannelsPerFrame;
    UInt32 mBitsPerChannel;
    UInt32 mReserved;
};
static_assert(sizeof(AudioStreamBasicDescription) == 40);

inline constexpr UInt32 kAudioFormatLinearPCM = FourCharCode("lpcm");

inline constexpr UInt32 kAudioFormatFlagIsFloat = 1u << 0;
inline constexpr UInt32 kAudioFormatFlagIsBigEndian = 1u << 1;
inline constexpr UInt32 kAudioFormatFlagIsSignedInteger = 1u << 2;
inline constexpr UInt32 kAudioFormatFlagIsPacked = 1u << 3;
inline constexpr UInt32 kAudioFormatFlagIsAlignedHigh = 1u << 4;
inline constexpr UInt32 kAudioFormatFlagIsNonInterleaved = 1u << 5;
inline constexpr UInt32 kAudioFormatFlagIsNonMixable = 1u << 6;
inline constexpr UInt32 kAudioFormatFlagsAreAllClear = 1u << 31;
inline constexpr UInt32 kAudioFormatFlagsNativeFloatPacked =
    kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;

struct AudioBuffer {
    UInt32 mNumberChannels;
    UInt32 mDataByteSize;
    void* mData;
};

// Variable length: mNumberBuffers records follow the count.
struct AudioBufferList {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[1];
};

struct SMPTETime {
    SInt16 mSubframes;
    SInt16 mSubframeDivisor;
    UInt32 mCounter;
    UInt32 mType;
    UInt32 mFlags;
    SInt16 mHours;
    SInt16 mMinutes;
    SInt16 mSeconds;
    SInt16 mFrames;
};

struct AudioTimeStamp {
    Float64 mSampleTime;
    UInt64 mHostTime;
    Float64 mRateScalar;
    UInt64 mWordClockTime;
    SMPTETime mSMPTETime;
    UInt32 mFlags;
    UInt32 mReserved;
};

inline constexpr UInt32 kAudioTimeStampSampleTimeValid = 1u << 0;
inline constexpr UInt32 kAudioTimeStampHostTimeValid = 1u << 1;
inline constexpr UInt32 kAudioTimeStampRateScalarValid = 1u << 2;
inline constexpr UInt32 kAudioTimeStampWordClockTimeValid = 1u << 3;
inline constexpr UInt32 kAudioTimeStampSMPTETimeValid = 1u << 4;

using AudioChannelLabel = UInt32;
using AudioChannelLayoutTag = UInt32;

struct AudioChannelDescription {
    AudioChannelLabel mChannelLabel;
    UInt32 mChannelFlags;
    Float32 mCoordinates[3];
};
static_assert(sizeof(AudioChannelDescription) == 20);

// Variable length: mNumberChannelDescriptions records follow the header.
struct AudioChannelLayout {
    AudioChannelLayoutTag mChannelLayoutTag;
    UInt32 mChannelBitmap;
    UInt32 mNumberChannelDescriptions;
    AudioChannelDescription mChannelDescriptions[1];
};

inline constexpr AudioChannelLayoutTag kAudioChannelLayoutTag_UseChannelDescriptions = 0;
inline constexpr AudioChannelLayoutTag kAudioChannelLayoutTag_UseChannelBitmap = 1u << 16;
inline constexpr AudioChannelLayoutTag kAudioChannelLayoutTag_Mono = (100u << 16) | 1;
inline constexpr AudioChannelLayoutTag kAudioChannelLayoutTag_Stereo = (101u << 16) | 2;
