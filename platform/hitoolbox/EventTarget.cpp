#include "platform/hitoolbox/EventTarget.h"

#include <algorithm>
#include <set>

namespace {

// One step of a dispatch: a handler, or a target's standard handler.
struct Step {
    std::shared_ptr<OpaqueEventHandlerRef> handler;
    std::shared_ptr<OpaqueEventTargetRef> target;
};

} // namespace

// The chain an event goes through, fixed when it is sent, so that handlers
// installed or removed meanwhile change nothing but what has been removed.
struct OpaqueEventHandlerCallRef {
    std::vector<Step> steps;
    size_t next = 0;
};

namespace {

OSStatus runFrom(EventHandlerCallRef call, EventRef event)
{
    while (call->next < call->steps.size()) {
        const Step step = call->steps[call->next++];
        const size_t after = call->next;
        OSStatus status = eventNotHandledErr;
        if (step.handler) {
            if (step.handler->removed) continue;
            status = step.handler->proc(call, event, step.handler->userData);
        } else {
            status = step.target->standardHandler(call, event);
        }
        // A handler that called the next ones has the last word.
        if (status != eventNotHandledErr || call->next != after) return status;
    }
    return eventNotHandledErr;
}

// Handlers not yet removed, by hand or with their target: a reference kept
// past either is refused, not followed.
std::set<EventHandlerRef>& liveHandlers()
{
    static std::set<EventHandlerRef> live;
    return live;
}

} // namespace

bool OpaqueEventHandlerRef::wants(EventRef event) const
{
    const UInt32 eventClass = GetEventClass(event), kind = GetEventKind(event);
    return !types.empty() && platform::detail::listsType(types.data(), types.size(), eventClass, kind);
}

void OpaqueEventTargetRef::detach()
{
    for (auto& handler : handlers) {
        handler->removed = true;
        liveHandlers().erase(handler.get());
    }
    handlers.clear();
}

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef)
{
    if (!target || !handler || (numTypes > 0 && !list)) return paramErr;
    auto installed = std::make_shared<OpaqueEventHandlerRef>(
        OpaqueEventHandlerRef{target, handler, userData, std::vector<EventTypeSpec>(list, list + numTypes)});
    target->handlers.push_back(installed);
    liveHandlers().insert(installed.get());
    if (outRef) *outRef = installed.get();
    return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handler)
{
    if (!liveHandlers().erase(handler)) return paramErr;
    auto& handlers = handler->target->handlers;
    const auto found = std::find_if(handlers.begin(), handlers.end(),
                                    [&](const auto& installed) { return installed.get() == handler; });
    if (found == handlers.end()) return paramErr;
    handler->removed = true;
    handlers.erase(found);
    return noErr;
}

OSStatus AddEventTypesToHandler(EventHandlerRef handler, ItemCount numTypes, const EventTypeSpec* list)
{
    if (!liveHandlers().count(handler) || (numTypes > 0 && !list)) return paramErr;
    handler->types.insert(handler->types.end(), list, list + numTypes);
    return noErr;
}

OSStatus RemoveEventTypesFromHandler(EventHandlerRef handler, ItemCount numTypes, const EventTypeSpec* list)
{
    if (!liveHandlers().count(handler) || (numTypes > 0 && !list)) return paramErr;
    auto& types = handler->types;
    for (ItemCount i = 0; i < numTypes; ++i) {
        std::erase_if(types, [&](const EventTypeSpec& type) {
            return platform::detail::listsType(&list[i], 1, type.eventClass, type.eventKind);
        });
    }
    return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event)
{
    if (!callRef || !event) return paramErr;
    return runFrom(callRef, event);
}

OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target)
{
    if (!event || !target) return paramErr;
    OpaqueEventHandlerCallRef call;
    for (EventTargetRef t = target; t; t = t->parent()) {
        for (auto h = t->handlers.rbegin(); h != t->handlers.rend(); ++h)
            if ((*h)->wants(event)) call.steps.push_back({*h, nullptr});
        call.steps.push_back({nullptr, t->shared_from_this()});
    }
    RetainEvent(event);
    const OSStatus status = runFrom(&call, event);
    ReleaseEvent(event);
    return status;
}

bool platform::detail::listsType(const EventTypeSpec* list, ItemCount count, UInt32 eventClass, UInt32 kind)
{
    return count == 0 || std::any_of(list, list + count, [&](const EventTypeSpec& type) {
               return type.eventClass == eventClass && type.eventKind == kind;
           });
}
