// Calls that act on a component or instance record alone. A bundle's copy of
// these is handed records made by the host's copy, so nothing here may look
// at the registry or any other state of this copy.

#include "platform/components/ComponentRecords.h"

#include <new>

using platform::detail::hasTag;
using platform::detail::RecordTag;

namespace {

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
