#pragma once

// Installs one Carbon event handler per event target and routes what it
// receives to HandleEvent. The handlers live as long as the object, or until
// RemoveEventHandlers.

#include "platform/hitoolbox/CarbonEvents.h"

class CarbonEventHandler {
  public:
    CarbonEventHandler() = default;
    virtual ~CarbonEventHandler();
    CarbonEventHandler(const CarbonEventHandler&) = delete;
    CarbonEventHandler& operator=(const CarbonEventHandler&) = delete;

    // Adds the types to the handler already on the target, or installs one.
    virtual OSStatus WantEventTypes(EventTargetRef target, UInt32 count, const EventTypeSpec* types);
    // True when the event was handled.
    virtual bool HandleEvent(EventHandlerCallRef callRef, EventRef event) = 0;

  protected:
    // Removes every handler installed so far; a subclass calls it before the
    // targets they sit on go away.
    void RemoveEventHandlers();

  private:
    static OSStatus TheEventHandler(EventHandlerCallRef callRef, EventRef event, void* userData);

    // Target → its handler, both unretained; created on first use.
    CFMutableDictionaryRef mHandlers = nullptr;
};
