// The registry, the component and instance records, and the calls on them.
// One copy of this library serves the whole process, hosts and bundles alike.
//
// Registration and lookup take the registry's lock: plug-in hosts may load
// several plug-ins, each registering its bundle, on several threads at once.
// Open, close and calls work from the record they are handed, so they take
// no lock and may come from any thread; a tag at the start of each record
// tells a component from an instance from anything else.

#include "platform/components/Components.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <type_traits>
#include <vector>

namespace {

enum class RecordTag : OSType {
    component = FourCharCode("cmpR"),
    instance = FourCharCode("cmpI"),
};

} // namespace

struct ComponentRecord {
    RecordTag tag;
    ComponentDescription description;
    ComponentRoutine entry;
    std::string name;
    // Open instances point at this record; it cannot be unregistered while
    // any exist. Opened and closed from any thread.
    std::atomic<int32_t> openInstances;
};

struct ComponentInstanceRecord {
    RecordTag tag;
    Component component;
    Handle storage;
};

static_assert(std::is_standard_layout_v<ComponentRecord> &&
                  std::is_standard_layout_v<ComponentInstanceRecord>,
              "the tag must be readable through either handle");

namespace {

// Whether record, of either kind or null, carries tag. A standard-layout
// record and its first member share an address.
bool hasTag(const void* record, RecordTag tag)
{
    return record && *static_cast<const RecordTag*>(record) == tag;
}

// Never destroyed: hosts may close instances from static destructors, after
// a static registry would have gone. Owns its records.
std::vector<Component>& registry()
{
    static auto* components = new std::vector<Component>;
    return *components;
}

std::unique_lock<std::mutex> lockRegistry()
{
    static auto* lock = new std::mutex;
    return std::unique_lock(*lock);
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

Component componentOf(Component record)
{
    if (hasTag(record, RecordTag::component)) return record;
    if (hasTag(record, RecordTag::instance)) return reinterpret_cast<ComponentInstance>(record)->component;
    return nullptr;
}

void release(ComponentInstance instance)
{
    instance->component->openInstances.fetch_sub(1);
    delete instance;
}

} // namespace

Component RegisterComponent(const ComponentDescription* description, ComponentRoutine entry, const char* name)
{
    if (!description || !entry) return nullptr;
    const auto locked = lockRegistry();
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
    const auto locked = lockRegistry();
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
    const auto locked = lockRegistry();
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
    const auto locked = lockRegistry();
    const auto& components = registry();
    return static_cast<long>(std::count_if(components.begin(), components.end(), [&](Component component) {
        return matches(component->description, looking);
    }));
}

OSErr GetComponentInfo(Component component, ComponentDescription* description, std::string* name)
{
    const Component info = componentOf(component);
    if (!info) return invalidComponentID;
    if (description) *description = info->description;
    if (name) *name = info->name;
    return noErr;
}

OSStatus platform::openComponent(Component component, ComponentInstance* instance)
{
    if (!instance) return paramErr;
    *instance = nullptr;
    if (!hasTag(component, RecordTag::component)) return invalidComponentID;
    auto* opened = new (std::nothrow) ComponentInstanceRecord{RecordTag::instance, component, nullptr};
    if (!opened) return memFullErr;
    component->openInstances.fetch_add(1);
    const OSStatus status = callSelector(opened, kComponentOpenSelect, opened);
    if (status != noErr) {
        release(opened);
        return status;
    }
    *instance = opened;
    return noErr;
}

OSErr OpenAComponent(Component component, ComponentInstance* instance)
{
    return static_cast<OSErr>(platform::openComponent(component, instance));
}

ComponentInstance OpenComponent(Component component)
{
    ComponentInstance instance;
    platform::openComponent(component, &instance);
    return instance;
}

OSErr OpenADefaultComponent(OSType componentType, OSType componentSubType, ComponentInstance* instance)
{
    if (!instance) return static_cast<OSErr>(paramErr);
    *instance = nullptr;
    const ComponentDescription looking{componentType, componentSubType, 0, 0, 0};
    const Component component = FindNextComponent(nullptr, &looking);
    if (!component) return static_cast<OSErr>(invalidComponentID);
    return OpenAComponent(component, instance);
}

OSErr CloseComponent(ComponentInstance instance)
{
    if (!hasTag(instance, RecordTag::instance)) return static_cast<OSErr>(badComponentInstance);
    const ComponentResult status = platform::callSelector(instance, kComponentCloseSelect, instance);
    release(instance);
    return static_cast<OSErr>(status);
}

ComponentResult CallComponent(ComponentInstance instance, ComponentParameters* params)
{
    if (!hasTag(instance, RecordTag::instance)) return badComponentInstance;
    return instance->component->entry(params, instance->storage);
}

void SetComponentInstanceStorage(ComponentInstance instance, Handle storage)
{
    if (hasTag(instance, RecordTag::instance)) instance->storage = storage;
}

Handle GetComponentInstanceStorage(ComponentInstance instance)
{
    return hasTag(instance, RecordTag::instance) ? instance->storage : nullptr;
}
