#include "au/carbonview/CarbonEventHandler.h"

CarbonEventHandler::~CarbonEventHandler()
{
    RemoveEventHandlers();
    if (mHandlers) CFRelease(mHandlers);
}

OSStatus CarbonEventHandler::WantEventTypes(EventTargetRef target, UInt32 count, const EventTypeSpec* types)
{
    if (mHandlers == nullptr) mHandlers = CFDictionaryCreateMutable(nullptr, 4, nullptr, nullptr);
    auto handler = static_cast<EventHandlerRef>(const_cast<void*>(CFDictionaryGetValue(mHandlers, target)));
    if (handler) return AddEventTypesToHandler(handler, count, types);
    const OSStatus result = InstallEventHandler(target, TheEventHandler, count, types, this, &handler);
    if (result == noErr) CFDictionarySetValue(mHandlers, target, handler);
    return result;
}

void CarbonEventHandler::RemoveEventHandlers()
{
    if (mHandlers == nullptr) return;
    CFDictionaryApplyFunction(
        mHandlers,
        [](const void*, const void* handler, void*) {
            RemoveEventHandler(static_cast<EventHandlerRef>(const_cast<void*>(handler)));
        },
        nullptr);
    CFDictionaryRemoveAllValues(mHandlers);
}

OSStatus CarbonEventHandler::TheEventHandler(EventHandlerCallRef callRef, EventRef event, void* userData)
{
    return static_cast<CarbonEventHandler*>(userData)->HandleEvent(callRef, event) ? noErr
                                                                                   : eventNotHandledErr;
}
