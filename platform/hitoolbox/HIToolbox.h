#pragma once

// Windows, views and controls.
//
// A window is a content rectangle in global coordinates (no frame or title
// bar is drawn here) with a backing store that its views draw into, a port
// on that store, a root view covering it and, inside, the content view. In a
// compositing window the views that need display are drawn after each pass
// of the event loop: each visible view that overlaps the area to redraw gets
// the control draw event, back to front, with kEventParamCGContextRef: a
// Quartz context on the backing store, clipped to the view and that area,
// whose user space is the window's in Quartz's orientation (y upwards over
// the store's full height, CGBitmapContextGetHeight) moved so that flipping
// it by that height puts the view's bounds origin at the top-left. No update
// region is passed. Other windows draw their views on update (see
// InvalWindowRect), through their ports.
//
// A view's frame is in its superview's coordinates, y downwards; its bounds
// are its frame's size at its bounds origin. Control events go to the view's
// target, then its superview's, up to the window and the application.
//
// The window's standard handler turns a mouse down into the control events
// of the view under it: a hit test, then a click; a primary click nobody
// handles is tracked (the track event, with the hit part), another button
// (or a control-click) gets the contextual-menu click instead. Locations in
// these events are in the view's coordinates in a compositing window; in
// another, in the window's (the port's), but global for the click. A wheel goes to the view under
// the mouse (the event keeps its window location), raw keys to the view
// with the keyboard focus, else to the window; a raw key down nobody handles
// comes back as the text-input event for it, and a tab that nobody handles
// there moves the focus (shift: backwards) to the focused view's next part,
// or on to the next shown view with kControlSupportsFocus that takes it,
// around the end and back to the one it left.
//
// The window close event (a close asked for by the user) disposes of the
// window unless a handler takes it.
//
// Main thread only.

#include "platform/hitoolbox/CarbonEvents.h"

using WindowClass = UInt32;
using WindowAttributes = UInt32;
using WindowRegionCode = uint16_t;
using ClickActivationResult = UInt32;
using ControlDefType = UInt32;
typedef struct OpaqueCollection* Collection;
typedef struct OpaqueHIObjectClassRef* HIObjectClassRef;
typedef HIObjectClassRef ToolboxObjectClassRef;

enum : WindowClass {
    kAlertWindowClass = 1,
    kMovableAlertWindowClass = 2,
    kModalWindowClass = 3,
    kMovableModalWindowClass = 4,
    kFloatingWindowClass = 5,
    kDocumentWindowClass = 6,
    kUtilityWindowClass = 8,
    kHelpWindowClass = 10,
    kSheetWindowClass = 11,
    kToolbarWindowClass = 12,
    kPlainWindowClass = 13,
    kOverlayWindowClass = 14,
};

enum : WindowAttributes {
    kWindowNoAttributes = 0,
    kWindowCloseBoxAttribute = 1u << 0,
    kWindowHorizontalZoomAttribute = 1u << 1,
    kWindowVerticalZoomAttribute = 1u << 2,
    kWindowFullZoomAttribute = kWindowHorizontalZoomAttribute | kWindowVerticalZoomAttribute,
    kWindowCollapseBoxAttribute = 1u << 3,
    kWindowResizableAttribute = 1u << 4,
    kWindowCompositingAttribute = 1u << 19,
    kWindowStandardHandlerAttribute = 1u << 25,
    kWindowStandardDocumentAttributes = kWindowCloseBoxAttribute | kWindowFullZoomAttribute |
                                        kWindowCollapseBoxAttribute | kWindowResizableAttribute,
};

enum : WindowRegionCode {
    kWindowStructureRgn = 32,
    kWindowContentRgn = 33,
};

// Control features.
enum : UInt32 {
    kControlSupportsEmbedding = 1u << 1,
    kControlSupportsFocus = 1u << 2,
    kControlWantsIdle = 1u << 3,
    kControlHandlesTracking = 1u << 5,
    kControlGetsFocusOnClick = 1u << 8,
    kControlSupportsDragAndDrop = 1u << 12,
};

// Part codes.
enum : ControlPartCode {
    kControlNoPart = 0,
    kControlIndicatorPart = 129,
    kControlStructureMetaPart = -1,
    kControlContentMetaPart = -2,
    kControlFocusNoPart = 0,
    kControlFocusNextPart = -1,
    kControlFocusPrevPart = -2,
};

enum : ClickActivationResult {
    kActivateAndIgnoreClick = 0,
    kDoNotActivateAndIgnoreClick = 1,
    kDoNotActivateAndHandleClick = 2,
    kActivateAndHandleClick = 3,
};

enum : ControlDefType {
    kControlDefProcPtr = 0,
    kControlDefObjectClass = 1,
};

struct ControlDefSpec {
    ControlDefType defType;
    union {
        void* defProc;
        void* classRef;
    } u;
};

struct HIViewID {
    OSType signature;
    SInt32 id;
};

inline constexpr OSStatus errInvalidWindowRef = -5600;
inline constexpr OSStatus hiObjectClassExistsErr = -22080;
inline constexpr OSStatus hiObjectClassHasInstancesErr = -22081;
inline constexpr OSStatus errControlIsNotEmbedder = -30590;
inline constexpr OSStatus controlHandleInvalidErr = -30599;

#pragma GCC visibility push(default)
extern "C" {

extern const HIViewID kHIViewWindowContentID;

// Windows. The window starts hidden, its backing store cleared to
// transparent black.
OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes, const Rect* contentBounds,
                         WindowRef* outWindow);
void DisposeWindow(WindowRef window);
OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes);
void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
Boolean IsWindowVisible(WindowRef window);
OSStatus CollapseWindow(WindowRef window, Boolean collapse);
Boolean IsWindowCollapsed(WindowRef window);
// Both regions are the content rectangle, in global coordinates.
OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect* globalBounds);
void MoveWindow(WindowRef window, int16_t hGlobal, int16_t vGlobal, Boolean front);
// The backing store keeps what fits of its pixels; the whole window then
// needs display.
void SizeWindow(WindowRef window, int16_t width, int16_t height, Boolean fUpdate);
OSStatus SetWindowTitleWithCFString(WindowRef window, CFStringRef title);
// Retained for the caller.
OSStatus CopyWindowTitleAsCFString(WindowRef window, CFStringRef* outTitle);
EventTargetRef GetWindowEventTarget(WindowRef window);
// The port on the backing store: bounds (0, 0, height, width); a Quartz
// context begun on it draws into the store.
CGrafPtr GetWindowPort(WindowRef window);
// The window whose port this is, or null.
WindowRef GetWindowFromPort(CGrafPtr port);

// Object classes. Instances of a class get its handler on their target for
// its event types. A toolbox object class hands the handler its user data;
// an HIObject subclass's handler first gets the construct event with the
// object as kEventParamHIObjectInstance (typeHIObjectRef) and constructData,
// and may set that parameter to typeVoidPtr to name the user data of the
// instance's later events, then the initialise event, and the destruct event
// last. hiObjectClassExistsErr for a taken identifier; unregistering a
// class with live instances gives hiObjectClassHasInstancesErr.
OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef baseClass, ItemCount numEvents,
                                    const EventTypeSpec* eventList, EventHandlerUPP eventHandler,
                                    void* eventHandlerData, ToolboxObjectClassRef* outClassRef);
OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef classRef);
OSStatus HIObjectRegisterSubclass(CFStringRef classID, CFStringRef baseClassID, OptionBits options,
                                  EventHandlerUPP constructProc, UInt32 numEvents,
                                  const EventTypeSpec* eventList, void* constructData,
                                  HIObjectClassRef* outClassRef);
OSStatus HIObjectUnregisterClass(HIObjectClassRef classRef);

// Views. A view made with a window goes into its content view; one made
// without stays alone until added to another. After construction the view
// gets kEventControlInitialize, whose handler may answer the features in
// kEventParamControlFeatures.
OSStatus CreateCustomControl(WindowRef owningWindow, const Rect* contBounds, const ControlDefSpec* def,
                             Collection initData, ControlRef* outControl);
OSStatus CreateUserPaneControl(WindowRef window, const Rect* boundsRect, UInt32 features,
                               ControlRef* outControl);
// errControlIsNotEmbedder when the container lacks kControlSupportsEmbedding.
OSStatus EmbedControl(ControlRef inControl, ControlRef inContainer);
// Moves the view (with its subviews) on top of the parent's subviews, its
// frame unchanged.
OSStatus HIViewAddSubview(HIViewRef inParent, HIViewRef inNewChild);
OSStatus HIViewRemoveFromSuperview(HIViewRef inView);
HIViewRef HIViewGetSuperview(HIViewRef inView);
HIViewRef HIViewGetRoot(WindowRef inWindow);
OSStatus GetRootControl(WindowRef inWindow, ControlRef* outControl);
OSStatus HIViewFindByID(HIViewRef inStartView, HIViewID inID, HIViewRef* outControl);
WindowRef GetControlOwner(ControlRef inControl);
WindowRef HIViewGetWindow(HIViewRef inView);
OSStatus HIViewGetFrame(HIViewRef inView, HIRect* outRect);
OSStatus HIViewSetFrame(HIViewRef inView, const HIRect* inRect);
OSStatus HIViewGetBounds(HIViewRef inView, HIRect* outRect);
OSStatus HIViewSetBoundsOrigin(HIViewRef inView, CGFloat inX, CGFloat inY);
// The frame, rounded to whole pixels.
Rect* GetControlBounds(ControlRef inControl, Rect* outBounds);
void SizeControl(ControlRef inControl, int16_t inWidth, int16_t inHeight);
void MoveControl(ControlRef inControl, int16_t inH, int16_t inV);
// Between two views of one window; a null view stands for the window's
// root view.
OSStatus HIViewConvertPoint(HIPoint* ioPoint, HIViewRef inSourceView, HIViewRef inDestView);
OSStatus HIViewConvertRect(HIRect* ioRect, HIViewRef inSourceView, HIViewRef inDestView);
OSStatus HIViewSetVisible(HIViewRef inView, Boolean inVisible);
// Visible itself and in every superview.
Boolean HIViewIsVisible(HIViewRef inView);
OSStatus HIViewSetNeedsDisplay(HIViewRef inView, Boolean inNeedsDisplay);
Boolean HIViewGetNeedsDisplay(HIViewRef inView);
// The visible subview under a point in inView's coordinates, the topmost
// first; with deep, the innermost one. Null (and noErr) when none.
OSStatus HIViewGetSubviewHit(HIViewRef inView, const HIPoint* inPoint, Boolean inDeep, HIViewRef* outView);
// The innermost shown view of inView's tree under a mouse event's window
// location (kEventParamWindowMouseLocation); inView when none of its
// subviews is there, eventNotHandledErr when the point is outside inView.
OSStatus HIViewGetViewForMouseEvent(HIViewRef inView, EventRef inEvent, HIViewRef* outView);
// Views are redrawn rather than their pixels moved: the view (inRect null)
// or that part of it needs display.
OSStatus HIViewScrollRect(HIViewRef inView, const HIRect* inRect, CGFloat inDX, CGFloat inDY);
// Switches for the drag manager's tracking, kept and reported; no drag ever
// starts here, so nothing else follows from them.
OSStatus SetControlDragTrackingEnabled(ControlRef inControl, Boolean inTracks);
OSStatus IsControlDragTrackingEnabled(ControlRef inControl, Boolean* outTracks);
OSStatus SetAutomaticControlDragTrackingEnabledForWindow(WindowRef inWindow, Boolean inTracks);
OSStatus IsAutomaticControlDragTrackingEnabledForWindow(WindowRef inWindow, Boolean* outTracks);
// Sends the dispose event to the view, then to each of its subviews as they
// are disposed of; disposing of a window does this for its root view.
void DisposeControl(ControlRef theControl);
EventTargetRef GetControlEventTarget(ControlRef inControl);
OSStatus GetControlFeatures(ControlRef inControl, UInt32* outFeatures);

// Keyboard focus: the view gets kEventControlSetFocusPart with the part;
// the part it answers (the asked part when nobody answers) decides, 0
// meaning no focus. The view that loses the focus gets part 0.
OSStatus SetKeyboardFocus(WindowRef inWindow, ControlRef inControl, ControlPartCode inPart);
OSStatus ClearKeyboardFocus(WindowRef inWindow);
OSStatus GetKeyboardFocus(WindowRef inWindow, ControlRef* outControl);
// The focused part of a view: 0 unless it has the focus; then what it
// answers to kEventControlGetFocusPart, or the part it took the focus with.
OSStatus HIViewGetFocusPart(HIViewRef inView, ControlPartCode* outFocusPart);

// Between a port's coordinates and global ones: a window's port is at the
// window's content origin; other ports are at the global origin. The
// current-port forms do nothing without a current port.
void QDGlobalToLocalPoint(CGrafPtr port, Point* point);
void QDLocalToGlobalPoint(CGrafPtr port, Point* point);
void GlobalToLocal(Point* point);
void LocalToGlobal(Point* point);
void SetPortWindowPort(WindowRef window);

// Moves the view within its superview.
OSStatus HIViewMoveBy(HIViewRef inView, CGFloat inDX, CGFloat inDY);
OSStatus HIViewPlaceInSuperviewAt(HIViewRef inView, CGFloat inX, CGFloat inY);
// The port's bounds: (0, 0, height, width).
Rect* GetWindowPortBounds(WindowRef window, Rect* bounds);

// The size the view wants: what it answers to kEventControlGetOptimalBounds
// in kEventParamControlOptimalBounds (typeHIRect or typeQDRectangle) and
// kEventParamControlOptimalBaselineOffset (typeSInt16), else its frame
// (in its superview's coordinates) with baseline 0.
OSStatus HIViewGetOptimalBounds(HIViewRef inView, HIRect* outBounds, float* outBaseLineOffset);
OSStatus GetBestControlRect(ControlRef inControl, Rect* outRect, SInt16* outBaseLineOffset);

// Activation. Showing a window activates it (and deactivates the one
// active before), as do SelectWindow and the backend's activation input;
// ActivateWindow and the backend's deactivation change one window. A window
// whose state changes gets kEventWindowActivated or kEventWindowDeactivated.
// A click in an inactive window first asks the view under it for
// kEventControlGetClickActivation (kEventParamControlClickActivationResult;
// kActivateAndHandleClick when nobody answers): the window is selected when
// the answer says "activate", and the click goes on only when it says
// "handle".
OSStatus ActivateWindow(WindowRef inWindow, Boolean inActivate);
Boolean IsWindowActive(WindowRef inWindow);
// Activates it, deactivating the one active before.
void SelectWindow(WindowRef window);
WindowRef ActiveNonFloatingWindow(void);

// Non-compositing windows: their views are drawn on update. The area that
// needs drawing (InvalWindowRect, a view needing display, showing the
// window) queues one kEventWindowUpdate (direct object and
// kEventParamWindowRef: the window) after the event loop's pass, unless one
// is queued. Dispatched to the window, its standard handler sends
// kEventWindowDrawContent, whose standard handler sends each shown view that
// overlaps the area, back to front, kEventControlDraw with the area as
// kEventParamRgnHandle (port coordinates) and no Quartz context; the area is
// then clean.
// The area is kept as one rectangle: validating takes it away only when
// the rectangle covers all of it.
OSStatus InvalWindowRect(WindowRef window, const Rect* bounds);
OSStatus ValidWindowRect(WindowRef window, const Rect* bounds);
// Draws now: one view (its subviews too), or all of the window's; in a
// compositing window, by redrawing that part of it.
void Draw1Control(ControlRef theControl);
void DrawControls(WindowRef theWindow);
// Draws the views overlapping the region (port coordinates).
void UpdateControls(WindowRef inWindow, RgnHandle inUpdateRegion);

// A view that scrolls its first subview (no scroll bars are drawn): a wheel
// over it that nobody handled asks the subview for kEventScrollableGetInfo
// (image size, view size, line size, origin) and sends it
// kEventScrollableScrollTo with the origin moved by the line size times the
// delta against the wheel (up: towards 0), kept within the image. The
// options choose the axes.
enum : OptionBits {
    kHIScrollViewOptionsVertScroll = 1u << 0,
    kHIScrollViewOptionsHorizScroll = 1u << 1,
};
OSStatus HIScrollViewCreate(OptionBits inOptions, HIViewRef* outView);

} // extern "C"
#pragma GCC visibility pop

inline OSStatus InstallWindowEventHandler(WindowRef window, EventHandlerUPP handler, ItemCount numTypes,
                                          const EventTypeSpec* list, void* userData, EventHandlerRef* outRef)
{
    return InstallEventHandler(GetWindowEventTarget(window), handler, numTypes, list, userData, outRef);
}
inline OSStatus InstallControlEventHandler(ControlRef control, EventHandlerUPP handler, ItemCount numTypes,
                                           const EventTypeSpec* list, void* userData, EventHandlerRef* outRef)
{
    return InstallEventHandler(GetControlEventTarget(control), handler, numTypes, list, userData, outRef);
}

// The rest of the toolbox.
#include "platform/hitoolbox/Appearance.h"
#include "platform/hitoolbox/DragManager.h"
#include "platform/hitoolbox/KeyboardLayout.h"
#include "platform/hitoolbox/Menus.h"
#include "platform/hitoolbox/TextField.h"
