// One handler per target, however many times types are asked for, and none
// left once the object is gone.

#include <gtest/gtest.h>

#include "au/carbonview/CarbonEventHandler.h"
#include "platform/hitoolbox/HIToolbox.h"

namespace {

class CountingHandler : public CarbonEventHandler {
  public:
    explicit CountingHandler(int& calls) : calls(calls) {}
    bool HandleEvent(EventHandlerCallRef, EventRef) override
    {
        ++calls;
        return handles;
    }
    int& calls;
    bool handles = false;
};

OSStatus send(ControlRef control, UInt32 kind)
{
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassControl, kind, 0, 0, &event);
    const OSStatus result = SendEventToEventTarget(event, GetControlEventTarget(control));
    ReleaseEvent(event);
    return result;
}

TEST(CarbonEventHandler, OneHandlerPerTargetRemovedWithTheObject)
{
    const Rect bounds{0, 0, 10, 10};
    ControlRef a = nullptr, b = nullptr;
    CreateUserPaneControl(nullptr, &bounds, 0, &a);
    CreateUserPaneControl(nullptr, &bounds, 0, &b);
    const EventTypeSpec click[] = {{kEventClassControl, kEventControlClick}};
    const EventTypeSpec draw[] = {{kEventClassControl, kEventControlDraw}};
    int calls = 0;
    {
        CountingHandler handler(calls);
        EXPECT_EQ(handler.WantEventTypes(GetControlEventTarget(a), 1, click), noErr);
        EXPECT_EQ(handler.WantEventTypes(GetControlEventTarget(a), 1, draw), noErr);
        EXPECT_EQ(handler.WantEventTypes(GetControlEventTarget(a), 1, click), noErr);
        EXPECT_EQ(handler.WantEventTypes(GetControlEventTarget(b), 1, draw), noErr);

        // Not handled: passed on, and a second handler on the target would
        // have counted it again.
        EXPECT_EQ(send(a, kEventControlClick), eventNotHandledErr);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(send(a, kEventControlDraw), eventNotHandledErr);
        EXPECT_EQ(calls, 2);
        EXPECT_EQ(send(b, kEventControlClick), eventNotHandledErr);
        EXPECT_EQ(calls, 2);
        handler.handles = true;
        EXPECT_EQ(send(b, kEventControlDraw), noErr);
        EXPECT_EQ(calls, 3);
    }
    EXPECT_EQ(send(a, kEventControlClick), eventNotHandledErr);
    EXPECT_EQ(send(b, kEventControlDraw), eventNotHandledErr);
    EXPECT_EQ(calls, 3);
    DisposeControl(a);
    DisposeControl(b);
}

} // namespace
