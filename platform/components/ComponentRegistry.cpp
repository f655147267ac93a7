// The process-wide list of registered components. Hosts use the registry of
// their own copy of this library; a bundle's copy has an empty one. No lock:
// callers keep to one thread at a time.

#include "platform/components/ComponentRecords.h"

#include <algorithm>
#include <memory>
#include <vector>

using platform::detail::RecordTag;

namespace {

// Never destroyed: hosts may close instances from static destructors, after
// a static registry would have gone. Owns its records.
std::vector<Component>& registry()
{
    static auto* components = new std::vector<Component>;
    return *components;
}

bool sameDescription(const ComponentDescription& a, const ComponentDescription& b)
{
    return a.componentType == b.componentType && a.componentSubType == b.componentSubType &&
           a.componentManufacturer == b.componentManufacturer && a.componentFlags == b.componentFlags;
}

bool matches(const ComponentDescription& registered, const ComponentDescription* looking)
{
    if (!looking) return true;
    const auto fieldMatches = [](OSType have, OSType want) { return want == 0 || have == want; };
    const uint32_t mask = looking->componentFlagsMask;
    return fieldMatches(registered.componentType, looking->componentType) &&
           fieldMatches(registered.componentSubType, looking->componentSubType) &&
           fieldMatches(registered.componentManufacturer, looking->componentManufacturer) &&
           (registered.componentFlags & mask) == (looking->componentFlags & mask);
}

} // namespace

Component RegisterComponent(const ComponentDescription* description, ComponentRoutine entry, const char* name)
{
    if (!description || !entry) return nullptr;
    auto& components = registry();
    const bool duplicate = std::any_of(components.begin(), components.end(), [&](Component registered) {
        return registered->entry == entry && sameDescription(registered->description, *description);
    });
    if (duplicate) return nullptr;
    // Braces: clang 14 has no parenthesised aggregate initialisation.
    std::unique_ptr<ComponentRecord> component(
        new ComponentRecord{RecordTag::component, *description, entry, name ? name : "", 0});
    components.push_back(component.get());
    return component.release();
}

OSErr UnregisterComponent(Component component)
{
    auto& components = registry();
    const auto found = std::find(components.begin(), components.end(), component);
    if (found == components.end()) return invalidComponentID;
    if (component->openInstances.load() != 0) return validInstancesExist;
    components.erase(found);
    delete component;
    return noErr;
}

Component FindNextComponent(Component previous, const ComponentDescription* looking)
{
    const auto& components = registry();
    auto next = components.begin();
    if (previous) {
        next = std::find(components.begin(), components.end(), previous);
        if (next == components.end()) return nullptr;
        ++next;
    }
    const auto found = std::find_if(next, components.end(), [&](Component component) {
        return matches(component->description, looking);
    });
    return found == components.end() ? nullptr : *found;
}

long CountComponents(const ComponentDescription* looking)
{
    const auto& components = registry();
    return static_cast<long>(std::count_if(components.begin(), components.end(), [&](Component component) {
        return matches(component->description, looking);
    }));
}
