#pragma once

// One of a unit's five scopes: an ordered list of elements, created through
// the unit's element factory.

#include <memory>
#include <vector>

#include "au/AUElement.h"
#include "au/AUElementCreator.h"
#include "au/AUIOElement.h"

class AUScope {
  public:
    AUScope() = default;
    AUScope(const AUScope&) = delete;
    AUScope& operator=(const AUScope&) = delete;

    void Initialize(AUElementCreator* creator, AudioUnitScope scope, UInt32 numberOfElements);
    AudioUnitScope GetScope() const { return scope; }

    UInt32 GetNumberOfElements() const { return static_cast<UInt32>(elements.size()); }
    // Grows through the factory, or destroys elements from the end.
    void SetNumberOfElements(UInt32 numberOfElements);

    // Null when there is no such element.
    AUElement* GetElement(UInt32 index) const;
    // Throws kAudioUnitErr_InvalidElement instead.
    AUElement* SafeGetElement(UInt32 index) const;
    // Throws kAudioUnitErr_InvalidElement also when it is not an IO element.
    AUIOElement* GetIOElement(UInt32 index) const;

    bool HasElementWithName() const;
    // Adds {"index": name} of the named elements under the scope number.
    void AddElementNamesToDict(CFMutableDictionaryRef nameDictionary) const;
    // Names elements from {"index": name}, growing the scope when an index
    // is beyond it; returns true when the element count changed. Indices from
    // kMaxNamedElements on are ignored.
    bool RestoreElementNames(CFDictionaryRef nameDictionary);

    static constexpr UInt32 kMaxNamedElements = 1024;

  private:
    AUElementCreator* creator = nullptr;
    AudioUnitScope scope = 0;
    std::vector<std::unique_ptr<AUElement>> elements;
};
