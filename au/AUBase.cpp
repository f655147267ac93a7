#include "au/AUBase.h"

#include <algorithm>
#include <bit>
#include <cstring>

AUBase::AUBase(ComponentInstance instance, UInt32 numberOfInputs, UInt32 numberOfOutputs,
               UInt32 numberOfGroups, UInt32 numberOfParts)
    : ComponentBase(instance), initialNumberOfInputs(numberOfInputs), initialNumberOfOutputs(numberOfOutputs),
      initialNumberOfGroups(numberOfGroups), initialNumberOfParts(numberOfParts)
{
    currentPreset.presetName = CFSTR("Untitled");
    scopes[kAudioUnitScope_Global].Initialize(this, kAudioUnitScope_Global, 1);
    if (audioUnitAPIVersion > 1) scheduledEvents.reserve(24);
}

AUBase::~AUBase()
{
    if (currentPreset.presetName) CFRelease(currentPreset.presetName);
    if (contextName) CFRelease(contextName);
}

// ---------------------------------------------------------------------------
// Dispatch

OSStatus AUBase::ComponentEntryDispatch(ComponentParameters* params, AUBase* unit)
{
    if (unit == nullptr) return paramErr;
    const auto word = [params](int index) { return ComponentParameter<UInt32>(params, index); };

    switch (params->what) {
    case kAudioUnitInitializeSelect:
        return unit->DoInitialize();
    case kAudioUnitUninitializeSelect:
        unit->DoCleanup();
        return noErr;
    case kAudioUnitGetPropertyInfoSelect: {
        UInt32 size = 0;
        bool writable = false;
        const OSStatus result = unit->DispatchGetPropertyInfo(word(4), word(3), word(2), size, writable);
        if (auto* outSize = ComponentParameter<UInt32*>(params, 1)) *outSize = size;
        if (auto* outWritable = ComponentParameter<UInt8*>(params, 0)) *outWritable = writable;
        return result;
    }
    case kAudioUnitGetPropertySelect: {
        const AudioUnitPropertyID id = word(4);
        const AudioUnitScope scope = word(3);
        const AudioUnitElement element = word(2);
        auto* outData = ComponentParameter<void*>(params, 1);
        auto* ioSize = ComponentParameter<UInt32*>(params, 0);
        if (ioSize == nullptr) return paramErr;
        UInt32 actualSize = 0;
        bool writable = false;
        if (outData == nullptr) return unit->DispatchGetPropertyInfo(id, scope, element, *ioSize, writable);
        if (*ioSize == 0) return paramErr;
        OSStatus result = unit->DispatchGetPropertyInfo(id, scope, element, actualSize, writable);
        if (result != noErr) return result;
        if (*ioSize < actualSize) {
            // The caller takes a prefix of the whole value.
            std::vector<std::byte> whole(actualSize);
            result = unit->DispatchGetProperty(id, scope, element, whole.data());
            if (result == noErr) std::memcpy(outData, whole.data(), *ioSize);
        } else {
            result = unit->DispatchGetProperty(id, scope, element, outData);
            if (result == noErr) *ioSize = actualSize;
        }
        if (result != noErr) *ioSize = 0;
        return result;
    }
    case kAudioUnitSetPropertySelect: {
        const auto* inData = ComponentParameter<const void*>(params, 1);
        const UInt32 size = word(0);
        if (inData && size) return unit->DispatchSetProperty(word(4), word(3), word(2), inData, size);
        if (!inData && !size) return unit->DispatchRemovePropertyValue(word(4), word(3), word(2));
        return paramErr;
    }
    case kAudioUnitGetParameterSelect: {
        auto* outValue = ComponentParameter<AudioUnitParameterValue*>(params, 0);
        if (outValue == nullptr) return paramErr;
        return unit->GetParameter(word(3), word(2), word(1), *outValue);
    }
    case kAudioUnitSetParameterSelect:
        return unit->SetParameter(word(4), word(3), word(2), ComponentParameter<float>(params, 1), word(0));
    case kAudioUnitResetSelect:
        unit->lastRenderedSampleTime.store(-1.0, std::memory_order_relaxed);
        return unit->Reset(word(1), word(0));
    case kAudioUnitAddPropertyListenerSelect:
        return unit->AddPropertyListener(word(2),
                                         ComponentParameter<AudioUnitPropertyListenerProc>(params, 1),
                                         ComponentParameter<void*>(params, 0));
    case kAudioUnitRemovePropertyListenerSelect:
        return unit->RemovePropertyListener(
            word(1), ComponentParameter<AudioUnitPropertyListenerProc>(params, 0), nullptr, false);
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
        return unit->RemovePropertyListener(word(2),
                                            ComponentParameter<AudioUnitPropertyListenerProc>(params, 1),
                                            ComponentParameter<void*>(params, 0), true);
    case kAudioUnitRenderSelect: {
        auto* flags = ComponentParameter<AudioUnitRenderActionFlags*>(params, 4);
        const auto* timeStamp = ComponentParameter<const AudioTimeStamp*>(params, 3);
        auto* ioData = ComponentParameter<AudioBufferList*>(params, 0);
        if (timeStamp == nullptr || ioData == nullptr) return paramErr;
        AudioUnitRenderActionFlags noFlags = 0;
        return unit->DoRender(flags ? *flags : noFlags, *timeStamp, word(2), word(1), *ioData);
    }
    case kAudioUnitAddRenderNotifySelect:
        return unit->SetRenderNotification(ComponentParameter<AURenderCallback>(params, 1),
                                           ComponentParameter<void*>(params, 0));
    case kAudioUnitRemoveRenderNotifySelect:
        return unit->RemoveRenderNotification(ComponentParameter<AURenderCallback>(params, 1),
                                              ComponentParameter<void*>(params, 0));
    case kAudioUnitScheduleParametersSelect:
        if (unit->audioUnitAPIVersion <= 1) return badComponentSelector;
        return unit->ScheduleParameter(ComponentParameter<const AudioUnitParameterEvent*>(params, 1),
                                       word(0));
    case kComponentCanDoSelect:
        switch (ComponentParameter<int16_t>(params, 0)) {
        case kAudioUnitInitializeSelect:
        case kAudioUnitUninitializeSelect:
        case kAudioUnitGetPropertyInfoSelect:
        case kAudioUnitGetPropertySelect:
        case kAudioUnitSetPropertySelect:
        case kAudioUnitGetParameterSelect:
        case kAudioUnitSetParameterSelect:
        case kAudioUnitResetSelect:
        case kAudioUnitAddPropertyListenerSelect:
        case kAudioUnitRemovePropertyListenerSelect:
        case kAudioUnitRemovePropertyListenerWithUserDataSelect:
            return 1;
        case kAudioUnitRenderSelect:
        case kAudioUnitAddRenderNotifySelect:
        case kAudioUnitRemoveRenderNotifySelect:
        case kAudioUnitScheduleParametersSelect:
            return unit->audioUnitAPIVersion > 1 ? 1 : 0;
        default:
            return ComponentBase::ComponentEntryDispatch(params, unit);
        }
    default:
        return ComponentBase::ComponentEntryDispatch(params, unit);
    }
}

// ---------------------------------------------------------------------------
// Lifecycle

OSStatus AUBase::DoInitialize()
{
    if (initialized) return noErr;
    const OSStatus result = Initialize();
    if (result != noErr) return result;
    initialized = true;
    ReallocateBuffers();
    return noErr;
}

void AUBase::DoCleanup()
{
    if (initialized) Cleanup();
    initialized = false;
}

OSStatus AUBase::Reset(AudioUnitScope, AudioUnitElement)
{
    lastRenderedSampleTime.store(-1.0, std::memory_order_relaxed);
    return noErr;
}

// ---------------------------------------------------------------------------
// Scopes and elements

std::unique_ptr<AUElement> AUBase::CreateElement(AudioUnitScope scope, AudioUnitElement)
{
    switch (scope) {
    case kAudioUnitScope_Input:
        return std::make_unique<AUInputElement>(this);
    case kAudioUnitScope_Output:
        return std::make_unique<AUOutputElement>(this);
    case kAudioUnitScope_Global:
    case kAudioUnitScope_Group:
    case kAudioUnitScope_Part:
        return std::make_unique<AUElement>(this);
    default:
        throw static_cast<OSStatus>(kAudioUnitErr_InvalidScope);
    }
}

void AUBase::CreateElements()
{
    if (elementsCreated) return;
    scopes[kAudioUnitScope_Input].Initialize(this, kAudioUnitScope_Input, initialNumberOfInputs);
    scopes[kAudioUnitScope_Output].Initialize(this, kAudioUnitScope_Output, initialNumberOfOutputs);
    scopes[kAudioUnitScope_Group].Initialize(this, kAudioUnitScope_Group, initialNumberOfGroups);
    scopes[kAudioUnitScope_Part].Initialize(this, kAudioUnitScope_Part, initialNumberOfParts);
    elementsCreated = true;
}

AUScope& AUBase::GetScope(AudioUnitScope scope)
{
    if (scope >= scopes.size()) throw static_cast<OSStatus>(kAudioUnitErr_InvalidScope);
    return scopes[scope];
}

AUInputElement* AUBase::GetInput(AudioUnitElement element)
{
    return static_cast<AUInputElement*>(scopes[kAudioUnitScope_Input].SafeGetElement(element));
}

AUOutputElement* AUBase::GetOutput(AudioUnitElement element)
{
    return static_cast<AUOutputElement*>(scopes[kAudioUnitScope_Output].SafeGetElement(element));
}

OSStatus AUBase::SetBusCount(AudioUnitScope scope, UInt32 count)
{
    if (initialized) return kAudioUnitErr_Initialized;
    GetScope(scope).SetNumberOfElements(count);
    return noErr;
}

// ---------------------------------------------------------------------------
// Parameters

OSStatus AUBase::GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                              AudioUnitParameterValue& outValue)
{
    outValue = SafeGetElement(scope, element)->GetParameter(id);
    return noErr;
}

OSStatus AUBase::SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                              AudioUnitParameterValue value, UInt32)
{
    SafeGetElement(scope, element)->SetParameter(id, value);
    return noErr;
}

OSStatus AUBase::GetParameterList(AudioUnitScope scope, AudioUnitParameterID* outList, UInt32& outCount)
{
    // The parameters of a scope are those of its first element.
    AUElement* element = GetScope(scope).GetElement(0);
    outCount = element ? element->GetNumberOfParameters() : 0;
    if (element && outList) element->GetParameterList(outList);
    return noErr;
}

// ---------------------------------------------------------------------------
// Stream formats

CAStreamBasicDescription AUBase::DefaultStreamFormat() const
{
    CAStreamBasicDescription format;
    format.mSampleRate = 44100.0;
    format.mFormatID = kAudioFormatLinearPCM;
    format.mBitsPerChannel = 32;
    format.mChannelsPerFrame = 2;
    format.mFramesPerPacket = 1;
    if (audioUnitAPIVersion == 1) {
        format.mFormatFlags = kAudioFormatFlagsNativeFloatPacked;
        format.mBytesPerPacket = format.mBytesPerFrame = 8;
    } else {
        format.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
        format.mBytesPerPacket = format.mBytesPerFrame = 4;
    }
    return format;
}

bool AUBase::FormatIsCanonical(const CAStreamBasicDescription& f) const
{
    const bool nonInterleaved = (f.mFormatFlags & kAudioFormatFlagIsNonInterleaved) != 0;
    return f.mFormatID == kAudioFormatLinearPCM && f.mFramesPerPacket == 1 &&
           f.mBytesPerPacket == f.mBytesPerFrame && (f.mFormatFlags & kAudioFormatFlagIsFloat) &&
           !(f.mFormatFlags & kAudioFormatFlagIsBigEndian) && nonInterleaved == (audioUnitAPIVersion != 1) &&
           f.mBitsPerChannel == 32 && f.mBytesPerFrame == (nonInterleaved ? 4 : 4 * f.mChannelsPerFrame);
}

bool AUBase::ValidFormat(AudioUnitScope, AudioUnitElement, const CAStreamBasicDescription& format)
{
    return FormatIsCanonical(format);
}

AUIOElement* AUBase::streamElement(AudioUnitScope scope, AudioUnitElement element)
{
    switch (scope) {
    case kAudioUnitScope_Input:
    case kAudioUnitScope_Output:
        return GetIOElement(scope, element);
    case kAudioUnitScope_Global:
        return GetIOElement(kAudioUnitScope_Output, 0);
    default:
        throw static_cast<OSStatus>(kAudioUnitErr_InvalidScope);
    }
}

const CAStreamBasicDescription& AUBase::GetStreamFormat(AudioUnitScope scope, AudioUnitElement element)
{
    return streamElement(scope, element)->GetStreamFormat();
}

bool AUBase::IsStreamFormatWritable(AudioUnitScope scope, AudioUnitElement element)
{
    switch (scope) {
    case kAudioUnitScope_Input:
        if (GetInput(element)->GetInputType() == AUInputElement::kFromConnection) return false;
        return StreamFormatWritable(scope, element);
    case kAudioUnitScope_Global:
        return StreamFormatWritable(kAudioUnitScope_Output, 0);
    case kAudioUnitScope_Output:
        return StreamFormatWritable(scope, element);
    default:
        return false;
    }
}

OSStatus AUBase::ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                    const CAStreamBasicDescription&, const CAStreamBasicDescription& format)
{
    const OSStatus result = streamElement(scope, element)->SetStreamFormat(format);
    if (result != noErr) return result;
    PropertyChanged(kAudioUnitProperty_StreamFormat, scope, element);
    return noErr;
}

OSStatus AUBase::setStreamFormatProperty(AudioUnitScope scope, AudioUnitElement element,
                                         const CAStreamBasicDescription& format)
{
    if (!ValidFormat(scope, element, format)) return kAudioUnitErr_FormatNotSupported;
    const CAStreamBasicDescription current = GetStreamFormat(scope, element);
    if (current == format) return noErr;
    if (!IsStreamFormatWritable(scope, element)) return kAudioUnitErr_PropertyNotWritable;
    return ChangeStreamFormat(scope, element, current, format);
}

// ---------------------------------------------------------------------------
// Slice size and buffers

void AUBase::ReallocateBuffers()
{
    CreateElements();
    for (AudioUnitScope scope : {kAudioUnitScope_Output, kAudioUnitScope_Input}) {
        AUScope& s = scopes[scope];
        for (UInt32 i = 0; i < s.GetNumberOfElements(); ++i) s.GetIOElement(i)->AllocateBuffer();
    }
    buffersAllocated = true;
}

void AUBase::SetMaxFramesPerSlice(UInt32 frames)
{
    maxFramesPerSlice = frames;
    if (buffersAllocated) ReallocateBuffers();
    PropertyChanged(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0);
}

// ---------------------------------------------------------------------------
// Channel layouts

UInt32 AUBase::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element,
                                    AudioChannelLayoutTag* outTags)
{
    return GetIOElement(scope, element)->GetChannelLayoutTags(outTags);
}

UInt32 AUBase::GetAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element,
                                     AudioChannelLayout* outLayout, bool& outWritable)
{
    return GetIOElement(scope, element)->GetAudioChannelLayout(outLayout, outWritable);
}

namespace {

// Channels a layout describes: by its descriptions, its bitmap or its tag.
UInt32 numberOfChannels(const AudioChannelLayout& layout)
{
    if (layout.mChannelLayoutTag == kAudioChannelLayoutTag_UseChannelDescriptions)
        return layout.mNumberChannelDescriptions;
    if (layout.mChannelLayoutTag == kAudioChannelLayoutTag_UseChannelBitmap)
        return static_cast<UInt32>(std::popcount(layout.mChannelBitmap));
    return layout.mChannelLayoutTag & 0xFFFF;
}

} // namespace

OSStatus AUBase::SetAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element,
                                       const AudioChannelLayout* layout)
{
    AUIOElement* io = GetIOElement(scope, element);
    if (layout == nullptr || numberOfChannels(*layout) != io->NumberChannels())
        return kAudioUnitErr_InvalidPropertyValue;
    const UInt32 count = io->GetChannelLayoutTags(nullptr);
    if (count == 0) return kAudioUnitErr_InvalidProperty;
    std::vector<AudioChannelLayoutTag> tags(count);
    io->GetChannelLayoutTags(tags.data());
    const bool accepted = std::any_of(tags.begin(), tags.end(), [&](AudioChannelLayoutTag tag) {
        return tag == 0 || tag == layout->mChannelLayoutTag;
    });
    return accepted ? io->SetAudioChannelLayout(*layout) : kAudioUnitErr_InvalidPropertyValue;
}

OSStatus AUBase::RemoveAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element)
{
    AUIOElement* io = GetIOElement(scope, element);
    bool writable = false;
    return io->GetAudioChannelLayout(nullptr, writable) > 0 ? io->RemoveAudioChannelLayout() : noErr;
}

// ---------------------------------------------------------------------------
// Listeners

OSStatus AUBase::AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                     void* userData)
{
    if (propertyListeners.empty()) propertyListeners.reserve(32);
    propertyListeners.push_back({id, proc, userData, ++listenerSerial});
    return noErr;
}

OSStatus AUBase::RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                        void* userData, bool compareUserData)
{
    std::erase_if(propertyListeners, [&](const PropertyListener& l) {
        return l.propertyID == id && l.listenerProc == proc &&
               (!compareUserData || l.listenerRefCon == userData);
    });
    return noErr;
}

void AUBase::PropertyChanged(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
{
    // A listener may add or remove listeners while it is called. The walk
    // runs over the listeners registered when it starts and skips any removed
    // meanwhile: one added during the walk is first called for the next
    // change, one removed is never called after its removal.
    std::vector<PropertyListener> listeners;
    for (const PropertyListener& l : propertyListeners)
        if (l.propertyID == id) listeners.push_back(l);
    for (const PropertyListener& l : listeners) {
        const bool registered =
            std::any_of(propertyListeners.begin(), propertyListeners.end(),
                        [&](const PropertyListener& other) { return other.serial == l.serial; });
        if (registered) l.listenerProc(l.listenerRefCon, GetComponentInstance(), id, scope, element);
    }
}

bool AUBase::HasIcon()
{
    CFURLRef url = CopyIconLocation();
    if (url == nullptr) return false;
    CFRelease(url);
    return true;
}
