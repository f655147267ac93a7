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

OSStatus AUBase::DispatchGetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope,
                                         AudioUnitElement element, UInt32& outDataSize, bool& outWritable)
{
    // Rows marked "global only" refuse other scopes; "element must exist"
    // rows report their size and flag, then refuse a missing element.
    enum Rule { kAnyScope, kAnyScopeElementExists, kGlobalOnly, kGlobalElementExists };
    Rule rule = kAnyScope;
    outWritable = false;
    switch (id) {
    case kAudioUnitProperty_ClassInfo:
        rule = kGlobalOnly;
        outDataSize = sizeof(CFPropertyListRef);
        outWritable = true;
        break;
    case kAudioUnitProperty_MakeConnection:
        if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input)
            return kAudioUnitErr_InvalidScope;
        outDataSize = sizeof(AudioUnitConnection);
        outWritable = true;
        break;
    case kAudioUnitProperty_FastDispatch:
        rule = kGlobalOnly;
        outDataSize = sizeof(void*);
        break;
    case kAudioUnitProperty_SetRenderCallback:
        if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input)
            return kAudioUnitErr_InvalidScope;
        if (audioUnitAPIVersion <= 1) return kAudioUnitErr_InvalidProperty;
        outDataSize = sizeof(AURenderCallbackStruct);
        outWritable = true;
        break;
    case kAudioUnitProperty_SampleRate:
        rule = kAnyScopeElementExists;
        outDataSize = sizeof(Float64);
        break;
    case kAudioUnitProperty_StreamFormat:
        rule = kAnyScopeElementExists;
        outDataSize = sizeof(AudioStreamBasicDescription);
        break;
    case kAudioUnitProperty_ParameterList: {
        UInt32 count = 0;
        const OSStatus result = GetParameterList(scope, nullptr, count);
        if (result != noErr) return result;
        outDataSize = count * sizeof(AudioUnitParameterID);
        break;
    }
    case kAudioUnitProperty_ParameterInfo:
        outDataSize = sizeof(AudioUnitParameterInfo);
        break;
    case kAudioUnitProperty_ElementCount:
        outDataSize = sizeof(UInt32);
        outWritable = BusCountWritable(scope);
        GetScope(scope);
        break;
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
        rule = kGlobalElementExists;
        outDataSize = sizeof(Float64);
        break;
    case kAudioUnitProperty_SupportedNumChannels:
        rule = kGlobalElementExists;
        outDataSize = SupportedNumChannels(nullptr) * sizeof(AUChannelInfo);
        if (scope == kAudioUnitScope_Global && outDataSize == 0) return kAudioUnitErr_InvalidProperty;
        break;
    case kAudioUnitProperty_MaximumFramesPerSlice:
        rule = kGlobalElementExists;
        outDataSize = sizeof(UInt32);
        outWritable = true;
        break;
    case kAudioUnitProperty_ParameterValueStrings:
        outDataSize = sizeof(CFArrayRef);
        break;
    case kAudioUnitProperty_GetUIComponentList:
        rule = kGlobalElementExists;
        outDataSize = static_cast<UInt32>(GetNumCustomUIComponents()) * sizeof(ComponentDescription);
        if (scope == kAudioUnitScope_Global && outDataSize == 0) return kAudioUnitErr_InvalidProperty;
        break;
    case kAudioUnitProperty_AudioChannelLayout:
        outDataSize = GetAudioChannelLayout(scope, element, nullptr, outWritable);
        if (outDataSize == 0)
            return GetChannelLayoutTags(scope, element, nullptr) > 0 ? kAudioUnitErr_InvalidPropertyValue
                                                                     : kAudioUnitErr_InvalidProperty;
        break;
    case kAudioUnitProperty_LastRenderError:
        rule = kGlobalElementExists;
        outDataSize = sizeof(OSStatus);
        break;
    case kAudioUnitProperty_FactoryPresets: {
        rule = kGlobalElementExists;
        outDataSize = sizeof(CFArrayRef);
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        const OSStatus result = GetPresets(nullptr);
        if (result != noErr) return result;
        break;
    }
    case kAudioUnitProperty_ContextName:
        rule = kGlobalOnly;
        outDataSize = sizeof(CFStringRef);
        outWritable = true;
        break;
    case kAudioUnitProperty_HostCallbacks:
        rule = kGlobalElementExists;
        outDataSize = sizeof(HostCallbackInfo);
        outWritable = true;
        break;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
        rule = kGlobalElementExists;
        outDataSize = sizeof(AUPreset);
        outWritable = true;
        break;
    case kAudioUnitProperty_ElementName:
        rule = kAnyScopeElementExists;
        outDataSize = sizeof(CFStringRef);
        outWritable = true;
        break;
    case kAudioUnitProperty_SupportedChannelLayoutTags:
        outDataSize = GetChannelLayoutTags(scope, element, nullptr) * sizeof(AudioChannelLayoutTag);
        if (outDataSize == 0) return kAudioUnitErr_InvalidProperty;
        break;
    case kAudioUnitProperty_IconLocation:
        rule = kGlobalElementExists;
        outDataSize = sizeof(CFURLRef);
        if (scope == kAudioUnitScope_Global && !HasIcon()) return kAudioUnitErr_InvalidProperty;
        break;
    default:
        return GetPropertyInfo(id, scope, element, outDataSize, outWritable);
    }

    if ((rule == kGlobalOnly || rule == kGlobalElementExists) && scope != kAudioUnitScope_Global)
        return kAudioUnitErr_InvalidScope;
    if ((rule == kAnyScopeElementExists || rule == kGlobalElementExists) &&
        GetElement(scope, element) == nullptr)
        return kAudioUnitErr_InvalidElement;
    if (id == kAudioUnitProperty_SampleRate || id == kAudioUnitProperty_StreamFormat)
        outWritable = IsStreamFormatWritable(scope, element);
    return noErr;
}

OSStatus AUBase::DispatchGetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     void* outData)
{
    switch (id) {
    case kAudioUnitProperty_ClassInfo:
        store<CFPropertyListRef>(outData, nullptr);
        return SaveState(static_cast<CFPropertyListRef*>(outData));
    case kAudioUnitProperty_FastDispatch: {
        void* procedure = nullptr;
        switch (element) {
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
            return GetProperty(id, scope, element, outData);
        }
        if (audioUnitAPIVersion <= 1) return kAudioUnitErr_InvalidElement;
        store(outData, procedure);
        return noErr;
    }
    case kAudioUnitProperty_SampleRate:
        store(outData, GetStreamFormat(scope, element).mSampleRate);
        return noErr;
    case kAudioUnitProperty_StreamFormat:
        store<AudioStreamBasicDescription>(outData, GetStreamFormat(scope, element));
        return noErr;
    case kAudioUnitProperty_ParameterList: {
        UInt32 count = 0;
        return GetParameterList(scope, static_cast<AudioUnitParameterID*>(outData), count);
    }
    case kAudioUnitProperty_ParameterInfo: {
        auto& info = *static_cast<AudioUnitParameterInfo*>(outData);
        std::memset(&info, 0, sizeof info);
        return GetParameterInfo(scope, element, info);
    }
    case kAudioUnitProperty_ElementCount:
        store(outData, GetScope(scope).GetNumberOfElements());
        return noErr;
    case kAudioUnitProperty_Latency:
        store(outData, GetLatency());
        return noErr;
    case kAudioUnitProperty_SupportedNumChannels: {
        const AUChannelInfo* table = nullptr;
        const UInt32 count = SupportedNumChannels(&table);
        if (count > 0) std::memcpy(outData, table, count * sizeof(AUChannelInfo));
        return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
        store(outData, maxFramesPerSlice);
        return noErr;
    case kAudioUnitProperty_ParameterValueStrings:
        return GetParameterValueStrings(scope, element, static_cast<CFArrayRef*>(outData));
    case kAudioUnitProperty_GetUIComponentList:
        GetUIComponentDescs(static_cast<ComponentDescription*>(outData));
        return noErr;
    case kAudioUnitProperty_AudioChannelLayout: {
        bool writable = false;
        const UInt32 size =
            GetAudioChannelLayout(scope, element, static_cast<AudioChannelLayout*>(outData), writable);
        return size == 0 ? kAudioUnitErr_InvalidProperty : noErr;
    }
    case kAudioUnitProperty_TailTime:
        if (!SupportsTail()) return kAudioUnitErr_InvalidProperty;
        store(outData, GetTailTime());
        return noErr;
    case kAudioUnitProperty_LastRenderError:
        store(outData, lastRenderError.exchange(noErr));
        return noErr;
    case kAudioUnitProperty_FactoryPresets:
        store<CFArrayRef>(outData, nullptr);
        return GetPresets(static_cast<CFArrayRef*>(outData));
    case kAudioUnitProperty_ContextName:
        if (contextName == nullptr) return kAudioUnitErr_InvalidPropertyValue;
        CFRetain(contextName);
        store(outData, contextName);
        return noErr;
    case kAudioUnitProperty_HostCallbacks:
        store(outData, hostCallbackInfo);
        return noErr;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
        // The present preset hands the caller a reference of its own.
        if (id == kAudioUnitProperty_PresentPreset && currentPreset.presetName)
            CFRetain(currentPreset.presetName);
        store(outData, currentPreset);
        return noErr;
    case kAudioUnitProperty_ElementName: {
        CFStringRef name = SafeGetElement(scope, element)->GetName();
        if (name == nullptr) return kAudioUnitErr_InvalidPropertyValue;
        CFRetain(name);
        store(outData, name);
        return noErr;
    }
    case kAudioUnitProperty_SupportedChannelLayoutTags:
        return GetChannelLayoutTags(scope, element, static_cast<AudioChannelLayoutTag*>(outData)) > 0
                   ? noErr
                   : kAudioUnitErr_InvalidProperty;
    case kAudioUnitProperty_IconLocation: {
        CFURLRef location = CopyIconLocation();
        if (location == nullptr) return kAudioUnitErr_InvalidProperty;
        store(outData, location);
        return noErr;
    }
    default:
        return GetProperty(id, scope, element, outData);
    }
}

OSStatus AUBase::DispatchSetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     const void* inData, UInt32 inDataSize)
{
    switch (id) {
    case kAudioUnitProperty_ClassInfo:
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        if (inDataSize != sizeof(CFPropertyListRef)) return kAudioUnitErr_InvalidPropertyValue;
        return RestoreState(load<CFPropertyListRef>(inData));
    case kAudioUnitProperty_MakeConnection:
        if (inDataSize < sizeof(AudioUnitConnection)) return kAudioUnitErr_InvalidPropertyValue;
        return SetConnection(load<AudioUnitConnection>(inData));
    case kAudioUnitProperty_SetRenderCallback: {
        if (inDataSize < sizeof(AURenderCallbackStruct)) return kAudioUnitErr_InvalidPropertyValue;
        if (audioUnitAPIVersion <= 1) return kAudioUnitErr_InvalidProperty;
        const auto callback = load<AURenderCallbackStruct>(inData);
        return SetInputCallback(id, element, callback.inputProc, callback.inputProcRefCon);
    }
    case kAudioUnitProperty_SetExternalBuffer: {
        if (inDataSize < sizeof(AudioUnitExternalBuffer)) return kAudioUnitErr_InvalidPropertyValue;
        if (!initialized) return kAudioUnitErr_Uninitialized;
        const auto buffer = load<AudioUnitExternalBuffer>(inData);
        if (reinterpret_cast<uintptr_t>(buffer.buffer) % 16 != 0) return paramErr;
        AUIOElement* io = scope == kAudioUnitScope_Input ? static_cast<AUIOElement*>(GetInput(element))
                                                         : static_cast<AUIOElement*>(GetOutput(element));
        io->IOBuffer().UseExternalBuffer(io->GetStreamFormat(), buffer);
        return noErr;
    }
    case kAudioUnitProperty_SampleRate: {
        if (inDataSize != sizeof(Float64)) return kAudioUnitErr_InvalidPropertyValue;
        SafeGetElement(scope, element);
        CAStreamBasicDescription format = GetStreamFormat(scope, element);
        format.mSampleRate = load<Float64>(inData);
        return setStreamFormatProperty(scope, element, format);
    }
    case kAudioUnitProperty_StreamFormat: {
        if (inDataSize < 36) return kAudioUnitErr_InvalidPropertyValue;
        SafeGetElement(scope, element);
        CAStreamBasicDescription format;
        std::memcpy(static_cast<AudioStreamBasicDescription*>(&format), inData, 36);
        return setStreamFormatProperty(scope, element, format);
    }
    case kAudioUnitProperty_ElementCount: {
        if (inDataSize != sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
        if (!BusCountWritable(scope)) return kAudioUnitErr_PropertyNotWritable;
        const OSStatus result = SetBusCount(scope, load<UInt32>(inData));
        if (result == noErr) PropertyChanged(id, scope, element);
        return result;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        SafeGetElement(scope, element);
        if (inDataSize != sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
        const OSStatus result = CanSetMaxFrames();
        if (result != noErr) return result;
        SetMaxFramesPerSlice(load<UInt32>(inData));
        return noErr;
    }
    case kAudioUnitProperty_AudioChannelLayout: {
        constexpr UInt32 kHeader = offsetof(AudioChannelLayout, mChannelDescriptions);
        if (inDataSize < kHeader) return kAudioUnitErr_InvalidPropertyValue;
        const auto* layout = static_cast<const AudioChannelLayout*>(inData);
        if (inDataSize < kHeader + static_cast<UInt64>(layout->mNumberChannelDescriptions) *
                                       sizeof(AudioChannelDescription))
            return kAudioUnitErr_InvalidPropertyValue;
        const OSStatus result = SetAudioChannelLayout(scope, element, layout);
        if (result == noErr) PropertyChanged(id, scope, element);
        return result;
    }
    case kAudioUnitProperty_ContextName: {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        if (inDataSize != sizeof(CFStringRef)) return kAudioUnitErr_InvalidPropertyValue;
        const auto name = load<CFStringRef>(inData);
        if (name) CFRetain(name);
        if (contextName) CFRelease(contextName);
        contextName = name;
        PropertyChanged(id, kAudioUnitScope_Global, element);
        return noErr;
    }
    case kAudioUnitProperty_HostCallbacks: {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        SafeGetElement(scope, element);
        HostCallbackInfo info{};
        std::memcpy(&info, inData, std::min<size_t>(inDataSize, sizeof info));
        const bool changed = std::memcmp(&info, &hostCallbackInfo, sizeof info) != 0;
        hostCallbackInfo = info;
        if (changed) PropertyChanged(id, scope, element);
        return noErr;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        SafeGetElement(scope, element);
        return setPresetProperty(id, inData, inDataSize);
    case kAudioUnitProperty_ElementName: {
        AUElement* target = SafeGetElement(scope, element);
        if (inDataSize != sizeof(CFStringRef)) return kAudioUnitErr_InvalidPropertyValue;
        target->SetName(load<CFStringRef>(inData));
        PropertyChanged(id, scope, element);
        return noErr;
    }
    case kAudioUnitProperty_ParameterList:
    case kAudioUnitProperty_ParameterInfo:
    case kAudioUnitProperty_FastDispatch:
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_SupportedNumChannels:
    case kAudioUnitProperty_ParameterValueStrings:
    case kAudioUnitProperty_GetUIComponentList:
    case kAudioUnitProperty_TailTime:
    case kAudioUnitProperty_LastRenderError:
    case kAudioUnitProperty_FactoryPresets:
    case kAudioUnitProperty_SupportedChannelLayoutTags:
    case kAudioUnitProperty_IconLocation:
        return SetProperty(id, scope, element, inData, inDataSize);
    default: {
        const OSStatus result = SetProperty(id, scope, element, inData, inDataSize);
        if (result == noErr) PropertyChanged(id, scope, element);
        return result;
    }
    }
}

OSStatus AUBase::setPresetProperty(AudioUnitPropertyID id, const void* inData, UInt32 inDataSize)
{
    if (inDataSize != sizeof(AUPreset)) return kAudioUnitErr_InvalidPropertyValue;
    const auto preset = load<AUPreset>(inData);
    if (preset.presetNumber >= 0) {
        const OSStatus result = NewFactoryPresetSet(preset);
        if (result != noErr) return result;
    } else {
        if (preset.presetName == nullptr) return kAudioUnitErr_InvalidPropertyValue;
        SetAFactoryPresetAsCurrent(preset);
    }
    PropertyChanged(id, kAudioUnitScope_Global, 0);
    return noErr;
}

OSStatus AUBase::DispatchRemovePropertyValue(AudioUnitPropertyID id, AudioUnitScope scope,
                                             AudioUnitElement element)
{
    switch (id) {
    case kAudioUnitProperty_AudioChannelLayout: {
        const OSStatus result = RemoveAudioChannelLayout(scope, element);
        if (result == noErr) PropertyChanged(id, scope, element);
        return result;
    }
    case kAudioUnitProperty_ContextName:
        if (contextName) CFRelease(contextName);
        contextName = nullptr;
        return noErr;
    case kAudioUnitProperty_HostCallbacks: {
        const HostCallbackInfo empty{};
        if (std::memcmp(&hostCallbackInfo, &empty, sizeof empty) != 0) {
            hostCallbackInfo = empty;
            PropertyChanged(id, scope, element);
        }
        return noErr;
    }
    default:
        return RemovePropertyValue(id, scope, element);
    }
}

void AUBase::SetAFactoryPresetAsCurrent(const AUPreset& preset)
{
    if (preset.presetName) CFRetain(preset.presetName);
    if (currentPreset.presetName) CFRelease(currentPreset.presetName);
    currentPreset = preset;
}
