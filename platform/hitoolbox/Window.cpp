#include "platform/hitoolbox/Window.h"

#include <algorithm>
#include <cstring>

#include "platform/hitoolbox/DragHandlers.h"
#include "platform/hitoolbox/Event.h"
#include "platform/hitoolbox/EventLoop.h"
#include "platform/hitoolbox/View.h"
#include "platform/hitoolbox/WindowBackend.h"

const HIViewID kHIViewWindowContentID = {FourCharCode("wind"), 1};

namespace {

using platform::detail::getParameter;
using platform::detail::newEvent;
using platform::detail::setParameter;

// Seen through the root view where no view draws.
constexpr CGFloat kWindowBackground = 0.93;

std::vector<WindowRef>& windows()
{
    static std::vector<WindowRef> open;
    return open;
}

CGRect unite(const CGRect& a, const CGRect& b)
{
    const CGFloat left = std::min(a.origin.x, b.origin.x), top = std::min(a.origin.y, b.origin.y);
    const CGFloat right = std::max(a.origin.x + a.size.width, b.origin.x + b.size.width);
    const CGFloat bottom = std::max(a.origin.y + a.size.height, b.origin.y + b.size.height);
    return {{left, top}, {right - left, bottom - top}};
}

// The window's rectangle y upwards, as the Quartz context sees it.
CGRect quartzRect(const CGRect& r, int height)
{
    return {{r.origin.x, height - r.origin.y - r.size.height}, r.size};
}

constexpr UInt32 kTabKeyCode = 48;

// The shown views that take the keyboard focus, in the order of the tree.
void collectFocusable(ControlRef view, std::vector<ControlRef>& out)
{
    if (!view->visible) return;
    if (view->features & kControlSupportsFocus) out.push_back(view);
    for (ControlRef child : view->subviews) collectFocusable(child, out);
}

void pointPort(OpaqueGrafPtr& port, cairo_surface_t* surface)
{
    const int width = cairo_image_surface_get_width(surface),
              height = cairo_image_surface_get_height(surface);
    PixMap& map = port.pixMap;
    map.baseAddr = reinterpret_cast<Ptr>(cairo_image_surface_get_data(surface));
    map.rowBytes = static_cast<int16_t>(cairo_image_surface_get_stride(surface) | kPixMapRowBytesFlag);
    map.bounds = {0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    map.pixelType = 16;
    map.pixelSize = 32;
    map.cmpCount = 3;
    map.cmpSize = 8;
    map.pixelFormat = k32BGRAPixelFormat;
    port.contextInfo = kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little;
}

OSStatus sendToView(ControlRef view, EventRef event)
{
    return SendEventToEventTarget(event, view->target.get());
}

EventRef controlEvent(UInt32 kind, ControlRef view, HIPoint local, UInt32 modifiers)
{
    EventRef event = newEvent(kEventClassControl, kind);
    setParameter(event, kEventParamDirectObject, typeControlRef, view);
    setParameter(event, kEventParamMouseLocation, typeHIPoint, local);
    setParameter(event, kEventParamKeyModifiers, typeUInt32, modifiers);
    return event;
}

} // namespace

OpaqueWindowPtr::OpaqueWindowPtr(WindowClass c, WindowAttributes a, const Rect& r)
    : windowClass(c), attributes(a), bounds(r),
      target(std::make_shared<platform::detail::OwnedTarget<OpaqueWindowPtr>>(this))
{
}

OpaqueWindowPtr::~OpaqueWindowPtr()
{
    target->owner = nullptr;
    target->detach();
    if (root) platform::detail::destroyView(root);
    CGContextRelease(port.begunContext);
    if (backingStore) cairo_surface_destroy(backingStore);
    if (title) CFRelease(title);
}

void OpaqueWindowPtr::makeBackingStore()
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width(), height());
    if (backingStore) {
        // Quartz contexts wrote to it behind Cairo's back.
        cairo_surface_mark_dirty(backingStore);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_surface(cr, backingStore, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(backingStore);
    }
    cairo_surface_flush(surface);
    backingStore = surface;
    pointPort(port, surface);
    if (root) {
        const HIRect frame{{0, 0}, {CGFloat(width()), CGFloat(height())}};
        HIViewSetFrame(root, &frame);
        HIViewSetFrame(content, &frame);
    }
    invalidate({{0, 0}, {CGFloat(width()), CGFloat(height())}});
}

void OpaqueWindowPtr::invalidate(const CGRect& area)
{
    if (CGRectIsEmpty(area)) return;
    dirty = dirty ? unite(*dirty, area) : area;
}

void OpaqueWindowPtr::redraw()
{
    if (!dirty || !visible || collapsed) return;
    if (!compositing()) {
        if (platform::detail::isQueued(kEventClassWindow, kEventWindowUpdate, this)) return;
        EventRef event = newEvent(kEventClassWindow, kEventWindowUpdate);
        setParameter(event, kEventParamDirectObject, typeWindowRef, static_cast<WindowRef>(this));
        setParameter(event, kEventParamWindowRef, typeWindowRef, static_cast<WindowRef>(this));
        PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard);
        ReleaseEvent(event);
        return;
    }
    const CGRect area = *dirty;
    dirty.reset();
    CGContextRef context =
        CGBitmapContextCreate(cairo_image_surface_get_data(backingStore), width(), height(), 8,
                              cairo_image_surface_get_stride(backingStore), nullptr, port.contextInfo);
    if (!context) return;
    CGContextSetRGBFillColor(context, kWindowBackground, kWindowBackground, kWindowBackground, 1);
    CGContextFillRect(context, quartzRect(area, height()));
    CGContextClipToRect(context, quartzRect(area, height()));
    drawing = area;
    platform::detail::drawViews(root, area, nullptr, context, height());
    CGContextRelease(context);
    // A draw handler may have disposed of the window.
    if (!platform::detail::isWindow(this)) return;
    drawing.reset();
    cairo_surface_mark_dirty(backingStore);
    changed = true;
}

void OpaqueWindowPtr::setActive(bool isActive)
{
    if (active == isActive) return;
    active = isActive;
    EventRef event = newEvent(kEventClassWindow, isActive ? kEventWindowActivated : kEventWindowDeactivated);
    setParameter(event, kEventParamDirectObject, typeWindowRef, static_cast<WindowRef>(this));
    SendEventToEventTarget(event, target.get());
    ReleaseEvent(event);
}

void OpaqueWindowPtr::update()
{
    if (!dirty) return;
    drawing = dirty;
    dirty.reset();
    EventRef event = newEvent(kEventClassWindow, kEventWindowDrawContent);
    setParameter(event, kEventParamDirectObject, typeWindowRef, static_cast<WindowRef>(this));
    SendEventToEventTarget(event, target.get());
    ReleaseEvent(event);
    if (platform::detail::isWindow(this)) drawing.reset();
}

OSStatus OpaqueWindowPtr::standardHandler(EventHandlerCallRef, EventRef event)
{
    const UInt32 eventClass = GetEventClass(event), kind = GetEventKind(event);
    if (eventClass == kEventClassMouse && kind == kEventMouseDown) return mouseDown(event);
    if (eventClass == kEventClassWindow && kind == kEventWindowClose) {
        DisposeWindow(this);
        return noErr;
    }
    if (eventClass == kEventClassWindow && kind == kEventWindowUpdate) {
        update();
        return noErr;
    }
    if (eventClass == kEventClassWindow && kind == kEventWindowDrawContent) {
        const CGRect area = drawing.value_or(CGRect{{0, 0}, {CGFloat(width()), CGFloat(height())}});
        RgnHandle region = NewRgn();
        const Rect bounds = platform::detail::qdRect(area);
        RectRgn(region, &bounds);
        UpdateControls(this, region);
        DisposeRgn(region);
        return noErr;
    }
    if (eventClass == kEventClassTextInput && kind == kEventTextInputUnicodeForKeyEvent) {
        EventRef raw = getParameter<EventRef>(event, kEventParamTextInputSendKeyboardEvent, typeEventRef);
        if (!raw || getParameter<UInt32>(raw, kEventParamKeyCode, typeUInt32) != kTabKeyCode)
            return eventNotHandledErr;
        advanceFocus(getParameter<UInt32>(raw, kEventParamKeyModifiers, typeUInt32) & shiftKey);
        return noErr;
    }
    return eventNotHandledErr;
}

void OpaqueWindowPtr::advanceFocus(bool backwards)
{
    const ControlPartCode part = backwards ? kControlFocusPrevPart : kControlFocusNextPart;
    const ControlRef from = focus;
    // A handler may dispose of the window.
    const auto done = [&] { return !platform::detail::isWindow(this) || focus; };
    if (focus) {
        SetKeyboardFocus(this, focus, part);
        if (done()) return;
    }
    std::vector<ControlRef> order;
    collectFocusable(root, order);
    if (backwards) std::reverse(order.begin(), order.end());
    const auto start = std::find(order.begin(), order.end(), from);
    std::rotate(order.begin(), start == order.end() ? order.begin() : start + 1, order.end());
    // The view it started from comes last: alone, it takes the focus again.
    for (ControlRef view : order) {
        if (!platform::detail::isView(view)) continue;
        SetKeyboardFocus(this, view, part);
        if (done()) return;
    }
}

bool OpaqueWindowPtr::clickActivates(ControlRef view, EventRef event)
{
    EventRef ask = newEvent(kEventClassControl, kEventControlGetClickActivation);
    setParameter(ask, kEventParamDirectObject, typeControlRef, view);
    setParameter(ask, kEventParamEventRef, typeEventRef, event);
    sendToView(view, ask);
    const auto result = getParameter<ClickActivationResult>(
        ask, kEventParamControlClickActivationResult, typeClickActivationResult, kActivateAndHandleClick);
    ReleaseEvent(ask);
    if (!platform::detail::isWindow(this)) return false;
    if (result == kActivateAndIgnoreClick || result == kActivateAndHandleClick) SelectWindow(this);
    return platform::detail::isWindow(this) && platform::detail::isView(view) &&
           (result == kDoNotActivateAndHandleClick || result == kActivateAndHandleClick);
}

OSStatus OpaqueWindowPtr::mouseDown(EventRef event)
{
    const HIPoint where = getParameter<HIPoint>(event, kEventParamWindowMouseLocation, typeHIPoint);
    ControlRef view = platform::detail::viewAt(root, where);
    if (!view || view == content) {
        if (!active) SelectWindow(this);
        return eventNotHandledErr;
    }
    if (!active && !clickActivates(view, event)) return noErr;
    const UInt32 modifiers = getParameter<UInt32>(event, kEventParamKeyModifiers, typeUInt32);
    const auto button = getParameter<EventMouseButton>(event, kEventParamMouseButton, typeMouseButton);
    // Compositing windows give view coordinates; others the port's, and the
    // click itself the global location.
    const HIPoint local = compositing() ? view->fromWindow(where) : where;
    const HIPoint clickAt =
        compositing() ? local : getParameter<HIPoint>(event, kEventParamMouseLocation, typeHIPoint);
    // A handler may dispose of the view, or of the window.
    const auto gone = [&] { return !platform::detail::isWindow(this) || !platform::detail::isView(view); };

    EventRef hitTest = controlEvent(kEventControlHitTest, view, local, modifiers);
    sendToView(view, hitTest);
    const auto part = getParameter<ControlPartCode>(hitTest, kEventParamControlPart, typeControlPartCode);
    ReleaseEvent(hitTest);
    if (gone()) return noErr;

    if ((view->features & kControlGetsFocusOnClick) && part != kControlNoPart && focus != view)
        SetKeyboardFocus(this, view, part);
    if (gone()) return noErr;

    EventRef click = controlEvent(kEventControlClick, view, clickAt, modifiers);
    setParameter(click, kEventParamWindowMouseLocation, typeHIPoint, where);
    setParameter(click, kEventParamMouseButton, typeMouseButton, button);
    setParameter(click, kEventParamClickCount, typeUInt32,
                 getParameter<UInt32>(event, kEventParamClickCount, typeUInt32, 1));
    OSStatus status = sendToView(view, click);
    ReleaseEvent(click);
    if (status != eventNotHandledErr || gone()) return noErr;

    const bool contextual = button != kEventMouseButtonPrimary || (modifiers & controlKey);
    EventRef next = controlEvent(contextual ? kEventControlContextualMenuClick : kEventControlTrack, view,
                                 local, modifiers);
    if (contextual)
        setParameter(next, kEventParamMouseButton, typeMouseButton, button);
    else
        setParameter(next, kEventParamControlPart, typeControlPartCode, part);
    setParameter(next, kEventParamClickCount, typeUInt32,
                 getParameter<UInt32>(event, kEventParamClickCount, typeUInt32, 1));
    status = sendToView(view, next);
    ReleaseEvent(next);
    return status == eventNotHandledErr ? eventNotHandledErr : noErr;
}

namespace platform::detail {

void drawViews(ControlRef view, const CGRect& area, RgnHandle region, CGContextRef context, int height)
{
    if (!view->visible) return;
    const CGRect visible = view->visibleArea();
    if (CGRectIsEmpty(CGRectIntersection(visible, area))) return;
    view->needsDisplay = false;
    if (context) {
        CGContextSaveGState(context);
        CGContextClipToRect(context, quartzRect(visible, height));
        const HIPoint origin = view->toWindow({0, 0});
        CGContextTranslateCTM(context, origin.x, -origin.y);
    }
    EventRef event = newEvent(kEventClassControl, kEventControlDraw);
    setParameter(event, kEventParamDirectObject, typeControlRef, view);
    if (context) setParameter(event, kEventParamCGContextRef, typeCGContextRef, context);
    if (region) setParameter(event, kEventParamRgnHandle, typeQDRgnHandle, region);
    SendEventToEventTarget(event, view->target.get());
    ReleaseEvent(event);
    if (context) CGContextRestoreGState(context);
    // The draw handler may have changed the tree.
    if (!isView(view)) return;
    const std::vector<ControlRef> subviews = view->subviews;
    for (ControlRef child : subviews)
        if (isView(child)) drawViews(child, area, region, context, height);
}

bool isWindow(WindowRef window)
{
    return window && std::find(windows().begin(), windows().end(), window) != windows().end();
}

bool anyWindow()
{
    return !windows().empty();
}

WindowRef windowOfPort(GrafPtr port)
{
    const auto found =
        std::find_if(windows().begin(), windows().end(), [&](WindowRef w) { return &w->port == port; });
    return found == windows().end() ? nullptr : *found;
}

void redrawWindows()
{
    const std::vector<WindowRef> all = windows();
    for (WindowRef window : all) {
        if (!isWindow(window)) continue;
        window->redraw();
        if (!isWindow(window)) continue;
        const bool portDrawn = window->port.drawings != window->presentedDrawings;
        if ((window->changed || portDrawn) && window->visible) {
            window->changed = false;
            window->presentedDrawings = window->port.drawings;
            windowBackend().present(window);
        }
    }
}

OSStatus routeInput(EventRef event)
{
    WindowRef window = getParameter<WindowRef>(event, kEventParamWindowRef, typeWindowRef);
    if (!isWindow(window)) return eventNotHandledErr;
    const UInt32 eventClass = GetEventClass(event), kind = GetEventKind(event);
    if (eventClass == kEventClassMouse) {
        if (kind == kEventMouseWheelMoved) {
            const HIPoint where = getParameter<HIPoint>(event, kEventParamWindowMouseLocation, typeHIPoint);
            ControlRef view = viewAt(window->root, where);
            return SendEventToEventTarget(event,
                                          view ? GetControlEventTarget(view) : GetWindowEventTarget(window));
        }
        return SendEventToEventTarget(event, window->target.get());
    }
    if (eventClass == kEventClassWindow) {
        // The backend's activation changes the state before the window hears of it.
        if (kind == kEventWindowActivated)
            SelectWindow(window);
        else if (kind == kEventWindowDeactivated)
            window->setActive(false);
        if (kind == kEventWindowActivated || kind == kEventWindowDeactivated) return noErr;
        return SendEventToEventTarget(event, window->target.get());
    }
    if (eventClass != kEventClassKeyboard) return eventNotHandledErr;
    const auto focusTarget = [&] {
        return window->focus ? GetControlEventTarget(window->focus) : GetWindowEventTarget(window);
    };
    OSStatus status = SendEventToEventTarget(event, focusTarget());
    if (status != eventNotHandledErr || (kind != kEventRawKeyDown && kind != kEventRawKeyRepeat) ||
        !isWindow(window))
        return status;
    EventRef text = newEvent(kEventClassTextInput, kEventTextInputUnicodeForKeyEvent);
    setParameter(text, kEventParamTextInputSendKeyboardEvent, typeEventRef, event);
    status = SendEventToEventTarget(text, focusTarget());
    ReleaseEvent(text);
    return status;
}

} // namespace platform::detail

using platform::detail::isWindow;

OSStatus platform::detail::createWindow(WindowClass windowClass, WindowAttributes attributes,
                                        const Rect* contentBounds, uintptr_t nativeParent,
                                        WindowRef* outWindow)
{
    if (!outWindow) return paramErr;
    *outWindow = nullptr;
    if (!contentBounds || contentBounds->right <= contentBounds->left ||
        contentBounds->bottom <= contentBounds->top || contentBounds->right - contentBounds->left > 4095)
        return paramErr;
    auto* window = new OpaqueWindowPtr(windowClass, attributes, *contentBounds);
    window->nativeParent = nativeParent;
    window->makeBackingStore();
    const HIRect all{{0, 0}, {CGFloat(window->width()), CGFloat(window->height())}};
    window->root = platform::detail::newView(nullptr, all, nullptr);
    window->root->features = kControlSupportsEmbedding;
    window->root->setWindow(window);
    window->content = platform::detail::newView(nullptr, all, nullptr);
    window->content->features = kControlSupportsEmbedding;
    window->content->id = kHIViewWindowContentID;
    HIViewAddSubview(window->root, window->content);
    windows().push_back(window);
    if (!platform::detail::windowBackend().windowCreated(window)) {
        std::erase(windows(), window);
        delete window;
        return paramErr;
    }
    *outWindow = window;
    return noErr;
}

OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes, const Rect* contentBounds,
                         WindowRef* outWindow)
{
    return platform::detail::createWindow(windowClass, attributes, contentBounds, 0, outWindow);
}

void DisposeWindow(WindowRef window)
{
    if (!isWindow(window)) return;
    platform::detail::windowBackend().windowDisposed(window);
    platform::detail::forgetWindowEvents(window);
    platform::detail::forgetDragHandlers(window);
    std::erase(windows(), window);
    delete window;
}

OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes)
{
    if (!isWindow(window) || !outAttributes) return errInvalidWindowRef;
    *outAttributes = window->attributes;
    return noErr;
}

namespace {

void setVisible(WindowRef window, bool visible)
{
    if (!isWindow(window) || window->visible == visible) return;
    window->visible = visible;
    if (visible) window->invalidate({{0, 0}, {CGFloat(window->width()), CGFloat(window->height())}});
    platform::detail::windowBackend().windowChanged(window);
}

} // namespace

void ShowWindow(WindowRef window)
{
    setVisible(window, true);
    SelectWindow(window);
}

void HideWindow(WindowRef window)
{
    setVisible(window, false);
}

Boolean IsWindowVisible(WindowRef window)
{
    return isWindow(window) && window->visible;
}

OSStatus CollapseWindow(WindowRef window, Boolean collapse)
{
    if (!isWindow(window)) return errInvalidWindowRef;
    window->collapsed = collapse;
    platform::detail::windowBackend().windowChanged(window);
    return noErr;
}

Boolean IsWindowCollapsed(WindowRef window)
{
    return isWindow(window) && window->collapsed;
}

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode, Rect* globalBounds)
{
    if (!isWindow(window) || !globalBounds) return errInvalidWindowRef;
    *globalBounds = window->bounds;
    return noErr;
}

void MoveWindow(WindowRef window, int16_t hGlobal, int16_t vGlobal, Boolean)
{
    if (!isWindow(window)) return;
    Rect& b = window->bounds;
    b = {vGlobal, hGlobal, static_cast<int16_t>(vGlobal + window->height()),
         static_cast<int16_t>(hGlobal + window->width())};
    platform::detail::windowBackend().windowChanged(window);
}

void SizeWindow(WindowRef window, int16_t width, int16_t height, Boolean)
{
    if (!isWindow(window) || width <= 0 || height <= 0 || width > 4095) return;
    if (width == window->width() && height == window->height()) return;
    Rect& b = window->bounds;
    b.right = static_cast<int16_t>(b.left + width);
    b.bottom = static_cast<int16_t>(b.top + height);
    window->makeBackingStore();
    platform::detail::windowBackend().windowChanged(window);
}

OSStatus SetWindowTitleWithCFString(WindowRef window, CFStringRef title)
{
    if (!isWindow(window) || !title) return paramErr;
    CFRetain(title);
    if (window->title) CFRelease(window->title);
    window->title = title;
    platform::detail::windowBackend().windowChanged(window);
    return noErr;
}

OSStatus CopyWindowTitleAsCFString(WindowRef window, CFStringRef* outTitle)
{
    if (!isWindow(window) || !outTitle) return paramErr;
    *outTitle = window->title ? static_cast<CFStringRef>(CFRetain(window->title))
                              : CFStringCreateWithCString(nullptr, "", kCFStringEncodingUTF8);
    return noErr;
}

EventTargetRef GetWindowEventTarget(WindowRef window)
{
    return isWindow(window) ? window->target.get() : nullptr;
}

CGrafPtr GetWindowPort(WindowRef window)
{
    return isWindow(window) ? &window->port : nullptr;
}

WindowRef GetWindowFromPort(CGrafPtr port)
{
    return platform::detail::windowOfPort(port);
}

Rect* GetWindowPortBounds(WindowRef window, Rect* bounds)
{
    if (isWindow(window) && bounds)
        *bounds = {0, 0, static_cast<int16_t>(window->height()), static_cast<int16_t>(window->width())};
    return bounds;
}

OSStatus ActivateWindow(WindowRef inWindow, Boolean inActivate)
{
    if (!isWindow(inWindow)) return errInvalidWindowRef;
    inWindow->setActive(inActivate);
    return noErr;
}

Boolean IsWindowActive(WindowRef inWindow)
{
    return isWindow(inWindow) && inWindow->active;
}

void SelectWindow(WindowRef window)
{
    if (!isWindow(window)) return;
    const std::vector<WindowRef> all = windows();
    for (WindowRef other : all)
        if (other != window && isWindow(other)) other->setActive(false);
    if (isWindow(window)) window->setActive(true);
}

WindowRef ActiveNonFloatingWindow(void)
{
    const auto found =
        std::find_if(windows().begin(), windows().end(), [](WindowRef w) { return w->active; });
    return found == windows().end() ? nullptr : *found;
}

OSStatus InvalWindowRect(WindowRef window, const Rect* bounds)
{
    if (!isWindow(window) || !bounds) return paramErr;
    window->invalidate(platform::detail::hiRect(*bounds));
    return noErr;
}

OSStatus ValidWindowRect(WindowRef window, const Rect* bounds)
{
    if (!isWindow(window) || !bounds) return paramErr;
    const CGRect area = platform::detail::hiRect(*bounds);
    if (!window->dirty) return noErr;
    const CGRect both = unite(area, *window->dirty);
    if (both.origin.x == area.origin.x && both.origin.y == area.origin.y &&
        both.size.width == area.size.width && both.size.height == area.size.height)
        window->dirty.reset();
    return noErr;
}

void Draw1Control(ControlRef theControl)
{
    if (!platform::detail::isView(theControl) || !theControl->window) return;
    WindowRef window = theControl->window;
    // A compositing window draws its views itself: now, for this one.
    if (window->compositing()) {
        theControl->invalidate();
        window->redraw();
        return;
    }
    platform::detail::drawViews(theControl, {{0, 0}, {CGFloat(window->width()), CGFloat(window->height())}},
                                nullptr, nullptr, window->height());
}

void DrawControls(WindowRef theWindow)
{
    if (isWindow(theWindow)) Draw1Control(theWindow->root);
}

void UpdateControls(WindowRef inWindow, RgnHandle inUpdateRegion)
{
    if (!isWindow(inWindow) || !inUpdateRegion) return;
    Rect bounds;
    GetRegionBounds(inUpdateRegion, &bounds);
    platform::detail::drawViews(inWindow->root, platform::detail::hiRect(bounds), inUpdateRegion, nullptr,
                                inWindow->height());
}

namespace {

// The global position of the port's origin.
Point portOrigin(CGrafPtr port)
{
    const WindowRef window = platform::detail::windowOfPort(port);
    return window ? Point{window->bounds.top, window->bounds.left} : Point{0, 0};
}

} // namespace

void QDGlobalToLocalPoint(CGrafPtr port, Point* point)
{
    if (!port || !point) return;
    const Point origin = portOrigin(port);
    point->h = static_cast<int16_t>(point->h - origin.h);
    point->v = static_cast<int16_t>(point->v - origin.v);
}

void QDLocalToGlobalPoint(CGrafPtr port, Point* point)
{
    if (!port || !point) return;
    const Point origin = portOrigin(port);
    point->h = static_cast<int16_t>(point->h + origin.h);
    point->v = static_cast<int16_t>(point->v + origin.v);
}

void GlobalToLocal(Point* point)
{
    GrafPtr port = nullptr;
    GetPort(&port);
    QDGlobalToLocalPoint(port, point);
}

void LocalToGlobal(Point* point)
{
    GrafPtr port = nullptr;
    GetPort(&port);
    QDLocalToGlobalPoint(port, point);
}

void SetPortWindowPort(WindowRef window)
{
    if (isWindow(window)) SetPort(&window->port);
}
