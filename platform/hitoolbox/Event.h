#pragma once

// An event: class, kind, time and typed parameters, reference-counted.

#include <map>
#include <vector>

#include "platform/hitoolbox/CarbonEvents.h"

struct OpaqueEventRef {
    struct Parameter {
        EventParamType type;
        std::vector<unsigned char> bytes;
    };

    int references = 1;
    UInt32 eventClass = 0;
    UInt32 kind = 0;
    EventTime time = 0;
    std::map<EventParamName, Parameter> parameters;
};

namespace platform::detail {

// A new event (one reference) with the current time.
EventRef newEvent(UInt32 eventClass, UInt32 kind);

// Typed shorthands for the platform's own events. get returns fallback when
// the parameter is missing or of another type.
template <typename T>
void setParameter(EventRef event, EventParamName name, EventParamType type, const T& value)
{
    SetEventParameter(event, name, type, sizeof(T), &value);
}
template <typename T>
T getParameter(EventRef event, EventParamName name, EventParamType type, T fallback = T{})
{
    T value;
    if (GetEventParameter(event, name, type, nullptr, sizeof(T), nullptr, &value) != noErr) return fallback;
    return value;
}

} // namespace platform::detail
