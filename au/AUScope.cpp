#include "au/AUScope.h"

#include <algorithm>
#include <cstdio>

void AUScope::Initialize(AUElementCreator* elementCreator, AudioUnitScope scopeNumber,
                         UInt32 numberOfElements)
{
    creator = elementCreator;
    scope = scopeNumber;
    SetNumberOfElements(numberOfElements);
}

void AUScope::SetNumberOfElements(UInt32 numberOfElements)
{
    if (numberOfElements > elements.size()) {
        elements.reserve(numberOfElements);
        while (elements.size() < numberOfElements)
            elements.push_back(creator->CreateElement(scope, static_cast<AudioUnitElement>(elements.size())));
    } else {
        elements.resize(numberOfElements);
    }
}

AUElement* AUScope::GetElement(UInt32 index) const
{
    return index < elements.size() ? elements[index].get() : nullptr;
}

AUElement* AUScope::SafeGetElement(UInt32 index) const
{
    AUElement* element = GetElement(index);
    if (element == nullptr) throw static_cast<OSStatus>(kAudioUnitErr_InvalidElement);
    return element;
}

AUIOElement* AUScope::GetIOElement(UInt32 index) const
{
    auto* element = dynamic_cast<AUIOElement*>(GetElement(index));
    if (element == nullptr) throw static_cast<OSStatus>(kAudioUnitErr_InvalidElement);
    return element;
}

bool AUScope::HasElementWithName() const
{
    for (const auto& element : elements)
        if (element->HasName()) return true;
    return false;
}

void AUScope::AddElementNamesToDict(CFMutableDictionaryRef nameDictionary) const
{
    if (!HasElementWithName()) return;
    CFMutableDictionaryRef names = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                             &kCFTypeDictionaryValueCallBacks);
    for (UInt32 i = 0; i < elements.size(); ++i) {
        if (!elements[i]->HasName()) continue;
        CFStringRef key = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), static_cast<int>(i));
        CFDictionarySetValue(names, key, elements[i]->GetName());
        CFRelease(key);
    }
    CFStringRef scopeKey = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), static_cast<int>(scope));
    CFDictionarySetValue(nameDictionary, scopeKey, names);
    CFRelease(scopeKey);
    CFRelease(names);
}

bool AUScope::RestoreElementNames(CFDictionaryRef nameDictionary)
{
    const CFIndex count = CFDictionaryGetCount(nameDictionary);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(nameDictionary, keys.data(), values.data());

    // Keys are decimal element indices. A saved state is untrusted: an index
    // no unit could have would otherwise make it create that many elements.
    std::vector<std::pair<UInt32, CFStringRef>> named;
    for (CFIndex i = 0; i < count; ++i) {
        char text[32];
        unsigned index = 0;
        if (CFGetTypeID(keys[i]) != CFStringGetTypeID() || CFGetTypeID(values[i]) != CFStringGetTypeID())
            continue;
        if (!CFStringGetCString(static_cast<CFStringRef>(keys[i]), text, sizeof text, kCFStringEncodingUTF8))
            continue;
        if (std::sscanf(text, "%u", &index) != 1 || index >= kMaxNamedElements) continue;
        named.emplace_back(index, static_cast<CFStringRef>(values[i]));
    }

    UInt32 highest = 0;
    for (const auto& [index, name] : named) highest = std::max(highest, index);
    const bool grew = !named.empty() && highest >= elements.size();
    if (grew) SetNumberOfElements(highest + 1);
    for (const auto& [index, name] : named) elements[index]->SetName(name);
    return grew;
}
