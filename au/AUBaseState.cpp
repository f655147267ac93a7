// AUBase: the saved-state (class-info) dictionary.

#include <cstdint>

#include "au/AUBase.h"
#include "au/BigEndian.h"

using au::detail::appendBigEndian;
using au::detail::readBigEndian;

namespace {

void setNumber(CFMutableDictionaryRef dictionary, CFStringRef key, SInt32 value)
{
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
    CFDictionarySetValue(dictionary, key, number);
    CFRelease(number);
}

// The value under key when it has the expected type.
template <typename Ref> Ref valueOfType(CFDictionaryRef dictionary, CFStringRef key, CFTypeID type)
{
    const void* value = CFDictionaryGetValue(dictionary, key);
    return value && CFGetTypeID(value) == type ? static_cast<Ref>(value) : nullptr;
}

bool readSInt32(CFDictionaryRef dictionary, CFStringRef key, SInt32& out)
{
    auto number = valueOfType<CFNumberRef>(dictionary, key, CFNumberGetTypeID());
    return number && CFNumberGetValue(number, kCFNumberSInt32Type, &out);
}

} // namespace

OSStatus AUBase::SaveState(CFPropertyListRef* outData)
{
    ComponentDescription description{};
    const OSErr error =
        GetComponentInfo(reinterpret_cast<Component>(GetComponentInstance()), &description, nullptr);
    if (error != noErr) return error;

    CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                  &kCFTypeDictionaryValueCallBacks);
    setNumber(dictionary, CFSTR("version"), 0);
    setNumber(dictionary, CFSTR("type"), static_cast<SInt32>(description.componentType));
    setNumber(dictionary, CFSTR("subtype"), static_cast<SInt32>(description.componentSubType));
    setNumber(dictionary, CFSTR("manufacturer"), static_cast<SInt32>(description.componentManufacturer));

    CFMutableDataRef data = CFDataCreateMutable(nullptr, 0);
    for (AudioUnitScope scope : {kAudioUnitScope_Global, kAudioUnitScope_Input, kAudioUnitScope_Output}) {
        const AUScope& s = scopes[scope];
        for (UInt32 i = 0; i < s.GetNumberOfElements(); ++i) {
            const AUElement* element = s.GetElement(i);
            if (element->GetNumberOfParameters() == 0) continue;
            appendBigEndian(data, scope);
            appendBigEndian(data, i);
            element->SaveState(data);
        }
    }
    CFDictionarySetValue(dictionary, CFSTR("data"), data);
    CFRelease(data);

    if (currentPreset.presetName) CFDictionarySetValue(dictionary, CFSTR("name"), currentPreset.presetName);

    SInt32 renderQuality = 0;
    if (DispatchGetProperty(kAudioUnitProperty_RenderQuality, kAudioUnitScope_Global, 0, &renderQuality) ==
        noErr)
        setNumber(dictionary, CFSTR("render-quality"), renderQuality);
    Float32 cpuLoad = 0.0f;
    if (DispatchGetProperty(kAudioUnitProperty_CPULoad, kAudioUnitScope_Global, 0, &cpuLoad) == noErr) {
        CFNumberRef number = CFNumberCreate(nullptr, kCFNumberFloat32Type, &cpuLoad);
        CFDictionarySetValue(dictionary, CFSTR("cpu-load"), number);
        CFRelease(number);
    }

    bool named = false;
    for (const AUScope& s : scopes) named = named || s.HasElementWithName();
    if (named) {
        CFMutableDictionaryRef names = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                 &kCFTypeDictionaryValueCallBacks);
        for (const AUScope& s : scopes) s.AddElementNamesToDict(names);
        CFDictionarySetValue(dictionary, CFSTR("element-name"), names);
        CFRelease(names);
    }

    *outData = dictionary;
    return noErr;
}

OSStatus AUBase::RestoreState(CFPropertyListRef plist)
{
    if (plist == nullptr || CFGetTypeID(plist) != CFDictionaryGetTypeID())
        return kAudioUnitErr_InvalidPropertyValue;
    const auto dictionary = static_cast<CFDictionaryRef>(plist);

    ComponentDescription description{};
    const OSErr error =
        GetComponentInfo(reinterpret_cast<Component>(GetComponentInstance()), &description, nullptr);
    if (error != noErr) return error;

    // Checks that refuse the whole dictionary, before anything changes.
    if (CFDictionaryContainsKey(dictionary, CFSTR("part"))) return kAudioUnitErr_InvalidPropertyValue;
    SInt32 version = -1, subtype = 0, manufacturer = 0;
    if (!readSInt32(dictionary, CFSTR("version"), version) || version != 0)
        return kAudioUnitErr_InvalidPropertyValue;
    if (!readSInt32(dictionary, CFSTR("subtype"), subtype) ||
        static_cast<OSType>(subtype) != description.componentSubType)
        return kAudioUnitErr_InvalidPropertyValue;
    if (!readSInt32(dictionary, CFSTR("manufacturer"), manufacturer) ||
        static_cast<OSType>(manufacturer) != description.componentManufacturer)
        return kAudioUnitErr_InvalidPropertyValue;

    // Parameter records. The blob is untrusted: nothing is read past its end,
    // and a record cut short restores its complete pairs.
    if (auto data = valueOfType<CFDataRef>(dictionary, CFSTR("data"), CFDataGetTypeID())) {
        const UInt8* position = CFDataGetBytePtr(data);
        const UInt8* end = position + CFDataGetLength(data);
        while (end - position >= 8) {
            AUScope& scope = GetScope(readBigEndian(position));
            AUElement* element = scope.GetElement(readBigEndian(position + 4));
            if (element == nullptr) break;
            position = element->RestoreState(position + 8, end);
        }
    }

    auto name = valueOfType<CFStringRef>(dictionary, CFSTR("name"), CFStringGetTypeID());
    SetAFactoryPresetAsCurrent({-1, name ? name : CFSTR("Untitled")});
    PropertyChanged(kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0);
    PropertyChanged(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0);

    SInt32 renderQuality = 0;
    if (readSInt32(dictionary, CFSTR("render-quality"), renderQuality))
        DispatchSetProperty(kAudioUnitProperty_RenderQuality, kAudioUnitScope_Global, 0, &renderQuality,
                            sizeof renderQuality);
    if (auto number = valueOfType<CFNumberRef>(dictionary, CFSTR("cpu-load"), CFNumberGetTypeID())) {
        Float32 cpuLoad = 0.0f;
        CFNumberGetValue(number, kCFNumberFloat32Type, &cpuLoad);
        DispatchSetProperty(kAudioUnitProperty_CPULoad, kAudioUnitScope_Global, 0, &cpuLoad, sizeof cpuLoad);
    }

    if (auto names =
            valueOfType<CFDictionaryRef>(dictionary, CFSTR("element-name"), CFDictionaryGetTypeID())) {
        for (AudioUnitScope scope = 0; scope < scopes.size(); ++scope) {
            CFStringRef key =
                CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), static_cast<int>(scope));
            auto scopeNames = valueOfType<CFDictionaryRef>(names, key, CFDictionaryGetTypeID());
            CFRelease(key);
            if (scopeNames && scopes[scope].RestoreElementNames(scopeNames))
                PropertyChanged(kAudioUnitProperty_ElementCount, scope, 0);
        }
    }
    return noErr;
}
