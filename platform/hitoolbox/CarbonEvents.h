#pragma once

// Carbon events, their handlers, the event loop and its timers, and the
// current input state.
//
// An event is sent to a target: the handlers installed on it for the event's
// class and kind run, the most recently installed first, each passing it on
// by returning eventNotHandledErr or by CallNextEventHandler; then the
// target's standard handler, if it has one; then the same on the parent
// target (a view's is its superview, or its window; a window's is the
// application). The first status other than eventNotHandledErr ends it.
//
// The event loop is the main run loop (CFRunLoop.h) on the platform clock:
// each pass takes the input that has come due from the window backend,
// dispatches the queued events, fires timers and redraws the windows whose
// views need display. Input is queued in the order it happened; the mouse,
// button and modifier state read by GetMouse, Button and the like is that of
// the last input event taken from the queue, so a tracking loop that runs
// the event loop keeps seeing it move.
//
// Main thread only.

#include "platform/components/Components.h"
#include "platform/corefoundation/CFRunLoop.h"
#include "platform/graphics/QuickDraw.h"

using SInt16 = int16_t;
using UInt16 = uint16_t;
using EventParamName = OSType;
using EventParamType = OSType;
using EventTime = double;
using EventTimeout = EventTime;
using EventTimerInterval = EventTime;
using EventModifiers = uint16_t;
using EventMouseButton = uint16_t;
using EventMouseWheelAxis = uint16_t;
using ControlPartCode = int16_t;
using OptionBits = UInt32;
using ItemCount = unsigned long;
using ByteCount = unsigned long;

inline constexpr EventTime kEventDurationSecond = 1.0;
inline constexpr EventTime kEventDurationMillisecond = kEventDurationSecond / 1000;
inline constexpr EventTime kEventDurationNoWait = 0.0;
inline constexpr EventTime kEventDurationForever = -1.0;

struct EventTypeSpec {
    UInt32 eventClass;
    UInt32 eventKind;
};

using HIPoint = CGPoint;
using HISize = CGSize;
using HIRect = CGRect;

typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueEventLoopRef* EventLoopRef;
typedef struct OpaqueEventQueueRef* EventQueueRef;
typedef struct __EventLoopTimer* EventLoopTimerRef;
typedef struct OpaqueWindowPtr* WindowRef;
typedef struct OpaqueControlRef* ControlRef;
typedef ControlRef HIViewRef;
typedef struct OpaqueDragRef* DragRef;

// Plain function pointers: New…UPP returns its argument, Dispose…UPP does
// nothing.
using EventHandlerProcPtr = OSStatus (*)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                         void* inUserData);
using EventHandlerUPP = EventHandlerProcPtr;
using EventLoopTimerProcPtr = void (*)(EventLoopTimerRef inTimer, void* inUserData);
using EventLoopTimerUPP = EventLoopTimerProcPtr;
inline EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc)
{
    return proc;
}
inline void DisposeEventHandlerUPP(EventHandlerUPP)
{
}
inline EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr proc)
{
    return proc;
}
inline void DisposeEventLoopTimerUPP(EventLoopTimerUPP)
{
}

// Statuses.
inline constexpr OSStatus eventAlreadyPostedErr = -9860;
inline constexpr OSStatus eventTargetBusyErr = -9861;
inline constexpr OSStatus eventClassInvalidErr = -9862;
inline constexpr OSStatus eventClassIncorrectErr = -9864;
inline constexpr OSStatus eventHandlerAlreadyInstalledErr = -9866;
inline constexpr OSStatus eventInternalErr = -9868;
inline constexpr OSStatus eventKindIncorrectErr = -9869;
inline constexpr OSStatus eventParameterNotFoundErr = -9870;
inline constexpr OSStatus eventNotHandledErr = -9874;
inline constexpr OSStatus eventLoopTimedOutErr = -9875;
inline constexpr OSStatus eventLoopQuitErr = -9876;
inline constexpr OSStatus eventNotInQueueErr = -9877;
// A parameter asked for as a type it does not have.
inline constexpr OSStatus errAECoercionFail = -1700;

// Event classes.
inline constexpr OSType kEventClassMouse = FourCharCode("mous");
inline constexpr OSType kEventClassKeyboard = FourCharCode("keyb");
inline constexpr OSType kEventClassTextInput = FourCharCode("text");
inline constexpr OSType kEventClassApplication = FourCharCode("appl");
inline constexpr OSType kEventClassMenu = FourCharCode("menu");
inline constexpr OSType kEventClassWindow = FourCharCode("wind");
inline constexpr OSType kEventClassControl = FourCharCode("cntl");
inline constexpr OSType kEventClassCommand = FourCharCode("cmds");
inline constexpr OSType kEventClassHIObject = FourCharCode("hiob");
inline constexpr OSType kEventClassScrollable = FourCharCode("scrl");

// Kinds.
enum : UInt32 {
    kEventMouseDown = 1,
    kEventMouseUp = 2,
    kEventMouseMoved = 5,
    kEventMouseDragged = 6,
    kEventMouseWheelMoved = 10,
};
enum : UInt32 {
    kEventRawKeyDown = 1,
    kEventRawKeyRepeat = 2,
    kEventRawKeyUp = 3,
    kEventRawKeyModifiersChanged = 4,
};
enum : UInt32 {
    kEventTextInputUnicodeForKeyEvent = 2,
};
enum : UInt32 {
    kEventWindowUpdate = 1,
    kEventWindowDrawContent = 2,
    kEventWindowActivated = 5,
    kEventWindowDeactivated = 6,
    kEventWindowClose = 72,
};
enum : UInt32 {
    kEventControlInitialize = 1000,
    kEventControlDispose = 1001,
    kEventControlGetOptimalBounds = 1003,
    kEventControlHit = 1,
    kEventControlSimulateHit = 2,
    kEventControlHitTest = 3,
    kEventControlDraw = 4,
    kEventControlSetFocusPart = 7,
    kEventControlGetFocusPart = 8,
    kEventControlContextualMenuClick = 12,
    kEventControlClick = 13,
    kEventControlGetClickActivation = 17,
    kEventControlDragEnter = 18,
    kEventControlDragWithin = 19,
    kEventControlDragLeave = 20,
    kEventControlDragReceive = 21,
    kEventControlTrack = 51,
    kEventControlBoundsChanged = 154,
};
enum : UInt32 {
    kEventCommandProcess = 1,
};
enum : UInt32 {
    kEventHIObjectConstruct = 1,
    kEventHIObjectInitialize = 2,
    kEventHIObjectDestruct = 3,
};
enum : UInt32 {
    kEventScrollableGetInfo = 1,
    kEventScrollableScrollTo = 10,
};

// Parameter names.
inline constexpr EventParamName kEventParamDirectObject = FourCharCode("----");
inline constexpr EventParamName kEventParamWindowRef = FourCharCode("wind");
inline constexpr EventParamName kEventParamMouseLocation = FourCharCode("mloc");
inline constexpr EventParamName kEventParamWindowMouseLocation = FourCharCode("wmou");
inline constexpr EventParamName kEventParamMouseButton = FourCharCode("mbtn");
inline constexpr EventParamName kEventParamClickCount = FourCharCode("ccnt");
inline constexpr EventParamName kEventParamMouseWheelAxis = FourCharCode("mwax");
inline constexpr EventParamName kEventParamMouseWheelDelta = FourCharCode("mwdl");
inline constexpr EventParamName kEventParamKeyModifiers = FourCharCode("kmod");
inline constexpr EventParamName kEventParamKeyCode = FourCharCode("kcod");
inline constexpr EventParamName kEventParamKeyMacCharCodes = FourCharCode("kchr");
inline constexpr EventParamName kEventParamKeyboardType = FourCharCode("kbdt");
inline constexpr EventParamName kEventParamTextInputSendKeyboardEvent = FourCharCode("tske");
inline constexpr EventParamName kEventParamCGContextRef = FourCharCode("cntx");
inline constexpr EventParamName kEventParamRgnHandle = FourCharCode("rgnh");
inline constexpr EventParamName kEventParamControlPart = FourCharCode("cprt");
inline constexpr EventParamName kEventParamControlFeatures = FourCharCode("cftr");
inline constexpr EventParamName kEventParamControlAction = FourCharCode("caup");
inline constexpr EventParamName kEventParamControlClickActivationResult = FourCharCode("clac");
inline constexpr EventParamName kEventParamControlOptimalBounds = FourCharCode("cobn");
inline constexpr EventParamName kEventParamControlOptimalBaselineOffset = FourCharCode("cobo");
inline constexpr EventParamName kEventParamControlWouldAcceptDrop = FourCharCode("cldg");
inline constexpr EventParamName kEventParamDragRef = FourCharCode("drag");
inline constexpr EventParamName kEventParamEventRef = FourCharCode("evnt");
inline constexpr EventParamName kEventParamInitCollection = FourCharCode("icol");
inline constexpr EventParamName kEventParamHIObjectInstance = FourCharCode("hioi");
inline constexpr EventParamName kEventParamImageSize = FourCharCode("imsz");
inline constexpr EventParamName kEventParamViewSize = FourCharCode("vwsz");
inline constexpr EventParamName kEventParamLineSize = FourCharCode("lnsz");
inline constexpr EventParamName kEventParamOrigin = FourCharCode("orgn");

// Parameter types. A fixed-size type must be set with exactly its size.
inline constexpr EventParamType typeWildCard = FourCharCode("****");
inline constexpr EventParamType typeBoolean = FourCharCode("bool");
inline constexpr EventParamType typeSInt16 = FourCharCode("shor");
inline constexpr EventParamType typeSInt32 = FourCharCode("long");
inline constexpr EventParamType typeLongInteger = typeSInt32;
inline constexpr EventParamType typeUInt32 = FourCharCode("magn");
inline constexpr EventParamType typeChar = FourCharCode("TEXT");
inline constexpr EventParamType typeUnicodeText = FourCharCode("utxt");
inline constexpr EventParamType typeQDPoint = FourCharCode("QDpt");
inline constexpr EventParamType typeQDRectangle = FourCharCode("qdrt");
inline constexpr EventParamType typeHIPoint = FourCharCode("hipt");
inline constexpr EventParamType typeHISize = FourCharCode("hisz");
inline constexpr EventParamType typeHIRect = FourCharCode("hirc");
inline constexpr EventParamType typeMouseButton = FourCharCode("mbtn");
inline constexpr EventParamType typeMouseWheelAxis = FourCharCode("mwax");
inline constexpr EventParamType typeControlPartCode = FourCharCode("cprt");
inline constexpr EventParamType typeClickActivationResult = FourCharCode("clac");
inline constexpr EventParamType typeEventRef = FourCharCode("evrf");
inline constexpr EventParamType typeWindowRef = FourCharCode("wind");
inline constexpr EventParamType typeControlRef = FourCharCode("ctrl");
inline constexpr EventParamType typeHIObjectRef = FourCharCode("hiob");
inline constexpr EventParamType typeCGContextRef = FourCharCode("cntx");
inline constexpr EventParamType typeQDRgnHandle = FourCharCode("rgnh");
inline constexpr EventParamType typeDragRef = FourCharCode("drag");
inline constexpr EventParamType typeCollection = FourCharCode("cltn");
inline constexpr EventParamType typeVoidPtr = FourCharCode("void");
inline constexpr EventParamType typeHICommand = FourCharCode("hcmd");

// A command (kEventCommandProcess's direct object).
struct HICommand {
    UInt32 attributes;
    UInt32 commandID;
    struct {
        struct OpaqueMenuRef* menuRef;
        UInt16 menuItemIndex;
    } menu;
};
inline constexpr UInt32 kHICommandCopy = FourCharCode("copy");
inline constexpr UInt32 kHICommandCut = FourCharCode("cut ");
inline constexpr UInt32 kHICommandPaste = FourCharCode("past");
inline constexpr UInt32 kHICommandClear = FourCharCode("clea");
inline constexpr UInt32 kHICommandSelectAll = FourCharCode("sall");

// Mouse buttons and wheel axes.
inline constexpr EventMouseButton kEventMouseButtonPrimary = 1;
inline constexpr EventMouseButton kEventMouseButtonSecondary = 2;
inline constexpr EventMouseButton kEventMouseButtonTertiary = 3;
inline constexpr EventMouseWheelAxis kEventMouseWheelAxisX = 0;
inline constexpr EventMouseWheelAxis kEventMouseWheelAxisY = 1;

// Modifier bits (kEventParamKeyModifiers, GetCurrentEventKeyModifiers).
inline constexpr UInt32 cmdKey = 1u << 8;
inline constexpr UInt32 shiftKey = 1u << 9;
inline constexpr UInt32 alphaLock = 1u << 10;
inline constexpr UInt32 optionKey = 1u << 11;
inline constexpr UInt32 controlKey = 1u << 12;

enum : UInt32 {
    kEventAttributeNone = 0,
    kEventAttributeUserEvent = 1,
};

using EventPriority = int16_t;
enum : int16_t {
    kEventPriorityLow = 0,
    kEventPriorityStandard = 1,
    kEventPriorityHigh = 2,
};

#pragma GCC visibility push(default)
extern "C" {

// Events. A new event holds one reference; when is 0 it gets the current
// event time.
OSStatus CreateEvent(CFAllocatorRef allocator, UInt32 classID, UInt32 kind, EventTime when, UInt32 flags,
                     EventRef* outEvent);
EventRef RetainEvent(EventRef event);
void ReleaseEvent(EventRef event);
UInt32 GetEventClass(EventRef event);
UInt32 GetEventKind(EventRef event);
EventTime GetEventTime(EventRef event);
// The platform clock's time (CFAbsoluteTimeGetCurrent).
EventTime GetCurrentEventTime(void);

// Copies size bytes in, replacing any value the name had. A type of fixed
// size (the number, point, rectangle and reference types) refuses another
// size with paramErr; typeChar, typeUnicodeText and unknown types take any.
OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size,
                           const void* data);
// eventParameterNotFoundErr when the name is not set; errAECoercionFail when
// desiredType is neither its type nor typeWildCard; paramErr when data is
// given and bufferSize is smaller than the value. outActualType, outActualSize
// and outData may each be null.
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize, ByteCount* outActualSize,
                           void* outData);

// Handlers. The handler reference is valid until removed or until its target
// goes; after that the calls taking it answer paramErr. outRef may be null.
OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef);
OSStatus RemoveEventHandler(EventHandlerRef handler);
OSStatus AddEventTypesToHandler(EventHandlerRef handler, ItemCount numTypes, const EventTypeSpec* list);
OSStatus RemoveEventTypesFromHandler(EventHandlerRef handler, ItemCount numTypes, const EventTypeSpec* list);
// Runs the rest of the chain (later handlers, standard handlers, parent
// targets) for the event being handled.
OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event);
OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target);

EventTargetRef GetApplicationEventTarget(void);
// Sending input to it routes it as the event loop does: mouse events to the
// window they happened in, key events to the keyboard focus of the front
// window (its focused view, else the window).
EventTargetRef GetEventDispatcherTarget(void);

// The event loop.
EventLoopRef GetMainEventLoop(void);
EventLoopRef GetCurrentEventLoop(void);
EventQueueRef GetMainEventQueue(void);
EventQueueRef GetCurrentEventQueue(void);
// Queues the event (retained) for the event loop to dispatch.
OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority);
// Runs passes of the loop for `seconds` (kEventDurationForever: until
// QuitEventLoop). eventLoopTimedOutErr at the end, eventLoopQuitErr when quit.
OSStatus RunCurrentEventLoop(EventTimeout seconds);
OSStatus QuitEventLoop(EventLoopRef loop);
// Runs the loop until QuitApplicationEventLoop, which also ends the runs
// nested in it (each returns eventLoopQuitErr) on its way out; outside the
// application loop it ends the current run, as QuitEventLoop does.
void RunApplicationEventLoop(void);
void QuitApplicationEventLoop(void);
// Waits up to timeout for a queued event whose class and kind are in the
// list (any event when numTypes is 0), running the loop's timers meanwhile
// but dispatching nothing. With pullEvent the event is taken from the queue
// and the caller releases it; otherwise it stays queued and *outEvent is not
// retained. eventLoopTimedOutErr when none came.
OSStatus ReceiveNextEvent(ItemCount numTypes, const EventTypeSpec* list, EventTimeout timeout,
                          Boolean pullEvent, EventRef* outEvent);

// Timers: on the main run loop in its common modes, first after fireDelay,
// then every interval (0: once).
OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval fireDelay, EventTimerInterval interval,
                               EventLoopTimerUPP proc, void* userData, EventLoopTimerRef* outTimer);
// Also from inside the timer's own callback.
OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer);
OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef timer, EventTimerInterval nextFire);

// Current input: of the last input event taken from the queue.
UInt32 GetCurrentEventButtonState(void);
UInt32 GetCurrentEventKeyModifiers(void);
UInt32 GetCurrentKeyModifiers(void);
// In the current port's coordinates when it is a window's, else global.
void GetMouse(Point* mouseLoc);
void GetGlobalMouse(Point* globalMouse);
// Whether the primary button is down.
Boolean Button(void);
// The double-click interval in ticks.
UInt32 GetDblTime(void);

} // extern "C"
#pragma GCC visibility pop

// Installing on the application's, a window's or a view's target.
inline OSStatus InstallApplicationEventHandler(EventHandlerUPP handler, ItemCount numTypes,
                                               const EventTypeSpec* list, void* userData,
                                               EventHandlerRef* outRef)
{
    return InstallEventHandler(GetApplicationEventTarget(), handler, numTypes, list, userData, outRef);
}
