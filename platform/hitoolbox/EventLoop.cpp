#include "platform/hitoolbox/EventLoop.h"

#include <algorithm>
#include <deque>
#include <limits>

#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Event.h"
#include "platform/hitoolbox/EventTarget.h"
#include "platform/hitoolbox/Window.h"
#include "platform/hitoolbox/WindowBackend.h"

// Nothing but an identity: there is one loop, the main thread's.
struct OpaqueEventLoopRef {};
struct OpaqueEventQueueRef {};

struct __EventLoopTimer {
    CFRunLoopTimerRef timer;
    EventLoopTimerUPP proc;
    void* userData;
};

namespace {

using platform::detail::InputEvent;

// The buttons and modifiers of the last input event taken from the queue,
// and where the mouse was then, in global coordinates.
struct InputState {
    UInt32 buttons = 0;
    UInt32 modifiers = 0;
    HIPoint global{};
};

constexpr CFAbsoluteTime kNever = std::numeric_limits<CFAbsoluteTime>::infinity();
// The longest a wait goes before the loop looks around again.
constexpr CFTimeInterval kLongestWait = 3600;
// Ticks (1/60 s) between the clicks of a double click.
constexpr UInt32 kDoubleClickTicks = 30;

OpaqueEventLoopRef mainLoop;
OpaqueEventQueueRef mainQueue;

struct Loop {
    std::deque<EventRef> queue;
    InputState input;
    bool quitRequested = false;
    // QuitApplicationEventLoop's request ends every run nested in the
    // application loop too (an editor's tracking or idle pass), so that none
    // takes it as its own; the outermost run lets go of it.
    bool applicationQuitRequested = false;
    int applicationRuns = 0;
};

Loop& loop()
{
    static Loop instance;
    return instance;
}

// Input events carry this so that taking them from the queue updates the
// input state.
constexpr EventParamName kInputMarker = FourCharCode("inpt");

struct Dispatcher final : OpaqueEventTargetRef {
    OSStatus standardHandler(EventHandlerCallRef, EventRef event) override
    {
        return platform::detail::routeInput(event);
    }
};

struct Application final : OpaqueEventTargetRef {};

EventRef eventFromInput(const InputEvent& input)
{
    using Kind = InputEvent::Kind;
    using namespace platform::detail;
    static constexpr struct {
        Kind kind;
        UInt32 eventClass, eventKind;
    } kinds[] = {
        {Kind::mouseDown, kEventClassMouse, kEventMouseDown},
        {Kind::mouseUp, kEventClassMouse, kEventMouseUp},
        {Kind::mouseMoved, kEventClassMouse, kEventMouseMoved},
        {Kind::mouseDragged, kEventClassMouse, kEventMouseDragged},
        {Kind::wheel, kEventClassMouse, kEventMouseWheelMoved},
        {Kind::keyDown, kEventClassKeyboard, kEventRawKeyDown},
        {Kind::keyUp, kEventClassKeyboard, kEventRawKeyUp},
        {Kind::close, kEventClassWindow, kEventWindowClose},
        {Kind::activate, kEventClassWindow, kEventWindowActivated},
        {Kind::deactivate, kEventClassWindow, kEventWindowDeactivated},
    };
    const auto* entry =
        std::find_if(std::begin(kinds), std::end(kinds), [&](auto& k) { return k.kind == input.kind; });
    EventRef event = newEvent(entry->eventClass, entry->eventKind);
    setParameter(event, kInputMarker, typeBoolean, Boolean(true));
    setParameter(event, kEventParamWindowRef, typeWindowRef, input.window);
    setParameter(event, kEventParamKeyModifiers, typeUInt32, input.modifiers);
    if (entry->eventClass == kEventClassMouse) {
        const Rect bounds = input.window->bounds;
        const HIPoint global{input.location.x + bounds.left, input.location.y + bounds.top};
        setParameter(event, kEventParamWindowMouseLocation, typeHIPoint, input.location);
        setParameter(event, kEventParamMouseLocation, typeHIPoint, global);
        setParameter(event, kEventParamMouseButton, typeMouseButton, input.button);
        setParameter(event, kEventParamClickCount, typeUInt32, input.clickCount);
        if (input.kind == Kind::wheel) {
            setParameter(event, kEventParamMouseWheelAxis, typeMouseWheelAxis, input.axis);
            setParameter(event, kEventParamMouseWheelDelta, typeSInt32, input.delta);
        }
    } else if (entry->eventClass == kEventClassWindow) {
        setParameter(event, kEventParamDirectObject, typeWindowRef, input.window);
    } else {
        setParameter(event, kEventParamKeyCode, typeUInt32, input.keyCode);
        SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 1, &input.charCode);
        setParameter(event, kEventParamKeyboardType, typeUInt32, UInt32(0));
    }
    return event;
}

// The input state follows each input event as it leaves the queue.
void noteTaken(EventRef event)
{
    using namespace platform::detail;
    if (!getParameter<Boolean>(event, kInputMarker, typeBoolean)) return;
    InputState& state = loop().input;
    state.modifiers = getParameter<UInt32>(event, kEventParamKeyModifiers, typeUInt32);
    if (GetEventClass(event) != kEventClassMouse) return;
    state.global = getParameter<HIPoint>(event, kEventParamMouseLocation, typeHIPoint);
    const UInt32 bit =
        1u << (getParameter<EventMouseButton>(event, kEventParamMouseButton, typeMouseButton) - 1);
    if (GetEventKind(event) == kEventMouseDown) state.buttons |= bit;
    if (GetEventKind(event) == kEventMouseUp) state.buttons &= ~bit;
}

void takeDueInput()
{
    auto& backend = platform::detail::windowBackend();
    InputEvent input{};
    while (backend.takeInput(CFAbsoluteTimeGetCurrent(), input))
        loop().queue.push_back(eventFromInput(input));
}

EventRef takeFront()
{
    EventRef event = loop().queue.front();
    loop().queue.pop_front();
    noteTaken(event);
    return event;
}

// Sends the events that were queued when the pass began.
void dispatchQueued()
{
    for (size_t count = loop().queue.size(); count > 0 && !loop().queue.empty(); --count) {
        EventRef event = takeFront();
        SendEventToEventTarget(event, GetEventDispatcherTarget());
        ReleaseEvent(event);
    }
}

// Runs the run loop's timers until `deadline`, or less when there is input
// to take or a wake-up; only one pass when `busy`.
void waitUntil(CFAbsoluteTime deadline, bool busy)
{
    auto& backend = platform::detail::windowBackend();
    const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
    const CFAbsoluteTime until = busy ? now : std::min(deadline, backend.nextInputTime());
    const CFTimeInterval seconds = std::clamp(until - now, 0.0, kLongestWait);
    if (CFRunLoopRunInMode(kCFRunLoopDefaultMode, seconds, true) == kCFRunLoopRunFinished && seconds > 0)
        backend.wait(seconds);
}

CFAbsoluteTime deadlineAfter(EventTimeout timeout)
{
    return timeout < 0 ? kNever : CFAbsoluteTimeGetCurrent() + timeout;
}

bool matches(EventRef event, ItemCount numTypes, const EventTypeSpec* list)
{
    return platform::detail::listsType(list, numTypes, GetEventClass(event), GetEventKind(event));
}

void fireTimer(CFRunLoopTimerRef, void* info)
{
    auto* timer = static_cast<EventLoopTimerRef>(info);
    timer->proc(timer, timer->userData);
}

void nothing(void*)
{
}

} // namespace

namespace platform::detail {

void wakeEventLoop()
{
    // The loop waits either in its run loop, for a timer, or in the backend.
    platform::performOnRunLoop(CFRunLoopGetMain(), kCFRunLoopCommonModes, nothing, nullptr);
    windowBackend().wake();
}

void forgetWindowEvents(WindowRef window)
{
    auto& queue = loop().queue;
    std::erase_if(queue, [&](EventRef event) {
        if (getParameter<WindowRef>(event, kEventParamWindowRef, typeWindowRef) != window) return false;
        ReleaseEvent(event);
        return true;
    });
}

bool isQueued(UInt32 eventClass, UInt32 kind, WindowRef window)
{
    return std::any_of(loop().queue.begin(), loop().queue.end(), [&](EventRef event) {
        return GetEventClass(event) == eventClass && GetEventKind(event) == kind &&
               getParameter<WindowRef>(event, kEventParamWindowRef, typeWindowRef) == window;
    });
}

} // namespace platform::detail

EventTime GetCurrentEventTime(void)
{
    return CFAbsoluteTimeGetCurrent();
}

EventTargetRef GetApplicationEventTarget(void)
{
    static const auto target = std::make_shared<Application>();
    return target.get();
}

EventTargetRef GetEventDispatcherTarget(void)
{
    static const auto target = std::make_shared<Dispatcher>();
    return target.get();
}

EventLoopRef GetMainEventLoop(void)
{
    return &mainLoop;
}

EventLoopRef GetCurrentEventLoop(void)
{
    return &mainLoop;
}

EventQueueRef GetMainEventQueue(void)
{
    return &mainQueue;
}

EventQueueRef GetCurrentEventQueue(void)
{
    return &mainQueue;
}

OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority)
{
    if (queue != &mainQueue || !event) return paramErr;
    loop().queue.push_back(RetainEvent(event));
    platform::detail::wakeEventLoop();
    return noErr;
}

OSStatus RunCurrentEventLoop(EventTimeout seconds)
{
    const CFAbsoluteTime deadline = deadlineAfter(seconds);
    for (;;) {
        takeDueInput();
        dispatchQueued();
        // A handler that asked to quit is not kept waiting for more input.
        Loop& l = loop();
        waitUntil(deadline, !l.queue.empty() || l.quitRequested || l.applicationQuitRequested);
        platform::detail::redrawWindows();
        if (l.quitRequested) {
            l.quitRequested = false;
            return eventLoopQuitErr;
        }
        if (l.applicationQuitRequested) {
            // A run this one is nested in, waiting in its run loop for the
            // timer that started this one, stops too.
            if (l.applicationRuns > 0)
                CFRunLoopStop(CFRunLoopGetMain());
            else
                l.applicationQuitRequested = false;
            return eventLoopQuitErr;
        }
        if (CFAbsoluteTimeGetCurrent() >= deadline) return eventLoopTimedOutErr;
    }
}

OSStatus QuitEventLoop(EventLoopRef eventLoop)
{
    if (eventLoop != &mainLoop) return paramErr;
    loop().quitRequested = true;
    CFRunLoopStop(CFRunLoopGetMain());
    return noErr;
}

void RunApplicationEventLoop(void)
{
    Loop& l = loop();
    ++l.applicationRuns;
    RunCurrentEventLoop(kEventDurationForever);
    if (--l.applicationRuns == 0) l.applicationQuitRequested = false;
}

void QuitApplicationEventLoop(void)
{
    loop().applicationQuitRequested = true;
    CFRunLoopStop(CFRunLoopGetMain());
}

OSStatus ReceiveNextEvent(ItemCount numTypes, const EventTypeSpec* list, EventTimeout timeout,
                          Boolean pullEvent, EventRef* outEvent)
{
    if (!outEvent || (numTypes > 0 && !list)) return paramErr;
    *outEvent = nullptr;
    const CFAbsoluteTime deadline = deadlineAfter(timeout);
    for (;;) {
        takeDueInput();
        auto& queue = loop().queue;
        const auto found = std::find_if(queue.begin(), queue.end(),
                                        [&](EventRef event) { return matches(event, numTypes, list); });
        if (found != queue.end()) {
            *outEvent = *found;
            if (pullEvent) {
                queue.erase(found);
                noteTaken(*outEvent);
            }
            return noErr;
        }
        if (CFAbsoluteTimeGetCurrent() >= deadline) return eventLoopTimedOutErr;
        waitUntil(deadline, false);
    }
}

OSStatus InstallEventLoopTimer(EventLoopRef eventLoop, EventTimerInterval fireDelay,
                               EventTimerInterval interval, EventLoopTimerUPP proc, void* userData,
                               EventLoopTimerRef* outTimer)
{
    if (eventLoop != &mainLoop || !proc || !outTimer) return paramErr;
    auto* timer = new __EventLoopTimer{nullptr, proc, userData};
    CFRunLoopTimerContext context{0, timer, nullptr, nullptr, nullptr};
    timer->timer = CFRunLoopTimerCreate(nullptr, CFAbsoluteTimeGetCurrent() + std::max(fireDelay, 0.0),
                                        std::max(interval, 0.0), 0, 0, fireTimer, &context);
    CFRunLoopAddTimer(CFRunLoopGetMain(), timer->timer, kCFRunLoopCommonModes);
    *outTimer = timer;
    return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer)
{
    if (!timer) return paramErr;
    CFRunLoopTimerInvalidate(timer->timer);
    CFRelease(timer->timer);
    delete timer;
    return noErr;
}

OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef timer, EventTimerInterval nextFire)
{
    if (!timer) return paramErr;
    CFRunLoopTimerSetNextFireDate(timer->timer, CFAbsoluteTimeGetCurrent() + std::max(nextFire, 0.0));
    return noErr;
}

UInt32 GetCurrentEventButtonState(void)
{
    return loop().input.buttons;
}

UInt32 GetCurrentEventKeyModifiers(void)
{
    return loop().input.modifiers;
}

UInt32 GetCurrentKeyModifiers(void)
{
    return GetCurrentEventKeyModifiers();
}

void GetMouse(Point* mouseLoc)
{
    if (!mouseLoc) return;
    GrafPtr port = nullptr;
    GetPort(&port);
    HIPoint point = loop().input.global;
    if (WindowRef window = platform::detail::windowOfPort(port)) {
        point.x -= window->bounds.left;
        point.y -= window->bounds.top;
    }
    *mouseLoc = {static_cast<int16_t>(point.y), static_cast<int16_t>(point.x)};
}

void GetGlobalMouse(Point* globalMouse)
{
    if (!globalMouse) return;
    const HIPoint point = loop().input.global;
    *globalMouse = {static_cast<int16_t>(point.y), static_cast<int16_t>(point.x)};
}

Boolean Button(void)
{
    return (loop().input.buttons & 1) != 0;
}

UInt32 GetDblTime(void)
{
    return kDoubleClickTicks;
}
