#pragma once

// The Audio Unit framework's unit: selector dispatch, scopes and elements,
// parameters, stream formats, buffers, the standard properties and property
// listeners. Effects derive from AUEffectBase.
//
// Threads: rendering runs on the host's render thread, everything else on
// its other threads one call at a time. Between the two cross parameter
// values, the bypass and in-place flags, the last render error, Reset and
// render-notification changes, all without a lock.

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "au/AUElementCreator.h"
#include "au/AUIOElement.h"
#include "au/AUInputElement.h"
#include "au/AUOutputElement.h"
#include "au/AUScope.h"
#include "au/CAStreamBasicDescription.h"
#include "au/ComponentBase.h"
#include "au/SharedHostCallbacks.h"
#include "au/TThreadSafeList.h"
#include "platform/audiounit/AudioUnit.h"

OSStatus AudioUnitBaseGetParameter(void* unit, AudioUnitParameterID id, AudioUnitScope scope,
                                   AudioUnitElement element, AudioUnitParameterValue* outValue);
OSStatus AudioUnitBaseSetParameter(void* unit, AudioUnitParameterID id, AudioUnitScope scope,
                                   AudioUnitElement element, AudioUnitParameterValue value,
                                   UInt32 bufferOffset);
OSStatus AudioUnitBaseRender(void* unit, AudioUnitRenderActionFlags* ioActionFlags,
                             const AudioTimeStamp* inTimeStamp, UInt32 inBusNumber, UInt32 inNumberFrames,
                             AudioBufferList* ioData);

class AUBase : public ComponentBase, public AUElementCreator {
  public:
    static constexpr UInt32 kDefaultMaxFramesPerSlice = 1156;

    AUBase(ComponentInstance instance, UInt32 numberOfInputs, UInt32 numberOfOutputs,
           UInt32 numberOfGroups = 0, UInt32 numberOfParts = 0);
    ~AUBase() override;

    // Selector dispatch of the Audio Unit calls; the rest as ComponentBase.
    static OSStatus ComponentEntryDispatch(ComponentParameters* params, AUBase* unit);

    void PostConstructor() override { CreateElements(); }
    void PreDestructor() override { DoCleanup(); }

    // Lifecycle.
    virtual OSStatus Initialize() { return noErr; }
    virtual void Cleanup() {}
    virtual OSStatus Reset(AudioUnitScope scope, AudioUnitElement element);
    OSStatus DoInitialize();
    void DoCleanup();
    bool IsInitialized() const { return initialized; }

    // Properties (the standard table, then these virtuals for everything else).
    virtual OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     UInt32& outDataSize, bool& outWritable);
    virtual OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 void* outData);
    virtual OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 const void* inData, UInt32 inDataSize);
    virtual OSStatus RemovePropertyValue(AudioUnitPropertyID id, AudioUnitScope scope,
                                         AudioUnitElement element);
    OSStatus DispatchGetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     UInt32& outDataSize, bool& outWritable);
    OSStatus DispatchGetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 void* outData);
    OSStatus DispatchSetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 const void* inData, UInt32 inDataSize);
    OSStatus DispatchRemovePropertyValue(AudioUnitPropertyID id, AudioUnitScope scope,
                                         AudioUnitElement element);

    // The class-info dictionary: save hands the caller a new dictionary it
    // owns; restore checks that the dictionary is this kind of unit's, then
    // applies parameters, preset name and element names.
    virtual OSStatus SaveState(CFPropertyListRef* outData);
    virtual OSStatus RestoreState(CFPropertyListRef plist);

    // Listeners, called synchronously on the thread that made the change.
    virtual OSStatus AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                         void* userData);
    virtual OSStatus RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                            void* userData, bool compareUserData);
    void PropertyChanged(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element);

    // Rendering (render thread), render notifications (any thread) and
    // scheduled parameter events (the render thread, before the render they
    // are for; a render uses them once, whatever its result).
    OSStatus DoRender(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                      UInt32 inBusNumber, UInt32 inNumberFrames, AudioBufferList& ioData);
    virtual OSStatus RenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                               UInt32 inBusNumber, UInt32 inNumberFrames);
    virtual OSStatus Render(AudioUnitRenderActionFlags&, const AudioTimeStamp&, UInt32) { return noErr; }
    virtual OSStatus SetRenderNotification(AURenderCallback proc, void* userData);
    virtual OSStatus RemoveRenderNotification(AURenderCallback proc, void* userData);
    virtual OSStatus ScheduleParameter(const AudioUnitParameterEvent* events, UInt32 numberOfEvents);

    // Input sources (main thread, while the unit does not render).
    virtual OSStatus SetConnection(const AudioUnitConnection& connection);
    virtual OSStatus SetInputCallback(AudioUnitPropertyID id, AudioUnitElement element, AURenderCallback proc,
                                      void* refCon);
    bool HasInput(AudioUnitElement element);
    const std::vector<AudioUnitParameterEvent>& GetScheduledEvents() const { return scheduledEvents; }
    // Splits frames at the scheduled events (sorting them by offset), gives
    // each element the events of each slice (skipping those for a scope,
    // element or parameter the unit lacks), and runs ProcessScheduledSlice
    // on each; stops at the first failure.
    virtual OSStatus ProcessForScheduledParams(UInt32 frames, void* context);
    virtual OSStatus ProcessScheduledSlice(void*, UInt32, UInt32, UInt32) { return noErr; }

    // Parameters.
    virtual OSStatus GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                                  AudioUnitParameterValue& outValue);
    virtual OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                                  AudioUnitParameterValue value, UInt32 bufferOffsetInFrames);
    virtual OSStatus SetGroupParameter(AudioUnitParameterID, AudioUnitElement, AudioUnitParameterValue,
                                       UInt32)
    {
        return kAudioUnitErr_InvalidScope;
    }
    virtual OSStatus GetGroupParameter(AudioUnitParameterID, AudioUnitElement, AudioUnitParameterValue&)
    {
        return kAudioUnitErr_InvalidScope;
    }
    virtual OSStatus GetParameterList(AudioUnitScope scope, AudioUnitParameterID* outList, UInt32& outCount);
    virtual OSStatus GetParameterInfo(AudioUnitScope, AudioUnitParameterID, AudioUnitParameterInfo&)
    {
        return kAudioUnitErr_InvalidParameter;
    }
    virtual OSStatus GetParameterValueStrings(AudioUnitScope, AudioUnitParameterID, CFArrayRef*)
    {
        return kAudioUnitErr_InvalidProperty;
    }

    // Element counts.
    virtual bool BusCountWritable(AudioUnitScope) { return false; }
    virtual OSStatus SetBusCount(AudioUnitScope scope, UInt32 count);

    // Presets, views, latency and tail.
    virtual OSStatus GetPresets(CFArrayRef*) { return kAudioUnitErr_InvalidProperty; }
    virtual OSStatus NewFactoryPresetSet(const AUPreset&) { return kAudioUnitErr_InvalidProperty; }
    // Makes preset (number and name) the current one, retaining the name.
    void SetAFactoryPresetAsCurrent(const AUPreset& preset);
    virtual int GetNumCustomUIComponents() { return 0; }
    virtual void GetUIComponentDescs(ComponentDescription*) {}
    virtual CFURLRef CopyIconLocation() { return nullptr; }
    bool HasIcon();
    virtual Float64 GetLatency() { return 0.0; }
    virtual Float64 GetTailTime() { return 0.0; }
    virtual bool SupportsTail() { return false; }
    // The channel-pair table (outTable may be null); its number of entries.
    virtual UInt32 SupportedNumChannels(const AUChannelInfo** outTable)
    {
        if (outTable) *outTable = nullptr;
        return 0;
    }

    // Stream formats.
    virtual bool StreamFormatWritable(AudioUnitScope scope, AudioUnitElement element) = 0;
    virtual bool ValidFormat(AudioUnitScope scope, AudioUnitElement element,
                             const CAStreamBasicDescription& format);
    bool FormatIsCanonical(const CAStreamBasicDescription& format) const;
    virtual const CAStreamBasicDescription& GetStreamFormat(AudioUnitScope scope, AudioUnitElement element);
    bool IsStreamFormatWritable(AudioUnitScope scope, AudioUnitElement element);
    virtual OSStatus ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                        const CAStreamBasicDescription& previous,
                                        const CAStreamBasicDescription& format);
    // What every IO element starts with: 44.1 kHz stereo float, canonical.
    CAStreamBasicDescription DefaultStreamFormat() const;

    // Scopes and elements.
    std::unique_ptr<AUElement> CreateElement(AudioUnitScope scope, AudioUnitElement element) override;
    void CreateElements();
    AUScope& GetScope(AudioUnitScope scope);
    AUElement* GetElement(AudioUnitScope scope, AudioUnitElement element)
    {
        return GetScope(scope).GetElement(element);
    }
    AUElement* SafeGetElement(AudioUnitScope scope, AudioUnitElement element)
    {
        return GetScope(scope).SafeGetElement(element);
    }
    AUIOElement* GetIOElement(AudioUnitScope scope, AudioUnitElement element)
    {
        return GetScope(scope).GetIOElement(element);
    }
    AUElement* Globals() { return scopes[kAudioUnitScope_Global].SafeGetElement(0); }
    AUInputElement* GetInput(AudioUnitElement element);
    AUOutputElement* GetOutput(AudioUnitElement element);

    // Slice size and buffers.
    virtual void ReallocateBuffers();
    virtual void SetMaxFramesPerSlice(UInt32 frames);
    virtual OSStatus CanSetMaxFrames() const { return initialized ? kAudioUnitErr_Initialized : noErr; }
    UInt32 GetMaxFramesPerSlice() const { return maxFramesPerSlice; }

    // Channel layouts.
    virtual UInt32 GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element,
                                        AudioChannelLayoutTag* outTags);
    virtual UInt32 GetAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element,
                                         AudioChannelLayout* outLayout, bool& outWritable);
    virtual OSStatus SetAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element,
                                           const AudioChannelLayout* layout);
    virtual OSStatus RemoveAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element);

    // A consistent copy, safe on the render thread while a host replaces them.
    HostCallbackInfo GetHostCallbackInfo() const { return hostCallbacks.load(); }

    struct PropertyListener {
        AudioUnitPropertyID propertyID;
        AudioUnitPropertyListenerProc listenerProc;
        void* listenerRefCon;
        uint64_t serial; // tells registrations apart, duplicates included
    };

  private:
    bool elementsCreated = false;
    // Read by the render thread, changed by a host's thread.
    std::atomic<bool> initialized = false;
    bool buffersAllocated = false;
    UInt8 audioUnitAPIVersion = 2;
    UInt32 initialNumberOfInputs;
    UInt32 initialNumberOfOutputs;
    UInt32 initialNumberOfGroups;
    UInt32 initialNumberOfParts;
    std::array<AUScope, 5> scopes;
    UInt32 maxFramesPerSlice = kDefaultMaxFramesPerSlice;
    // Reset from a host's thread while the render thread may be rendering.
    std::atomic<Float64> lastRenderedSampleTime = -1.0;
    std::vector<PropertyListener> propertyListeners;
    uint64_t listenerSerial = 0;
    AUPreset currentPreset{-1, nullptr};
    CFStringRef contextName = nullptr;
    au::detail::SharedHostCallbacks hostCallbacks;
    // Recorded by the render thread, read and cleared by a host's thread.
    std::atomic<OSStatus> lastRenderError = noErr;

    struct RenderCallback {
        AURenderCallback proc;
        void* userData;
        bool operator==(const RenderCallback&) const = default;
    };
    TThreadSafeList<RenderCallback> renderCallbacks;
    std::vector<AudioUnitParameterEvent> scheduledEvents;

    OSStatus DoRenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                         UInt32 inBusNumber, AUOutputElement& output, UInt32 inNumberFrames,
                         AudioBufferList& ioData);
    void notifyRender(AudioUnitRenderActionFlags flags, const AudioTimeStamp& inTimeStamp, UInt32 inBusNumber,
                      UInt32 inNumberFrames, AudioBufferList& ioData);
    void recordRenderError(OSStatus error);

    // The element whose format a scope's stream format is.
    AUIOElement* streamElement(AudioUnitScope scope, AudioUnitElement element);
    OSStatus setStreamFormatProperty(AudioUnitScope scope, AudioUnitElement element,
                                     const CAStreamBasicDescription& format);

    // The standard property table and the Audio Unit selectors' handlers.
    struct PropertyHandlers;
    struct SelectorHandlers;
};
