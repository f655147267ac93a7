// AUBase: the standard property table and the default property answers.

#include <algorithm>
#include <cstring>

#include "au/AUBase.h"

namespace {

template <typename T> void store(void* outData, const T& value)
{
    std::memcpy(outData, &value, sizeof(T));
}

template <typename T> T load(const void* inData)
{
    T value;
    std::memcpy(&value, inData, sizeof(T));
    return value;
}

// A stream format may be set without its trailing reserved word.
constexpr UInt32 kMinStreamFormatSize = offsetof(AudioStreamBasicDescription, mReserved);
// A channel layout's fields before its channel descriptions.
constexpr UInt32 kChannelLayoutHeaderSize = offsetof(AudioChannelLayout, mChannelDescriptions);
// External buffers must suit vector loads and stores.
constexpr uintptr_t kExternalBufferAlignment = 16;

bool globalOrInput(AudioUnitScope scope)
{
    return scope == kAudioUnitScope_Global || scope == kAudioUnitScope_Input;
}

} // namespace

OSStatus AUBase::GetPropertyInfo(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, UInt32&, bool&)
{
    return kAudioUnitErr_InvalidProperty;
}

OSStatus AUBase::GetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, void*)
{
    return kAudioUnitErr_InvalidProperty;
}

OSStatus AUBase::SetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, const void*, UInt32)
{
    return kAudioUnitErr_InvalidProperty;
}

OSStatus AUBase::RemovePropertyValue(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
    return kAudioUnitErr_InvalidPropertyValue;
}

// The standard properties, one row each: how the info call checks scope and
// element, and the handlers of info, get, set and remove. A row without a
// handler for an operation leaves it to the unit's virtual one.
struct AUBase::PropertyHandlers {
    // Rows marked "global only" refuse other scopes; "element must exist"
    // rows report their size and flag, then refuse a missing element.
    enum Rule { kAnyScope, kAnyScopeElementExists, kGlobalOnly, kGlobalElementExists };
    using Info = OSStatus (*)(AUBase&, AudioUnitScope, AudioUnitElement, UInt32& size, bool& writable);
    using Get = OSStatus (*)(AUBase&, AudioUnitScope, AudioUnitElement, void* outData);
    using Set = OSStatus (*)(AUBase&, AudioUnitScope, AudioUnitElement, const void* inData, UInt32 size);
    using Remove = OSStatus (*)(AUBase&, AudioUnitScope, AudioUnitElement);

    struct Row {
        AudioUnitPropertyID id;
        Rule rule;
        Info info;
        Get get;
        // Null: the virtual SetProperty, without notifying.
        Set set;
        Remove remove;
    };

    static const Row* find(AudioUnitPropertyID id);

    // The info of rows whose size is that of one record and whose
    // writability is fixed.
    template <typename Record, bool kWritable>
    static OSStatus recordInfo(AUBase&, AudioUnitScope, AudioUnitElement, UInt32& size, bool& writable)
    {
        size = sizeof(Record);
        writable = kWritable;
        return noErr;
    }
    static OSStatus checkRule(AUBase& unit, Rule rule, AudioUnitScope scope, AudioUnitElement element);

    // 0 ClassInfo: the saved-state dictionary.
    static OSStatus getClassInfo(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        store<CFPropertyListRef>(outData, nullptr);
        return unit.SaveState(static_cast<CFPropertyListRef*>(outData));
    }
    static OSStatus setClassInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement, const void* inData,
                                 UInt32 size)
    {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        if (size != sizeof(CFPropertyListRef)) return kAudioUnitErr_InvalidPropertyValue;
        return unit.RestoreState(load<CFPropertyListRef>(inData));
    }

    // 1 MakeConnection: input from another unit.
    static OSStatus makeConnectionInfo(AUBase&, AudioUnitScope scope, AudioUnitElement, UInt32& size,
                                       bool& writable)
    {
        if (!globalOrInput(scope)) return kAudioUnitErr_InvalidScope;
        size = sizeof(AudioUnitConnection);
        writable = true;
        return noErr;
    }
    static OSStatus setMakeConnection(AUBase& unit, AudioUnitScope, AudioUnitElement, const void* inData,
                                      UInt32 size)
    {
        if (size < sizeof(AudioUnitConnection)) return kAudioUnitErr_InvalidPropertyValue;
        return unit.SetConnection(load<AudioUnitConnection>(inData));
    }

    // 2 SampleRate and 8 StreamFormat.
    static OSStatus sampleRateInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, UInt32& size,
                                   bool& writable)
    {
        size = sizeof(Float64);
        return streamFormatWritable(unit, scope, element, writable);
    }
    static OSStatus getSampleRate(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, void* outData)
    {
        store(outData, unit.GetStreamFormat(scope, element).mSampleRate);
        return noErr;
    }
    static OSStatus setSampleRate(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                  const void* inData, UInt32 size)
    {
        if (size != sizeof(Float64)) return kAudioUnitErr_InvalidPropertyValue;
        unit.SafeGetElement(scope, element);
        CAStreamBasicDescription format = unit.GetStreamFormat(scope, element);
        format.mSampleRate = load<Float64>(inData);
        return unit.setStreamFormatProperty(scope, element, format);
    }
    static OSStatus streamFormatInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                     UInt32& size, bool& writable)
    {
        size = sizeof(AudioStreamBasicDescription);
        return streamFormatWritable(unit, scope, element, writable);
    }
    static OSStatus getStreamFormat(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                    void* outData)
    {
        store<AudioStreamBasicDescription>(outData, unit.GetStreamFormat(scope, element));
        return noErr;
    }
    static OSStatus setStreamFormat(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                    const void* inData, UInt32 size)
    {
        if (size < kMinStreamFormatSize) return kAudioUnitErr_InvalidPropertyValue;
        unit.SafeGetElement(scope, element);
        CAStreamBasicDescription format;
        std::memcpy(static_cast<AudioStreamBasicDescription*>(&format), inData, kMinStreamFormatSize);
        return unit.setStreamFormatProperty(scope, element, format);
    }
    // The element must exist before its format is asked whether it is writable.
    static OSStatus streamFormatWritable(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                         bool& writable)
    {
        if (unit.GetElement(scope, element) == nullptr) return kAudioUnitErr_InvalidElement;
        writable = unit.IsStreamFormatWritable(scope, element);
        return noErr;
    }

    // 3 ParameterList and 4 ParameterInfo.
    static OSStatus parameterListInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement, UInt32& size,
                                      bool&)
    {
        UInt32 count = 0;
        const OSStatus result = unit.GetParameterList(scope, nullptr, count);
        if (result != noErr) return result;
        size = count * sizeof(AudioUnitParameterID);
        return noErr;
    }
    static OSStatus getParameterList(AUBase& unit, AudioUnitScope scope, AudioUnitElement, void* outData)
    {
        UInt32 count = 0;
        return unit.GetParameterList(scope, static_cast<AudioUnitParameterID*>(outData), count);
    }
    static OSStatus getParameterInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement id, void* outData)
    {
        // Zeroed whole, so the fields a unit leaves alone (the unit-name
        // string, the clump id, the name fields of an id without a name) read
        // as zero rather than as what the caller had there: a host handing
        // over an uninitialised record would otherwise take stray bytes for a
        // string to release.
        auto& info = *static_cast<AudioUnitParameterInfo*>(outData);
        std::memset(&info, 0, sizeof info);
        return unit.GetParameterInfo(scope, id, info);
    }

    // 5 FastDispatch: the functions that skip the component call.
    static OSStatus getFastDispatch(AUBase& unit, AudioUnitScope scope, AudioUnitElement selector,
                                    void* outData)
    {
        void* procedure = nullptr;
        switch (selector) {
        case kAudioUnitGetParameterSelect:
            procedure = reinterpret_cast<void*>(AudioUnitBaseGetParameter);
            break;
        case kAudioUnitSetParameterSelect:
            procedure = reinterpret_cast<void*>(AudioUnitBaseSetParameter);
            break;
        case kAudioUnitRenderSelect:
            procedure = reinterpret_cast<void*>(AudioUnitBaseRender);
            break;
        default:
            return unit.GetProperty(kAudioUnitProperty_FastDispatch, scope, selector, outData);
        }
        if (unit.audioUnitAPIVersion <= 1) return kAudioUnitErr_InvalidElement;
        store(outData, procedure);
        return noErr;
    }

    // 11 ElementCount.
    static OSStatus elementCountInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement, UInt32& size,
                                     bool& writable)
    {
        size = sizeof(UInt32);
        writable = unit.BusCountWritable(scope);
        unit.GetScope(scope);
        return noErr;
    }
    static OSStatus getElementCount(AUBase& unit, AudioUnitScope scope, AudioUnitElement, void* outData)
    {
        store(outData, unit.GetScope(scope).GetNumberOfElements());
        return noErr;
    }
    static OSStatus setElementCount(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                    const void* inData, UInt32 size)
    {
        if (size != sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
        if (!unit.BusCountWritable(scope)) return kAudioUnitErr_PropertyNotWritable;
        return notifyOnSuccess(unit, kAudioUnitProperty_ElementCount, scope, element,
                               unit.SetBusCount(scope, load<UInt32>(inData)));
    }

    // 12 Latency and 20 TailTime, in seconds.
    static OSStatus getLatency(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        store(outData, unit.GetLatency());
        return noErr;
    }
    static OSStatus getTailTime(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        if (!unit.SupportsTail()) return kAudioUnitErr_InvalidProperty;
        store(outData, unit.GetTailTime());
        return noErr;
    }

    // 13 SupportedNumChannels.
    static OSStatus supportedNumChannelsInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement,
                                             UInt32& size, bool&)
    {
        size = unit.SupportedNumChannels(nullptr) * sizeof(AUChannelInfo);
        return scope == kAudioUnitScope_Global && size == 0 ? kAudioUnitErr_InvalidProperty : noErr;
    }
    static OSStatus getSupportedNumChannels(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        const AUChannelInfo* table = nullptr;
        const UInt32 count = unit.SupportedNumChannels(&table);
        if (count > 0) std::memcpy(outData, table, count * sizeof(AUChannelInfo));
        return noErr;
    }

    // 14 MaximumFramesPerSlice.
    static OSStatus getMaximumFrames(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        store(outData, unit.maxFramesPerSlice);
        return noErr;
    }
    static OSStatus setMaximumFrames(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                     const void* inData, UInt32 size)
    {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        unit.SafeGetElement(scope, element);
        if (size != sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
        const OSStatus result = unit.CanSetMaxFrames();
        if (result != noErr) return result;
        unit.SetMaxFramesPerSlice(load<UInt32>(inData));
        return noErr;
    }

    // 15 SetExternalBuffer.
    static OSStatus setExternalBuffer(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                      const void* inData, UInt32 size)
    {
        if (size < sizeof(AudioUnitExternalBuffer)) return kAudioUnitErr_InvalidPropertyValue;
        if (!unit.initialized) return kAudioUnitErr_Uninitialized;
        const auto buffer = load<AudioUnitExternalBuffer>(inData);
        if (reinterpret_cast<uintptr_t>(buffer.buffer) % kExternalBufferAlignment != 0) return paramErr;
        AUIOElement* io = scope == kAudioUnitScope_Input ? static_cast<AUIOElement*>(unit.GetInput(element))
                                                         : static_cast<AUIOElement*>(unit.GetOutput(element));
        io->IOBuffer().UseExternalBuffer(io->GetStreamFormat(), buffer);
        return noErr;
    }

    // 16 ParameterValueStrings.
    static OSStatus getParameterValueStrings(AUBase& unit, AudioUnitScope scope, AudioUnitElement id,
                                             void* outData)
    {
        return unit.GetParameterValueStrings(scope, id, static_cast<CFArrayRef*>(outData));
    }

    // 18 GetUIComponentList.
    static OSStatus uiComponentListInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement, UInt32& size,
                                        bool&)
    {
        size = static_cast<UInt32>(unit.GetNumCustomUIComponents()) * sizeof(ComponentDescription);
        return scope == kAudioUnitScope_Global && size == 0 ? kAudioUnitErr_InvalidProperty : noErr;
    }
    static OSStatus getUIComponentList(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        unit.GetUIComponentDescs(static_cast<ComponentDescription*>(outData));
        return noErr;
    }

    // 19 AudioChannelLayout.
    static OSStatus channelLayoutInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                      UInt32& size, bool& writable)
    {
        size = unit.GetAudioChannelLayout(scope, element, nullptr, writable);
        if (size > 0) return noErr;
        return unit.GetChannelLayoutTags(scope, element, nullptr) > 0 ? kAudioUnitErr_InvalidPropertyValue
                                                                      : kAudioUnitErr_InvalidProperty;
    }
    static OSStatus getChannelLayout(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                     void* outData)
    {
        bool writable = false;
        const UInt32 size =
            unit.GetAudioChannelLayout(scope, element, static_cast<AudioChannelLayout*>(outData), writable);
        return size == 0 ? kAudioUnitErr_InvalidProperty : noErr;
    }
    static OSStatus setChannelLayout(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                     const void* inData, UInt32 size)
    {
        if (size < kChannelLayoutHeaderSize) return kAudioUnitErr_InvalidPropertyValue;
        const auto* layout = static_cast<const AudioChannelLayout*>(inData);
        if (size < kChannelLayoutHeaderSize + static_cast<UInt64>(layout->mNumberChannelDescriptions) *
                                                  sizeof(AudioChannelDescription))
            return kAudioUnitErr_InvalidPropertyValue;
        return notifyOnSuccess(unit, kAudioUnitProperty_AudioChannelLayout, scope, element,
                               unit.SetAudioChannelLayout(scope, element, layout));
    }
    static OSStatus removeChannelLayout(AUBase& unit, AudioUnitScope scope, AudioUnitElement element)
    {
        return notifyOnSuccess(unit, kAudioUnitProperty_AudioChannelLayout, scope, element,
                               unit.RemoveAudioChannelLayout(scope, element));
    }

    // 22 LastRenderError: reading clears it.
    static OSStatus getLastRenderError(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        store(outData, unit.lastRenderError.exchange(noErr));
        return noErr;
    }

    // 23 SetRenderCallback: input from a host function.
    static OSStatus renderCallbackInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement, UInt32& size,
                                       bool& writable)
    {
        if (!globalOrInput(scope)) return kAudioUnitErr_InvalidScope;
        if (unit.audioUnitAPIVersion <= 1) return kAudioUnitErr_InvalidProperty;
        size = sizeof(AURenderCallbackStruct);
        writable = true;
        return noErr;
    }
    static OSStatus setRenderCallback(AUBase& unit, AudioUnitScope, AudioUnitElement element,
                                      const void* inData, UInt32 size)
    {
        if (size < sizeof(AURenderCallbackStruct)) return kAudioUnitErr_InvalidPropertyValue;
        if (unit.audioUnitAPIVersion <= 1) return kAudioUnitErr_InvalidProperty;
        const auto callback = load<AURenderCallbackStruct>(inData);
        return unit.SetInputCallback(kAudioUnitProperty_SetRenderCallback, element, callback.inputProc,
                                     callback.inputProcRefCon);
    }

    // 24 FactoryPresets.
    static OSStatus factoryPresetsInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement, UInt32& size,
                                       bool&)
    {
        size = sizeof(CFArrayRef);
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        return unit.GetPresets(nullptr);
    }
    static OSStatus getFactoryPresets(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        store<CFArrayRef>(outData, nullptr);
        return unit.GetPresets(static_cast<CFArrayRef*>(outData));
    }

    // 25 ContextName and 30 ElementName: strings the caller gets retained.
    static OSStatus getContextName(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        return storeRetained(outData, unit.contextName);
    }
    static OSStatus setContextName(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                   const void* inData, UInt32 size)
    {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        if (size != sizeof(CFStringRef)) return kAudioUnitErr_InvalidPropertyValue;
        const auto name = load<CFStringRef>(inData);
        if (name) CFRetain(name);
        if (unit.contextName) CFRelease(unit.contextName);
        unit.contextName = name;
        unit.PropertyChanged(kAudioUnitProperty_ContextName, kAudioUnitScope_Global, element);
        return noErr;
    }
    static OSStatus removeContextName(AUBase& unit, AudioUnitScope, AudioUnitElement)
    {
        if (unit.contextName) CFRelease(unit.contextName);
        unit.contextName = nullptr;
        return noErr;
    }
    static OSStatus getElementName(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                   void* outData)
    {
        return storeRetained(outData, unit.SafeGetElement(scope, element)->GetName());
    }
    static OSStatus setElementName(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                   const void* inData, UInt32 size)
    {
        AUElement* target = unit.SafeGetElement(scope, element);
        if (size != sizeof(CFStringRef)) return kAudioUnitErr_InvalidPropertyValue;
        target->SetName(load<CFStringRef>(inData));
        unit.PropertyChanged(kAudioUnitProperty_ElementName, scope, element);
        return noErr;
    }
    static OSStatus storeRetained(void* outData, CFStringRef name)
    {
        if (name == nullptr) return kAudioUnitErr_InvalidPropertyValue;
        CFRetain(name);
        store(outData, name);
        return noErr;
    }

    // 27 HostCallbacks: the host's user data and its beat, time and
    // transport functions.
    static OSStatus getHostCallbacks(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        store(outData, unit.hostCallbacks.load());
        return noErr;
    }
    // A short block keeps the words it gives and zeroes the rest.
    static OSStatus setHostCallbacks(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                     const void* inData, UInt32 size)
    {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        unit.SafeGetElement(scope, element);
        HostCallbackInfo info{};
        std::memcpy(&info, inData, std::min<size_t>(size, sizeof info));
        replaceHostCallbacks(unit, info, scope, element);
        return noErr;
    }
    static OSStatus removeHostCallbacks(AUBase& unit, AudioUnitScope scope, AudioUnitElement element)
    {
        replaceHostCallbacks(unit, HostCallbackInfo{}, scope, element);
        return noErr;
    }
    static void replaceHostCallbacks(AUBase& unit, const HostCallbackInfo& info, AudioUnitScope scope,
                                     AudioUnitElement element)
    {
        const HostCallbackInfo previous = unit.hostCallbacks.load();
        const bool changed = std::memcmp(&info, &previous, sizeof info) != 0;
        unit.hostCallbacks.store(info);
        if (changed) unit.PropertyChanged(kAudioUnitProperty_HostCallbacks, scope, element);
    }

    // 28 CurrentPreset and 36 PresentPreset; the present one hands the
    // caller a reference of its own to the name.
    static OSStatus getCurrentPreset(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        store(outData, unit.currentPreset);
        return noErr;
    }
    static OSStatus getPresentPreset(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        if (unit.currentPreset.presetName) CFRetain(unit.currentPreset.presetName);
        store(outData, unit.currentPreset);
        return noErr;
    }
    static OSStatus setCurrentPreset(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                     const void* inData, UInt32 size)
    {
        return setPreset(unit, kAudioUnitProperty_CurrentPreset, scope, element, inData, size);
    }
    static OSStatus setPresentPreset(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                     const void* inData, UInt32 size)
    {
        return setPreset(unit, kAudioUnitProperty_PresentPreset, scope, element, inData, size);
    }
    // A number from 0 on chooses a factory preset; a negative one names the
    // unit's present settings.
    static OSStatus setPreset(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, const void* inData, UInt32 size)
    {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        unit.SafeGetElement(scope, element);
        if (size != sizeof(AUPreset)) return kAudioUnitErr_InvalidPropertyValue;
        const auto preset = load<AUPreset>(inData);
        if (preset.presetNumber >= 0) {
            const OSStatus result = unit.NewFactoryPresetSet(preset);
            if (result != noErr) return result;
        } else {
            if (preset.presetName == nullptr) return kAudioUnitErr_InvalidPropertyValue;
            unit.SetAFactoryPresetAsCurrent(preset);
        }
        unit.PropertyChanged(id, kAudioUnitScope_Global, 0);
        return noErr;
    }

    // 32 SupportedChannelLayoutTags.
    static OSStatus channelLayoutTagsInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                          UInt32& size, bool&)
    {
        size = unit.GetChannelLayoutTags(scope, element, nullptr) * sizeof(AudioChannelLayoutTag);
        return size == 0 ? kAudioUnitErr_InvalidProperty : noErr;
    }
    static OSStatus getChannelLayoutTags(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                                         void* outData)
    {
        return unit.GetChannelLayoutTags(scope, element, static_cast<AudioChannelLayoutTag*>(outData)) > 0
                   ? noErr
                   : kAudioUnitErr_InvalidProperty;
    }

    // 39 IconLocation.
    static OSStatus iconLocationInfo(AUBase& unit, AudioUnitScope scope, AudioUnitElement, UInt32& size,
                                     bool&)
    {
        size = sizeof(CFURLRef);
        return scope == kAudioUnitScope_Global && !unit.HasIcon() ? kAudioUnitErr_InvalidProperty : noErr;
    }
    static OSStatus getIconLocation(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
    {
        CFURLRef location = unit.CopyIconLocation();
        if (location == nullptr) return kAudioUnitErr_InvalidProperty;
        store(outData, location);
        return noErr;
    }

    static OSStatus notifyOnSuccess(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                    AudioUnitElement element, OSStatus result)
    {
        if (result == noErr) unit.PropertyChanged(id, scope, element);
        return result;
    }

    static constexpr Row kRows[] = {
        {kAudioUnitProperty_ClassInfo, kGlobalOnly, recordInfo<CFPropertyListRef, true>, getClassInfo,
         setClassInfo, nullptr},
        {kAudioUnitProperty_MakeConnection, kAnyScope, makeConnectionInfo, nullptr, setMakeConnection,
         nullptr},
        {kAudioUnitProperty_SampleRate, kAnyScope, sampleRateInfo, getSampleRate, setSampleRate, nullptr},
        {kAudioUnitProperty_ParameterList, kAnyScope, parameterListInfo, getParameterList, nullptr, nullptr},
        {kAudioUnitProperty_ParameterInfo, kAnyScope, recordInfo<AudioUnitParameterInfo, false>,
         getParameterInfo, nullptr, nullptr},
        {kAudioUnitProperty_FastDispatch, kGlobalOnly, recordInfo<void*, false>, getFastDispatch, nullptr,
         nullptr},
        {kAudioUnitProperty_StreamFormat, kAnyScope, streamFormatInfo, getStreamFormat, setStreamFormat,
         nullptr},
        {kAudioUnitProperty_ElementCount, kAnyScope, elementCountInfo, getElementCount, setElementCount,
         nullptr},
        {kAudioUnitProperty_Latency, kGlobalElementExists, recordInfo<Float64, false>, getLatency, nullptr,
         nullptr},
        {kAudioUnitProperty_SupportedNumChannels, kGlobalElementExists, supportedNumChannelsInfo,
         getSupportedNumChannels, nullptr, nullptr},
        {kAudioUnitProperty_MaximumFramesPerSlice, kGlobalElementExists, recordInfo<UInt32, true>,
         getMaximumFrames, setMaximumFrames, nullptr},
        {kAudioUnitProperty_SetExternalBuffer, kAnyScope, nullptr, nullptr, setExternalBuffer, nullptr},
        {kAudioUnitProperty_ParameterValueStrings, kAnyScope, recordInfo<CFArrayRef, false>,
         getParameterValueStrings, nullptr, nullptr},
        {kAudioUnitProperty_GetUIComponentList, kGlobalElementExists, uiComponentListInfo, getUIComponentList,
         nullptr, nullptr},
        {kAudioUnitProperty_AudioChannelLayout, kAnyScope, channelLayoutInfo, getChannelLayout,
         setChannelLayout, removeChannelLayout},
        {kAudioUnitProperty_TailTime, kGlobalElementExists, recordInfo<Float64, false>, getTailTime, nullptr,
         nullptr},
        {kAudioUnitProperty_LastRenderError, kGlobalElementExists, recordInfo<OSStatus, false>,
         getLastRenderError, nullptr, nullptr},
        {kAudioUnitProperty_SetRenderCallback, kAnyScope, renderCallbackInfo, nullptr, setRenderCallback,
         nullptr},
        {kAudioUnitProperty_FactoryPresets, kGlobalElementExists, factoryPresetsInfo, getFactoryPresets,
         nullptr, nullptr},
        {kAudioUnitProperty_ContextName, kGlobalOnly, recordInfo<CFStringRef, true>, getContextName,
         setContextName, removeContextName},
        {kAudioUnitProperty_HostCallbacks, kGlobalElementExists, recordInfo<HostCallbackInfo, true>,
         getHostCallbacks, setHostCallbacks, removeHostCallbacks},
        {kAudioUnitProperty_CurrentPreset, kGlobalElementExists, recordInfo<AUPreset, true>, getCurrentPreset,
         setCurrentPreset, nullptr},
        {kAudioUnitProperty_ElementName, kAnyScopeElementExists, recordInfo<CFStringRef, true>,
         getElementName, setElementName, nullptr},
        {kAudioUnitProperty_SupportedChannelLayoutTags, kAnyScope, channelLayoutTagsInfo,
         getChannelLayoutTags, nullptr, nullptr},
        {kAudioUnitProperty_PresentPreset, kGlobalElementExists, recordInfo<AUPreset, true>, getPresentPreset,
         setPresentPreset, nullptr},
        {kAudioUnitProperty_IconLocation, kGlobalElementExists, iconLocationInfo, getIconLocation, nullptr,
         nullptr},
    };
};

const AUBase::PropertyHandlers::Row* AUBase::PropertyHandlers::find(AudioUnitPropertyID id)
{
    const auto found = std::ranges::find(kRows, id, &Row::id);
    return found == std::end(kRows) ? nullptr : found;
}

OSStatus AUBase::PropertyHandlers::checkRule(AUBase& unit, Rule rule, AudioUnitScope scope,
                                             AudioUnitElement element)
{
    if ((rule == kGlobalOnly || rule == kGlobalElementExists) && scope != kAudioUnitScope_Global)
        return kAudioUnitErr_InvalidScope;
    if ((rule == kAnyScopeElementExists || rule == kGlobalElementExists) &&
        unit.GetElement(scope, element) == nullptr)
        return kAudioUnitErr_InvalidElement;
    return noErr;
}

OSStatus AUBase::DispatchGetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope,
                                         AudioUnitElement element, UInt32& outDataSize, bool& outWritable)
{
    outWritable = false;
    const PropertyHandlers::Row* row = PropertyHandlers::find(id);
    if (row == nullptr || row->info == nullptr)
        return GetPropertyInfo(id, scope, element, outDataSize, outWritable);
    const OSStatus result = row->info(*this, scope, element, outDataSize, outWritable);
    if (result != noErr) return result;
    return PropertyHandlers::checkRule(*this, row->rule, scope, element);
}

OSStatus AUBase::DispatchGetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     void* outData)
{
    const PropertyHandlers::Row* row = PropertyHandlers::find(id);
    if (row == nullptr || row->get == nullptr) return GetProperty(id, scope, element, outData);
    return row->get(*this, scope, element, outData);
}

OSStatus AUBase::DispatchSetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     const void* inData, UInt32 inDataSize)
{
    const PropertyHandlers::Row* row = PropertyHandlers::find(id);
    if (row == nullptr)
        return PropertyHandlers::notifyOnSuccess(*this, id, scope, element,
                                                 SetProperty(id, scope, element, inData, inDataSize));
    if (row->set == nullptr) return SetProperty(id, scope, element, inData, inDataSize);
    return row->set(*this, scope, element, inData, inDataSize);
}

OSStatus AUBase::DispatchRemovePropertyValue(AudioUnitPropertyID id, AudioUnitScope scope,
                                             AudioUnitElement element)
{
    const PropertyHandlers::Row* row = PropertyHandlers::find(id);
    if (row == nullptr || row->remove == nullptr) return RemovePropertyValue(id, scope, element);
    return row->remove(*this, scope, element);
}

void AUBase::SetAFactoryPresetAsCurrent(const AUPreset& preset)
{
    if (preset.presetName) CFRetain(preset.presetName);
    if (currentPreset.presetName) CFRelease(currentPreset.presetName);
    currentPreset = preset;
}
