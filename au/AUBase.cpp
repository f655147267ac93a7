#include "au/AUBase.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// Room reserved up front, so that the common case never reallocates.
constexpr size_t kReservedScheduledEvents = 24;
constexpr size_t kReservedPropertyListeners = 32;

} // namespace

AUBase::AUBase(ComponentInstance instance, UInt32 numberOfInputs, UInt32 numberOfOutputs,
               UInt32 numberOfGroups, UInt32 numberOfParts)
    : ComponentBase(instance), initialNumberOfInputs(numberOfInputs), initialNumberOfOutputs(numberOfOutputs),
      initialNumberOfGroups(numberOfGroups), initialNumberOfParts(numberOfParts)
{
    currentPreset.presetName = CFSTR("Untitled");
    scopes[kAudioUnitScope_Global].Initialize(this, kAudioUnitScope_Global, 1);
    if (audioUnitAPIVersion > 1) scheduledEvents.reserve(kReservedScheduledEvents);
}

AUBase::~AUBase()
{
    if (currentPreset.presetName) CFRelease(currentPreset.presetName);
    if (contextName) CFRelease(contextName);
}

// ---------------------------------------------------------------------------
// Dispatch

// The Audio Unit selectors, one handler each, taking the call's arguments in
// the order the call lists them.
struct AUBase::SelectorHandlers {
    using Handler = OSStatus (*)(AUBase&, ComponentArguments&);
    // What a property or parameter call names first.
    struct Address {
        UInt32 id;
        AudioUnitScope scope;
        AudioUnitElement element;
    };
    static Address takeAddress(ComponentArguments& args)
    {
        return {args.take<UInt32>(), args.take<AudioUnitScope>(), args.take<AudioUnitElement>()};
    }

    struct Row {
        int16_t selector;
        int arguments;
        Handler handler;
        // Offered (by can-do) only from API version 2 on.
        bool needsVersion2;
    };

    static OSStatus initialize(AUBase& unit, ComponentArguments&) { return unit.DoInitialize(); }

    static OSStatus uninitialize(AUBase& unit, ComponentArguments&)
    {
        unit.DoCleanup();
        return noErr;
    }

    static OSStatus getPropertyInfo(AUBase& unit, ComponentArguments& args)
    {
        const auto [id, scope, element] = takeAddress(args);
        auto* outSize = args.take<UInt32*>();
        auto* outWritable = args.take<UInt8*>();
        UInt32 size = 0;
        bool writable = false;
        const OSStatus result = unit.DispatchGetPropertyInfo(id, scope, element, size, writable);
        if (outSize) *outSize = size;
        if (outWritable) *outWritable = writable;
        return result;
    }

    // Without data, the size alone; a size short of the property's takes a
    // prefix of the whole value and keeps the caller's size.
    static OSStatus getProperty(AUBase& unit, ComponentArguments& args)
    {
        const auto [id, scope, element] = takeAddress(args);
        auto* outData = args.take<void*>();
        auto* ioSize = args.take<UInt32*>();
        if (ioSize == nullptr) return paramErr;
        UInt32 actualSize = 0;
        bool writable = false;
        if (outData == nullptr) return unit.DispatchGetPropertyInfo(id, scope, element, *ioSize, writable);
        if (*ioSize == 0) return paramErr;
        OSStatus result = unit.DispatchGetPropertyInfo(id, scope, element, actualSize, writable);
        if (result != noErr) return result;
        if (*ioSize < actualSize) {
            std::vector<std::byte> whole(actualSize);
            result = unit.DispatchGetProperty(id, scope, element, whole.data());
            if (result == noErr) std::memcpy(outData, whole.data(), *ioSize);
        } else {
            result = unit.DispatchGetProperty(id, scope, element, outData);
            if (result == noErr) *ioSize = actualSize;
        }
        if (result != noErr) *ioSize = 0;
        return result;
    }

    // Data and size set a value, neither removes it.
    static OSStatus setProperty(AUBase& unit, ComponentArguments& args)
    {
        const auto [id, scope, element] = takeAddress(args);
        const auto* inData = args.take<const void*>();
        const auto size = args.take<UInt32>();
        if (inData && size) return unit.DispatchSetProperty(id, scope, element, inData, size);
        if (!inData && !size) return unit.DispatchRemovePropertyValue(id, scope, element);
        return paramErr;
    }

    static OSStatus getParameter(AUBase& unit, ComponentArguments& args)
    {
        const auto [id, scope, element] = takeAddress(args);
        auto* outValue = args.take<AudioUnitParameterValue*>();
        if (outValue == nullptr) return paramErr;
        return unit.GetParameter(id, scope, element, *outValue);
    }

    static OSStatus setParameter(AUBase& unit, ComponentArguments& args)
    {
        const auto [id, scope, element] = takeAddress(args);
        const auto value = args.take<AudioUnitParameterValue>();
        return unit.SetParameter(id, scope, element, value, args.take<UInt32>());
    }

    static OSStatus reset(AUBase& unit, ComponentArguments& args)
    {
        const auto scope = args.take<AudioUnitScope>();
        const auto element = args.take<AudioUnitElement>();
        unit.lastRenderedSampleTime.store(-1.0, std::memory_order_relaxed);
        return unit.Reset(scope, element);
    }

    static OSStatus addPropertyListener(AUBase& unit, ComponentArguments& args)
    {
        const auto id = args.take<AudioUnitPropertyID>();
        const auto proc = args.take<AudioUnitPropertyListenerProc>();
        return unit.AddPropertyListener(id, proc, args.take<void*>());
    }

    static OSStatus removePropertyListener(AUBase& unit, ComponentArguments& args)
    {
        const auto id = args.take<AudioUnitPropertyID>();
        const auto proc = args.take<AudioUnitPropertyListenerProc>();
        return unit.RemovePropertyListener(id, proc, nullptr, false);
    }

    static OSStatus removePropertyListenerWithUserData(AUBase& unit, ComponentArguments& args)
    {
        const auto id = args.take<AudioUnitPropertyID>();
        const auto proc = args.take<AudioUnitPropertyListenerProc>();
        return unit.RemovePropertyListener(id, proc, args.take<void*>(), true);
    }

    // A null flags pointer stands for no flags.
    static OSStatus render(AUBase& unit, ComponentArguments& args)
    {
        auto* flags = args.take<AudioUnitRenderActionFlags*>();
        const auto* timeStamp = args.take<const AudioTimeStamp*>();
        const auto bus = args.take<UInt32>();
        const auto frames = args.take<UInt32>();
        auto* ioData = args.take<AudioBufferList*>();
        if (timeStamp == nullptr || ioData == nullptr) return paramErr;
        AudioUnitRenderActionFlags noFlags = 0;
        return unit.DoRender(flags ? *flags : noFlags, *timeStamp, bus, frames, *ioData);
    }

    static OSStatus addRenderNotify(AUBase& unit, ComponentArguments& args)
    {
        const auto proc = args.take<AURenderCallback>();
        return unit.SetRenderNotification(proc, args.take<void*>());
    }

    static OSStatus removeRenderNotify(AUBase& unit, ComponentArguments& args)
    {
        const auto proc = args.take<AURenderCallback>();
        return unit.RemoveRenderNotification(proc, args.take<void*>());
    }

    static OSStatus scheduleParameters(AUBase& unit, ComponentArguments& args)
    {
        if (unit.audioUnitAPIVersion <= 1) return badComponentSelector;
        const auto* events = args.take<const AudioUnitParameterEvent*>();
        return unit.ScheduleParameter(events, args.take<UInt32>());
    }

    static constexpr Row kRows[] = {
        {kAudioUnitInitializeSelect, 0, initialize, false},
        {kAudioUnitUninitializeSelect, 0, uninitialize, false},
        {kAudioUnitGetPropertyInfoSelect, 5, getPropertyInfo, false},
        {kAudioUnitGetPropertySelect, 5, getProperty, false},
        {kAudioUnitSetPropertySelect, 5, setProperty, false},
        {kAudioUnitGetParameterSelect, 4, getParameter, false},
        {kAudioUnitSetParameterSelect, 5, setParameter, false},
        {kAudioUnitResetSelect, 2, reset, false},
        {kAudioUnitAddPropertyListenerSelect, 3, addPropertyListener, false},
        {kAudioUnitRemovePropertyListenerSelect, 2, removePropertyListener, false},
        {kAudioUnitRemovePropertyListenerWithUserDataSelect, 3, removePropertyListenerWithUserData, false},
        {kAudioUnitRenderSelect, 5, render, true},
        {kAudioUnitAddRenderNotifySelect, 2, addRenderNotify, true},
        {kAudioUnitRemoveRenderNotifySelect, 2, removeRenderNotify, true},
        {kAudioUnitScheduleParametersSelect, 2, scheduleParameters, true},
    };

    static const Row* find(int16_t selector)
    {
        const auto found = std::ranges::find(kRows, selector, &Row::selector);
        return found == std::end(kRows) ? nullptr : found;
    }
};

OSStatus AUBase::ComponentEntryDispatch(ComponentParameters* params, AUBase* unit)
{
    if (unit == nullptr) return paramErr;
    if (params->what == kComponentCanDoSelect) {
        const SelectorHandlers::Row* asked = SelectorHandlers::find(ComponentParameter<int16_t>(params, 0));
        if (asked == nullptr) return ComponentBase::ComponentEntryDispatch(params, unit);
        return !asked->needsVersion2 || unit->audioUnitAPIVersion > 1 ? 1 : 0;
    }
    const SelectorHandlers::Row* row = SelectorHandlers::find(params->what);
    if (row == nullptr) return ComponentBase::ComponentEntryDispatch(params, unit);
    ComponentArguments args(params, row->arguments);
    return row->handler(*unit, args);
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
    if (propertyListeners.empty()) propertyListeners.reserve(kReservedPropertyListeners);
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
