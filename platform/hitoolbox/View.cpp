#include "platform/hitoolbox/View.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/hitoolbox/Event.h"
#include "platform/hitoolbox/Window.h"

namespace {

using platform::detail::getParameter;
using platform::detail::newEvent;
using platform::detail::setParameter;

std::vector<OpaqueHIObjectClassRef*>& classes()
{
    static std::vector<OpaqueHIObjectClassRef*> registered;
    return registered;
}

std::set<ControlRef>& views()
{
    static std::set<ControlRef> live;
    return live;
}

OSStatus registerClass(CFStringRef classID, EventHandlerUPP handler, ItemCount numEvents,
                       const EventTypeSpec* list, void* data, bool constructs, HIObjectClassRef* outClassRef)
{
    if (!classID || !outClassRef || (numEvents > 0 && !list)) return paramErr;
    *outClassRef = nullptr;
    const bool taken = std::any_of(classes().begin(), classes().end(), [&](auto* c) {
        return CFStringCompare(c->classID, classID, 0) == kCFCompareEqualTo;
    });
    if (taken) return hiObjectClassExistsErr;
    auto* objectClass =
        new OpaqueHIObjectClassRef{static_cast<CFStringRef>(CFRetain(classID)), handler, data,
                                   std::vector<EventTypeSpec>(list, list + numEvents), constructs};
    classes().push_back(objectClass);
    *outClassRef = objectClass;
    return noErr;
}

OSStatus unregisterClass(HIObjectClassRef classRef)
{
    auto& registered = classes();
    const auto found = std::find(registered.begin(), registered.end(), classRef);
    if (found == registered.end()) return paramErr;
    if (classRef->instances > 0) return hiObjectClassHasInstancesErr;
    registered.erase(found);
    CFRelease(classRef->classID);
    delete classRef;
    return noErr;
}

// Sends a new event of the control class about view and releases it.
OSStatus sendSimple(ControlRef view, UInt32 eventClass, UInt32 kind)
{
    EventRef event = newEvent(eventClass, kind);
    setParameter(event, kEventParamDirectObject, typeControlRef, view);
    const OSStatus status = SendEventToEventTarget(event, view->target.get());
    ReleaseEvent(event);
    return status;
}

void construct(ControlRef view, Collection initData)
{
    OpaqueHIObjectClassRef* objectClass = view->objectClass;
    void* userData = objectClass->data;
    if (objectClass->constructs) {
        EventRef event = newEvent(kEventClassHIObject, kEventHIObjectConstruct);
        setParameter(event, kEventParamHIObjectInstance, typeHIObjectRef, view);
        objectClass->handler(nullptr, event, userData);
        userData = getParameter<void*>(event, kEventParamHIObjectInstance, typeVoidPtr, userData);
        ReleaseEvent(event);
    }
    InstallEventHandler(view->target.get(), objectClass->handler, objectClass->types.size(),
                        objectClass->types.data(), userData, &view->classHandler);
    if (objectClass->constructs) sendSimple(view, kEventClassHIObject, kEventHIObjectInitialize);
    EventRef event = newEvent(kEventClassControl, kEventControlInitialize);
    setParameter(event, kEventParamDirectObject, typeControlRef, view);
    setParameter(event, kEventParamInitCollection, typeCollection, initData);
    setParameter(event, kEventParamControlFeatures, typeUInt32, view->features);
    if (SendEventToEventTarget(event, view->target.get()) == noErr)
        view->features = getParameter<UInt32>(event, kEventParamControlFeatures, typeUInt32, view->features);
    ReleaseEvent(event);
}

ControlRef placeInWindow(ControlRef view, WindowRef window)
{
    if (window && platform::detail::isWindow(window)) HIViewAddSubview(window->content, view);
    return view;
}

} // namespace

OpaqueControlRef::OpaqueControlRef(const HIRect& f)
    : frame(f), target(std::make_shared<platform::detail::OwnedTarget<OpaqueControlRef>>(this))
{
    views().insert(this);
}

OpaqueControlRef::~OpaqueControlRef()
{
    target->owner = nullptr;
    target->detach();
    views().erase(this);
}

EventTargetRef OpaqueControlRef::parentTarget() const
{
    if (superview) return superview->target.get();
    if (window) return window->target.get();
    return GetApplicationEventTarget();
}

HIPoint OpaqueControlRef::toWindow(HIPoint point) const
{
    for (const OpaqueControlRef* v = this; v; v = v->superview) {
        point.x += v->frame.origin.x - v->boundsOrigin.x;
        point.y += v->frame.origin.y - v->boundsOrigin.y;
    }
    return point;
}

HIPoint OpaqueControlRef::fromWindow(HIPoint point) const
{
    const HIPoint origin = toWindow({0, 0});
    return {point.x - origin.x, point.y - origin.y};
}

bool OpaqueControlRef::shown() const
{
    for (const OpaqueControlRef* v = this; v; v = v->superview)
        if (!v->visible) return false;
    return true;
}

CGRect OpaqueControlRef::visibleArea() const
{
    const HIPoint origin = toWindow(boundsOrigin);
    CGRect area{origin, frame.size};
    if (!shown()) return {origin, {0, 0}};
    for (const OpaqueControlRef* v = superview; v; v = v->superview)
        area = CGRectIntersection(area, CGRect{v->toWindow(v->boundsOrigin), v->frame.size});
    return area;
}

void OpaqueControlRef::setWindow(WindowRef w)
{
    if (window && window != w && window->focus == this) window->focus = nullptr;
    window = w;
    for (ControlRef child : subviews) child->setWindow(w);
}

void OpaqueControlRef::invalidate()
{
    if (window) window->invalidate(visibleArea());
}

namespace platform::detail {

HIRect hiRect(const Rect& r)
{
    return HIRect{{CGFloat(r.left), CGFloat(r.top)}, {CGFloat(r.right - r.left), CGFloat(r.bottom - r.top)}};
}

Rect qdRect(const HIRect& r)
{
    return {static_cast<int16_t>(std::lround(r.origin.y)), static_cast<int16_t>(std::lround(r.origin.x)),
            static_cast<int16_t>(std::lround(r.origin.y + r.size.height)),
            static_cast<int16_t>(std::lround(r.origin.x + r.size.width))};
}

bool isView(ControlRef view)
{
    return view && views().count(view) > 0;
}

ControlRef newView(OpaqueHIObjectClassRef* objectClass, const HIRect& frame, Collection initData)
{
    auto* view = new OpaqueControlRef(frame);
    view->objectClass = objectClass;
    if (objectClass) {
        ++objectClass->instances;
        construct(view, initData);
    }
    return view;
}

void destroyView(ControlRef view)
{
    sendSimple(view, kEventClassControl, kEventControlDispose);
    while (!view->subviews.empty()) destroyView(view->subviews.back());
    HIViewRemoveFromSuperview(view);
    if (OpaqueHIObjectClassRef* objectClass = view->objectClass) {
        if (objectClass->constructs) sendSimple(view, kEventClassHIObject, kEventHIObjectDestruct);
        --objectClass->instances;
    }
    delete view;
}

ControlRef viewAt(ControlRef root, HIPoint windowPoint)
{
    HIPoint local = root->fromWindow(windowPoint);
    HIViewRef hit = nullptr;
    HIViewGetSubviewHit(root, &local, true, &hit);
    return hit;
}

} // namespace platform::detail

using platform::detail::isView;

OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef, ItemCount numEvents,
                                    const EventTypeSpec* eventList, EventHandlerUPP eventHandler,
                                    void* eventHandlerData, ToolboxObjectClassRef* outClassRef)
{
    return registerClass(classID, eventHandler, numEvents, eventList, eventHandlerData, false, outClassRef);
}

OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef classRef)
{
    return unregisterClass(classRef);
}

OSStatus HIObjectRegisterSubclass(CFStringRef classID, CFStringRef, OptionBits, EventHandlerUPP constructProc,
                                  UInt32 numEvents, const EventTypeSpec* eventList, void* constructData,
                                  HIObjectClassRef* outClassRef)
{
    if (!constructProc) return paramErr;
    return registerClass(classID, constructProc, numEvents, eventList, constructData, true, outClassRef);
}

OSStatus HIObjectUnregisterClass(HIObjectClassRef classRef)
{
    return unregisterClass(classRef);
}

OSStatus CreateCustomControl(WindowRef owningWindow, const Rect* contBounds, const ControlDefSpec* def,
                             Collection initData, ControlRef* outControl)
{
    if (!contBounds || !def || !outControl) return paramErr;
    *outControl = nullptr;
    auto* objectClass = static_cast<OpaqueHIObjectClassRef*>(def->u.classRef);
    if (def->defType != kControlDefObjectClass ||
        std::find(classes().begin(), classes().end(), objectClass) == classes().end())
        return paramErr;
    *outControl =
        placeInWindow(platform::detail::newView(objectClass, platform::detail::hiRect(*contBounds), initData),
                      owningWindow);
    return noErr;
}

OSStatus CreateUserPaneControl(WindowRef window, const Rect* boundsRect, UInt32 features,
                               ControlRef* outControl)
{
    if (!boundsRect || !outControl) return paramErr;
    ControlRef pane = platform::detail::newView(nullptr, platform::detail::hiRect(*boundsRect), nullptr);
    pane->features = features;
    *outControl = placeInWindow(pane, window);
    return noErr;
}

OSStatus EmbedControl(ControlRef inControl, ControlRef inContainer)
{
    if (!isView(inControl) || !isView(inContainer)) return controlHandleInvalidErr;
    if (!(inContainer->features & kControlSupportsEmbedding)) return errControlIsNotEmbedder;
    return HIViewAddSubview(inContainer, inControl);
}

OSStatus HIViewAddSubview(HIViewRef inParent, HIViewRef inNewChild)
{
    if (!isView(inParent) || !isView(inNewChild) || inParent == inNewChild) return paramErr;
    for (HIViewRef v = inParent; v; v = v->superview)
        if (v == inNewChild) return paramErr;
    HIViewRemoveFromSuperview(inNewChild);
    inParent->subviews.push_back(inNewChild);
    inNewChild->superview = inParent;
    inNewChild->setWindow(inParent->window);
    inNewChild->invalidate();
    return noErr;
}

OSStatus HIViewRemoveFromSuperview(HIViewRef inView)
{
    if (!isView(inView)) return paramErr;
    HIViewRef parent = inView->superview;
    if (!parent) return noErr;
    inView->invalidate();
    std::erase(parent->subviews, inView);
    inView->superview = nullptr;
    inView->setWindow(nullptr);
    return noErr;
}

HIViewRef HIViewGetSuperview(HIViewRef inView)
{
    return isView(inView) ? inView->superview : nullptr;
}

HIViewRef HIViewGetRoot(WindowRef inWindow)
{
    return platform::detail::isWindow(inWindow) ? inWindow->root : nullptr;
}

OSStatus GetRootControl(WindowRef inWindow, ControlRef* outControl)
{
    if (!outControl) return paramErr;
    *outControl = HIViewGetRoot(inWindow);
    return *outControl ? noErr : errInvalidWindowRef;
}

OSStatus HIViewFindByID(HIViewRef inStartView, HIViewID inID, HIViewRef* outControl)
{
    if (!isView(inStartView) || !outControl) return paramErr;
    *outControl = nullptr;
    for (HIViewRef child : inStartView->subviews) {
        if (child->id.signature == inID.signature && child->id.id == inID.id) {
            *outControl = child;
            return noErr;
        }
        if (HIViewFindByID(child, inID, outControl) == noErr) return noErr;
    }
    return controlHandleInvalidErr;
}

WindowRef GetControlOwner(ControlRef inControl)
{
    return isView(inControl) ? inControl->window : nullptr;
}

WindowRef HIViewGetWindow(HIViewRef inView)
{
    return GetControlOwner(inView);
}

OSStatus HIViewGetFrame(HIViewRef inView, HIRect* outRect)
{
    if (!isView(inView) || !outRect) return paramErr;
    *outRect = inView->frame;
    return noErr;
}

OSStatus HIViewSetFrame(HIViewRef inView, const HIRect* inRect)
{
    if (!isView(inView) || !inRect) return paramErr;
    inView->invalidate();
    inView->frame = *inRect;
    inView->invalidate();
    return noErr;
}

OSStatus HIViewGetBounds(HIViewRef inView, HIRect* outRect)
{
    if (!isView(inView) || !outRect) return paramErr;
    *outRect = {inView->boundsOrigin, inView->frame.size};
    return noErr;
}

OSStatus HIViewSetBoundsOrigin(HIViewRef inView, CGFloat inX, CGFloat inY)
{
    if (!isView(inView)) return paramErr;
    inView->boundsOrigin = {inX, inY};
    inView->invalidate();
    return noErr;
}

Rect* GetControlBounds(ControlRef inControl, Rect* outBounds)
{
    if (!isView(inControl) || !outBounds) return outBounds;
    *outBounds = platform::detail::qdRect(inControl->frame);
    return outBounds;
}

void SizeControl(ControlRef inControl, int16_t inWidth, int16_t inHeight)
{
    if (!isView(inControl)) return;
    HIRect frame = inControl->frame;
    frame.size = {CGFloat(inWidth), CGFloat(inHeight)};
    HIViewSetFrame(inControl, &frame);
}

void MoveControl(ControlRef inControl, int16_t inH, int16_t inV)
{
    if (!isView(inControl)) return;
    HIRect frame = inControl->frame;
    frame.origin = {CGFloat(inH), CGFloat(inV)};
    HIViewSetFrame(inControl, &frame);
}

OSStatus HIViewConvertPoint(HIPoint* ioPoint, HIViewRef inSourceView, HIViewRef inDestView)
{
    if (!ioPoint || (inSourceView && !isView(inSourceView)) || (inDestView && !isView(inDestView)))
        return paramErr;
    if (inSourceView && inDestView && inSourceView->window != inDestView->window) {
        // Views outside any window still convert when they share a tree.
        HIViewRef top = inSourceView, other = inDestView;
        while (top->superview) top = top->superview;
        while (other->superview) other = other->superview;
        if (top != other) return paramErr;
    }
    HIPoint point = inSourceView ? inSourceView->toWindow(*ioPoint) : *ioPoint;
    *ioPoint = inDestView ? inDestView->fromWindow(point) : point;
    return noErr;
}

OSStatus HIViewConvertRect(HIRect* ioRect, HIViewRef inSourceView, HIViewRef inDestView)
{
    if (!ioRect) return paramErr;
    return HIViewConvertPoint(&ioRect->origin, inSourceView, inDestView);
}

OSStatus HIViewSetVisible(HIViewRef inView, Boolean inVisible)
{
    if (!isView(inView)) return paramErr;
    if (inView->visible == bool(inVisible)) return noErr;
    if (!inVisible) inView->invalidate();
    inView->visible = inVisible;
    if (inVisible) inView->invalidate();
    return noErr;
}

Boolean HIViewIsVisible(HIViewRef inView)
{
    return isView(inView) && inView->shown();
}

OSStatus HIViewSetNeedsDisplay(HIViewRef inView, Boolean inNeedsDisplay)
{
    if (!isView(inView)) return paramErr;
    inView->needsDisplay = inNeedsDisplay;
    if (inNeedsDisplay) inView->invalidate();
    return noErr;
}

Boolean HIViewGetNeedsDisplay(HIViewRef inView)
{
    return isView(inView) && inView->needsDisplay;
}

OSStatus HIViewGetSubviewHit(HIViewRef inView, const HIPoint* inPoint, Boolean inDeep, HIViewRef* outView)
{
    if (!isView(inView) || !inPoint || !outView) return paramErr;
    *outView = nullptr;
    for (auto child = inView->subviews.rbegin(); child != inView->subviews.rend(); ++child) {
        const HIViewRef view = *child;
        const HIRect& f = view->frame;
        const bool inside = view->visible && inPoint->x >= f.origin.x && inPoint->y >= f.origin.y &&
                            inPoint->x < f.origin.x + f.size.width && inPoint->y < f.origin.y + f.size.height;
        if (!inside) continue;
        *outView = view;
        if (inDeep) {
            HIPoint local{inPoint->x - f.origin.x + view->boundsOrigin.x,
                          inPoint->y - f.origin.y + view->boundsOrigin.y};
            HIViewRef deeper = nullptr;
            HIViewGetSubviewHit(view, &local, true, &deeper);
            if (deeper) *outView = deeper;
        }
        return noErr;
    }
    return noErr;
}

OSStatus HIViewGetViewForMouseEvent(HIViewRef inView, EventRef inEvent, HIViewRef* outView)
{
    if (!isView(inView) || !inEvent || !outView) return paramErr;
    *outView = nullptr;
    HIPoint where{};
    const OSStatus status = GetEventParameter(inEvent, kEventParamWindowMouseLocation, typeHIPoint, nullptr,
                                              sizeof where, nullptr, &where);
    if (status != noErr) return status;
    const HIPoint local = inView->fromWindow(where);
    const HIRect bounds{inView->boundsOrigin, inView->frame.size};
    if (local.x < bounds.origin.x || local.y < bounds.origin.y ||
        local.x >= bounds.origin.x + bounds.size.width || local.y >= bounds.origin.y + bounds.size.height)
        return eventNotHandledErr;
    HIViewGetSubviewHit(inView, &local, true, outView);
    if (!*outView) *outView = inView;
    return noErr;
}

OSStatus HIViewScrollRect(HIViewRef inView, const HIRect* inRect, CGFloat, CGFloat)
{
    if (!isView(inView)) return paramErr;
    if (!inRect) return HIViewSetNeedsDisplay(inView, true);
    if (inView->window) {
        const HIPoint origin = inView->toWindow(inRect->origin);
        inView->window->invalidate(CGRectIntersection(CGRect{origin, inRect->size}, inView->visibleArea()));
    }
    return noErr;
}

OSStatus SetControlDragTrackingEnabled(ControlRef inControl, Boolean inTracks)
{
    if (!isView(inControl)) return paramErr;
    inControl->dragTracking = inTracks;
    return noErr;
}

OSStatus IsControlDragTrackingEnabled(ControlRef inControl, Boolean* outTracks)
{
    if (!isView(inControl) || !outTracks) return paramErr;
    *outTracks = inControl->dragTracking;
    return noErr;
}

OSStatus SetAutomaticControlDragTrackingEnabledForWindow(WindowRef inWindow, Boolean inTracks)
{
    if (!platform::detail::isWindow(inWindow)) return errInvalidWindowRef;
    inWindow->automaticDragTracking = inTracks;
    return noErr;
}

OSStatus IsAutomaticControlDragTrackingEnabledForWindow(WindowRef inWindow, Boolean* outTracks)
{
    if (!platform::detail::isWindow(inWindow) || !outTracks) return errInvalidWindowRef;
    *outTracks = inWindow->automaticDragTracking;
    return noErr;
}

void DisposeControl(ControlRef theControl)
{
    if (isView(theControl)) platform::detail::destroyView(theControl);
}

EventTargetRef GetControlEventTarget(ControlRef inControl)
{
    return isView(inControl) ? inControl->target.get() : nullptr;
}

OSStatus GetControlFeatures(ControlRef inControl, UInt32* outFeatures)
{
    if (!isView(inControl) || !outFeatures) return paramErr;
    *outFeatures = inControl->features;
    return noErr;
}

OSStatus SetKeyboardFocus(WindowRef inWindow, ControlRef inControl, ControlPartCode inPart)
{
    if (!platform::detail::isWindow(inWindow)) return errInvalidWindowRef;
    if (inControl && (!isView(inControl) || inControl->window != inWindow)) return paramErr;
    ControlRef previous = inWindow->focus;
    if (previous && previous != inControl) {
        inWindow->focus = nullptr;
        EventRef event = newEvent(kEventClassControl, kEventControlSetFocusPart);
        setParameter(event, kEventParamDirectObject, typeControlRef, previous);
        setParameter(event, kEventParamControlPart, typeControlPartCode,
                     ControlPartCode(kControlFocusNoPart));
        SendEventToEventTarget(event, previous->target.get());
        ReleaseEvent(event);
    }
    if (!inControl || !isView(inControl)) return noErr;
    EventRef event = newEvent(kEventClassControl, kEventControlSetFocusPart);
    setParameter(event, kEventParamDirectObject, typeControlRef, inControl);
    setParameter(event, kEventParamControlPart, typeControlPartCode, inPart);
    SendEventToEventTarget(event, inControl->target.get());
    const auto part =
        getParameter<ControlPartCode>(event, kEventParamControlPart, typeControlPartCode, inPart);
    ReleaseEvent(event);
    if (isView(inControl)) {
        inWindow->focus = part != kControlFocusNoPart ? inControl : nullptr;
        inWindow->focusPart = part;
    }
    return noErr;
}

OSStatus ClearKeyboardFocus(WindowRef inWindow)
{
    return SetKeyboardFocus(inWindow, nullptr, kControlFocusNoPart);
}

OSStatus HIViewGetFocusPart(HIViewRef inView, ControlPartCode* outFocusPart)
{
    if (!isView(inView) || !outFocusPart) return paramErr;
    *outFocusPart = kControlFocusNoPart;
    WindowRef window = inView->window;
    if (!window || window->focus != inView) return noErr;
    EventRef event = newEvent(kEventClassControl, kEventControlGetFocusPart);
    setParameter(event, kEventParamDirectObject, typeControlRef, inView);
    const bool answered = SendEventToEventTarget(event, inView->target.get()) == noErr;
    const auto asked = getParameter<ControlPartCode>(event, kEventParamControlPart, typeControlPartCode,
                                                     kControlFocusNoPart);
    ReleaseEvent(event);
    if (platform::detail::isWindow(window)) *outFocusPart = answered ? asked : window->focusPart;
    return noErr;
}

OSStatus GetKeyboardFocus(WindowRef inWindow, ControlRef* outControl)
{
    if (!platform::detail::isWindow(inWindow) || !outControl) return errInvalidWindowRef;
    *outControl = inWindow->focus;
    return noErr;
}

OSStatus HIViewMoveBy(HIViewRef inView, CGFloat inDX, CGFloat inDY)
{
    if (!isView(inView)) return paramErr;
    HIRect frame = inView->frame;
    frame.origin.x += inDX;
    frame.origin.y += inDY;
    return HIViewSetFrame(inView, &frame);
}

OSStatus HIViewPlaceInSuperviewAt(HIViewRef inView, CGFloat inX, CGFloat inY)
{
    if (!isView(inView)) return paramErr;
    HIRect frame = inView->frame;
    frame.origin = {inX, inY};
    return HIViewSetFrame(inView, &frame);
}

OSStatus HIViewGetOptimalBounds(HIViewRef inView, HIRect* outBounds, float* outBaseLineOffset)
{
    using platform::detail::getParameter;
    if (!isView(inView)) return paramErr;
    EventRef event = platform::detail::newEvent(kEventClassControl, kEventControlGetOptimalBounds);
    platform::detail::setParameter(event, kEventParamDirectObject, typeControlRef, inView);
    HIRect bounds = inView->frame;
    SInt16 baseline = 0;
    if (SendEventToEventTarget(event, inView->target.get()) == noErr) {
        EventParamType type = 0;
        GetEventParameter(event, kEventParamControlOptimalBounds, typeWildCard, &type, 0, nullptr, nullptr);
        if (type == typeHIRect)
            bounds = getParameter<HIRect>(event, kEventParamControlOptimalBounds, typeHIRect);
        if (type == typeQDRectangle)
            bounds = platform::detail::hiRect(
                getParameter<Rect>(event, kEventParamControlOptimalBounds, typeQDRectangle));
        baseline = getParameter<SInt16>(event, kEventParamControlOptimalBaselineOffset, typeSInt16);
    }
    ReleaseEvent(event);
    if (outBounds) *outBounds = bounds;
    if (outBaseLineOffset) *outBaseLineOffset = baseline;
    return noErr;
}

OSStatus GetBestControlRect(ControlRef inControl, Rect* outRect, SInt16* outBaseLineOffset)
{
    HIRect bounds{};
    float baseline = 0;
    const OSStatus status = HIViewGetOptimalBounds(inControl, &bounds, &baseline);
    if (status != noErr) return status;
    if (outRect) *outRect = platform::detail::qdRect(bounds);
    if (outBaseLineOffset) *outBaseLineOffset = static_cast<SInt16>(baseline);
    return noErr;
}
