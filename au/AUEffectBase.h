#pragma once

// An effect: one input, one output, a channel-configuration check, bypass
// and in-place processing, and rendering that pulls the input and splits
// the block at scheduled parameter events. Subclasses either provide
// per-channel kernels or replace ProcessBufferLists.

#include <atomic>
#include <memory>
#include <vector>

#include "au/AUBase.h"
#include "au/AUKernelBase.h"

class AUEffectBase : public AUBase {
  public:
    explicit AUEffectBase(ComponentInstance instance, bool processesInPlace = true);

    OSStatus Initialize() override;
    void Cleanup() override;
    OSStatus Reset(AudioUnitScope scope, AudioUnitElement element) override;

    OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             UInt32& outDataSize, bool& outWritable) override;
    OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         void* outData) override;
    OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         const void* inData, UInt32 inDataSize) override;

    bool StreamFormatWritable(AudioUnitScope, AudioUnitElement) override { return !IsInitialized(); }

    // Render thread.
    OSStatus Render(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                    UInt32 nFrames) override;
    OSStatus ProcessScheduledSlice(void* context, UInt32 sliceStart, UInt32 sliceFrames,
                                   UInt32 totalFrames) override;
    virtual OSStatus ProcessBufferLists(AudioUnitRenderActionFlags& ioActionFlags,
                                        const AudioBufferList& inBuffer, AudioBufferList& outBuffer,
                                        UInt32 inFramesToProcess);

    // Kernels: none by default.
    virtual std::unique_ptr<AUKernelBase> NewKernel() { return nullptr; }

    bool ShouldBypassEffect() const { return bypassEffect.load(std::memory_order_relaxed); }
    virtual void SetBypassEffect(bool bypass) { bypassEffect.store(bypass, std::memory_order_relaxed); }
    void SetParamHasSampleRateDependency(bool dependent) { paramsDependOnSampleRate = dependent; }
    bool GetParamHasSampleRateDependency() const { return paramsDependOnSampleRate; }
    bool ProcessesInPlace() const { return processesInPlace.load(std::memory_order_relaxed); }

    Float64 GetSampleRate() { return GetOutput(0)->GetStreamFormat().mSampleRate; }
    UInt32 GetNumberOfChannels() { return GetOutput(0)->GetStreamFormat().mChannelsPerFrame; }

  private:
    std::vector<std::unique_ptr<AUKernelBase>> kernels;
    // Set by the host's threads, read by the render thread.
    std::atomic<bool> bypassEffect = false;
    bool paramsDependOnSampleRate = false;
    std::atomic<bool> processesInPlace;

    void maintainKernels();
};
