// Events, typed parameters and the order handlers run in.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hitoolbox/HIToolbox.h"

namespace {

constexpr EventTypeSpec kTestEvent{FourCharCode("test"), 1};

struct Recorder {
    std::vector<std::string> calls;
};

struct Step {
    Recorder* recorder;
    std::string name;
    OSStatus result;
    bool callNext = false;
};

OSStatus recordingHandler(EventHandlerCallRef call, EventRef event, void* userData)
{
    auto* step = static_cast<Step*>(userData);
    step->recorder->calls.push_back(step->name);
    if (step->callNext) {
        const OSStatus next = CallNextEventHandler(call, event);
        step->recorder->calls.push_back(step->name + " after next: " + std::to_string(next));
    }
    return step->result;
}

EventRef makeEvent(const EventTypeSpec& type = kTestEvent)
{
    EventRef event = nullptr;
    EXPECT_EQ(CreateEvent(nullptr, type.eventClass, type.eventKind, 0, kEventAttributeNone, &event), noErr);
    return event;
}

TEST(Events, ClassKindTimeAndReferences)
{
    EventRef event = nullptr;
    ASSERT_EQ(CreateEvent(nullptr, kEventClassMouse, kEventMouseWheelMoved, 12.5, 0, &event), noErr);
    EXPECT_EQ(GetEventClass(event), FourCharCode("mous"));
    EXPECT_EQ(GetEventKind(event), 10u);
    EXPECT_EQ(GetEventTime(event), 12.5);
    EXPECT_EQ(RetainEvent(event), event);
    ReleaseEvent(event);
    // Still alive after one release of two references (ASan would tell).
    EXPECT_EQ(GetEventKind(event), 10u);
    ReleaseEvent(event);
}

TEST(Events, TypedParametersRefuseWrongTypesAndSizes)
{
    EventRef event = makeEvent();
    const HIPoint where{12.5, -3};
    ASSERT_EQ(SetEventParameter(event, kEventParamMouseLocation, typeHIPoint, sizeof where, &where), noErr);

    HIPoint read{};
    EventParamType actualType = 0;
    ByteCount actualSize = 0;
    ASSERT_EQ(GetEventParameter(event, kEventParamMouseLocation, typeHIPoint, &actualType, sizeof read,
                                &actualSize, &read),
              noErr);
    EXPECT_EQ(read.x, 12.5);
    EXPECT_EQ(read.y, -3);
    EXPECT_EQ(actualType, typeHIPoint);
    EXPECT_EQ(actualSize, sizeof(HIPoint));

    Point qd{};
    EXPECT_EQ(
        GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof qd, nullptr, &qd),
        errAECoercionFail);
    EXPECT_EQ(GetEventParameter(event, kEventParamMouseLocation, typeWildCard, &actualType, sizeof read,
                                nullptr, &read),
              noErr);
    EXPECT_EQ(actualType, typeHIPoint);
    // Too small a buffer is refused rather than cut short.
    CGFloat half = 0;
    EXPECT_EQ(
        GetEventParameter(event, kEventParamMouseLocation, typeHIPoint, nullptr, sizeof half, nullptr, &half),
        paramErr);
    EXPECT_EQ(GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, 4, nullptr, &half),
              eventParameterNotFoundErr);

    // Fixed-size types take exactly their size; text takes any.
    const uint16_t shortModifiers = 0;
    EXPECT_EQ(
        SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof shortModifiers, &shortModifiers),
        paramErr);
    const UInt32 modifiers = cmdKey | shiftKey;
    EXPECT_EQ(SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers),
              noErr);
    const char text[] = "abc";
    EXPECT_EQ(SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 3, text), noErr);
    char readText[3] = {};
    EXPECT_EQ(
        GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, 3, &actualSize, readText),
        noErr);
    EXPECT_EQ(std::string(readText, actualSize), "abc");

    // Setting again replaces value and type.
    const ControlPartCode part = 5;
    ASSERT_EQ(SetEventParameter(event, kEventParamMouseLocation, typeControlPartCode, sizeof part, &part),
              noErr);
    EXPECT_EQ(
        GetEventParameter(event, kEventParamMouseLocation, typeHIPoint, nullptr, sizeof read, nullptr, &read),
        errAECoercionFail);
    ReleaseEvent(event);
}

// Handlers of one target run newest first, then the parent target's; the
// first answer other than not-handled ends the chain.
TEST(Events, HandlerOrderCallNextAndRemoval)
{
    WindowRef window = nullptr;
    const Rect bounds{0, 0, 50, 50};
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowCompositingAttribute, &bounds, &window), noErr);
    ControlRef pane = nullptr;
    ASSERT_EQ(CreateUserPaneControl(window, &bounds, kControlSupportsEmbedding, &pane), noErr);

    Recorder recorder;
    Step older{&recorder, "older", eventNotHandledErr};
    Step newer{&recorder, "newer", eventNotHandledErr, true};
    Step onWindow{&recorder, "window", noErr};
    Step onApplication{&recorder, "application", noErr};
    EventHandlerRef olderRef = nullptr, newerRef = nullptr, windowRef = nullptr, applicationRef = nullptr;
    ASSERT_EQ(
        InstallEventHandler(GetControlEventTarget(pane), recordingHandler, 1, &kTestEvent, &older, &olderRef),
        noErr);
    ASSERT_EQ(
        InstallEventHandler(GetControlEventTarget(pane), recordingHandler, 1, &kTestEvent, &newer, &newerRef),
        noErr);
    ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), recordingHandler, 1, &kTestEvent, &onWindow,
                                  &windowRef),
              noErr);
    ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), recordingHandler, 1, &kTestEvent,
                                  &onApplication, &applicationRef),
              noErr);

    // The handler that called the rest has the last word, and the rest is
    // not run again.
    EventRef event = makeEvent();
    EXPECT_EQ(SendEventToEventTarget(event, GetControlEventTarget(pane)), eventNotHandledErr);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"newer", "older", "window", "newer after next: 0"}));

    // An event of another kind reaches nobody; adding the kind to a handler
    // makes it reach that one.
    recorder.calls.clear();
    const EventTypeSpec other{kTestEvent.eventClass, 2};
    EventRef otherEvent = makeEvent(other);
    EXPECT_EQ(SendEventToEventTarget(otherEvent, GetControlEventTarget(pane)), eventNotHandledErr);
    EXPECT_TRUE(recorder.calls.empty());
    ASSERT_EQ(AddEventTypesToHandler(olderRef, 1, &other), noErr);
    EXPECT_EQ(SendEventToEventTarget(otherEvent, GetControlEventTarget(pane)), eventNotHandledErr);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"older"});

    // Removed handlers are skipped; the window's answer stops the chain
    // before the application's.
    recorder.calls.clear();
    ASSERT_EQ(RemoveEventHandler(newerRef), noErr);
    ASSERT_EQ(RemoveEventHandler(windowRef), noErr);
    EXPECT_EQ(SendEventToEventTarget(event, GetControlEventTarget(pane)), noErr);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"older", "application"}));
    ASSERT_EQ(RemoveEventHandler(applicationRef), noErr);

    // Handlers go with their target; references kept past that are refused.
    DisposeControl(pane);
    EXPECT_EQ(RemoveEventHandler(olderRef), paramErr);
    EXPECT_EQ(AddEventTypesToHandler(olderRef, 1, &other), paramErr);
    EXPECT_EQ(RemoveEventHandler(newerRef), paramErr);

    ReleaseEvent(otherEvent);
    ReleaseEvent(event);
    DisposeWindow(window);
}

struct SelfRemoving {
    EventHandlerRef self = nullptr;
    int calls = 0;
};

OSStatus removeSelf(EventHandlerCallRef, EventRef, void* userData)
{
    auto* state = static_cast<SelfRemoving*>(userData);
    ++state->calls;
    RemoveEventHandler(state->self);
    return eventNotHandledErr;
}

TEST(Events, HandlerRemovingItselfWhileRunning)
{
    SelfRemoving first, second;
    InstallEventHandler(GetApplicationEventTarget(), removeSelf, 1, &kTestEvent, &first, &first.self);
    InstallEventHandler(GetApplicationEventTarget(), removeSelf, 1, &kTestEvent, &second, &second.self);
    EventRef event = makeEvent();
    EXPECT_EQ(SendEventToEventTarget(event, GetApplicationEventTarget()), eventNotHandledErr);
    EXPECT_EQ(SendEventToEventTarget(event, GetApplicationEventTarget()), eventNotHandledErr);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 1);
    ReleaseEvent(event);
}

} // namespace
