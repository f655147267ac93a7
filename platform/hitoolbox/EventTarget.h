#pragma once

// An event target: the handlers installed on it, in install order, a
// standard handler that runs after them, and the parent target the event
// goes on to. Windows and views own theirs; a target whose owner is gone
// stays valid for a dispatch still running through it, with no handlers and
// no standard handler.

#include <memory>
#include <vector>

#include "platform/hitoolbox/CarbonEvents.h"

struct OpaqueEventHandlerRef {
    EventTargetRef target;
    EventHandlerUPP proc;
    void* userData;
    std::vector<EventTypeSpec> types;
    bool removed = false;

    bool wants(EventRef event) const;
};

struct OpaqueEventTargetRef : std::enable_shared_from_this<OpaqueEventTargetRef> {
    std::vector<std::shared_ptr<OpaqueEventHandlerRef>> handlers;

    OpaqueEventTargetRef() = default;
    OpaqueEventTargetRef(const OpaqueEventTargetRef&) = delete;
    OpaqueEventTargetRef& operator=(const OpaqueEventTargetRef&) = delete;
    virtual ~OpaqueEventTargetRef() = default;

    virtual EventTargetRef parent() const { return nullptr; }
    virtual OSStatus standardHandler(EventHandlerCallRef, EventRef) { return eventNotHandledErr; }
    // Removes every handler; the owner calls this when it goes.
    void detach();
};

namespace platform::detail {

// Whether a type list (empty: every event) names this class and kind.
bool listsType(const EventTypeSpec* list, ItemCount count, UInt32 eventClass, UInt32 kind);

// A window's or view's target: its owner gives the parent and the standard
// handler until it goes.
template <typename Owner> struct OwnedTarget final : OpaqueEventTargetRef {
    Owner* owner;
    explicit OwnedTarget(Owner* o) : owner(o) {}
    EventTargetRef parent() const override { return owner ? owner->parentTarget() : nullptr; }
    OSStatus standardHandler(EventHandlerCallRef call, EventRef event) override
    {
        return owner ? owner->standardHandler(call, event) : eventNotHandledErr;
    }
};

} // namespace platform::detail
