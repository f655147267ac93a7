#include "platform/hitoolbox/Event.h"

#include <cstring>

#include "platform/hitoolbox/HIToolbox.h"

namespace {

// The size a parameter of this type must have; 0 for any.
ByteCount fixedSize(EventParamType type)
{
    switch (type) {
    case typeBoolean:
        return sizeof(Boolean);
    case typeSInt16:
        return sizeof(int16_t);
    case typeSInt32:
        return sizeof(SInt32);
    case typeUInt32:
        return sizeof(UInt32);
    case typeQDPoint:
        return sizeof(Point);
    case typeQDRectangle:
        return sizeof(Rect);
    case typeHIPoint:
        return sizeof(HIPoint);
    case typeHISize:
        return sizeof(HISize);
    case typeHIRect:
        return sizeof(HIRect);
    case typeMouseButton:
        return sizeof(EventMouseButton);
    case typeMouseWheelAxis:
        return sizeof(EventMouseWheelAxis);
    case typeControlPartCode:
        return sizeof(ControlPartCode);
    case typeClickActivationResult:
        return sizeof(ClickActivationResult);
    case typeEventRef:
    case typeWindowRef:
    case typeControlRef:
    case typeHIObjectRef:
    case typeCGContextRef:
    case typeQDRgnHandle:
    case typeDragRef:
    case typeCollection:
    case typeVoidPtr:
        return sizeof(void*);
    default:
        return 0;
    }
}

} // namespace

namespace platform::detail {

EventRef newEvent(UInt32 eventClass, UInt32 kind)
{
    EventRef event = nullptr;
    CreateEvent(nullptr, eventClass, kind, 0, kEventAttributeNone, &event);
    return event;
}

} // namespace platform::detail

OSStatus CreateEvent(CFAllocatorRef, UInt32 classID, UInt32 kind, EventTime when, UInt32, EventRef* outEvent)
{
    if (!outEvent) return paramErr;
    auto* event = new OpaqueEventRef;
    event->eventClass = classID;
    event->kind = kind;
    event->time = when != 0 ? when : GetCurrentEventTime();
    *outEvent = event;
    return noErr;
}

EventRef RetainEvent(EventRef event)
{
    if (event) ++event->references;
    return event;
}

void ReleaseEvent(EventRef event)
{
    if (event && --event->references == 0) delete event;
}

UInt32 GetEventClass(EventRef event)
{
    return event ? event->eventClass : 0;
}

UInt32 GetEventKind(EventRef event)
{
    return event ? event->kind : 0;
}

EventTime GetEventTime(EventRef event)
{
    return event ? event->time : 0;
}

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size,
                           const void* data)
{
    if (!event || (size > 0 && !data)) return paramErr;
    const ByteCount fixed = fixedSize(type);
    if (fixed != 0 && size != fixed) return paramErr;
    const auto* bytes = static_cast<const unsigned char*>(data);
    event->parameters[name] = {type, std::vector<unsigned char>(bytes, bytes + size)};
    return noErr;
}

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize, ByteCount* outActualSize,
                           void* outData)
{
    if (!event) return paramErr;
    const auto found = event->parameters.find(name);
    if (found == event->parameters.end()) return eventParameterNotFoundErr;
    const auto& parameter = found->second;
    if (desiredType != typeWildCard && desiredType != parameter.type) return errAECoercionFail;
    if (outData && bufferSize < parameter.bytes.size()) return paramErr;
    if (outActualType) *outActualType = parameter.type;
    if (outActualSize) *outActualSize = parameter.bytes.size();
    if (outData && !parameter.bytes.empty())
        std::memcpy(outData, parameter.bytes.data(), parameter.bytes.size());
    return noErr;
}
