#pragma once

// Per-channel processing for effects that use the default buffer-list
// processing: one kernel per output channel.

#include "platform/audiounit/AudioUnit.h"

class AUEffectBase;

class AUKernelBase {
  public:
    explicit AUKernelBase(AUEffectBase* audioUnit) : audioUnit(audioUnit) {}
    virtual ~AUKernelBase() = default;

    virtual void Reset() {}
    // Processes frames samples of one channel; stride is the distance
    // between samples (the channel count of an interleaved buffer).
    virtual void Process(const Float32* source, Float32* destination, UInt32 frames, UInt32 channels,
                         bool& ioSilence) = 0;

    void SetChannelNum(UInt32 channel) { channelNumber = channel; }
    UInt32 GetChannelNum() const { return channelNumber; }
    void SetLastKernel(bool last) { lastKernel = last; }
    bool IsLastKernel() const { return lastKernel; }

  protected:
    AUEffectBase* audioUnit;

  private:
    UInt32 channelNumber = 0;
    bool lastKernel = false;
};
