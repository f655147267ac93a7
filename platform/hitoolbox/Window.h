#pragma once

// A window: its place, state, backing store with the port on it, its views
// and the area of it that needs redrawing.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/GrafPort.h"
#include "platform/hitoolbox/EventTarget.h"
#include "platform/hitoolbox/HIToolbox.h"

struct OpaqueWindowPtr {
    WindowClass windowClass;
    WindowAttributes attributes;
    // The content rectangle in global coordinates.
    Rect bounds;
    bool visible = false;
    bool collapsed = false;
    bool active = false;
    CFStringRef title = nullptr;
    // Native-endian premultiplied ARGB, which the port describes.
    cairo_surface_t* backingStore = nullptr;
    OpaqueGrafPtr port;
    ControlRef root = nullptr;
    ControlRef content = nullptr;
    ControlRef focus = nullptr;
    // What the focused view answered when it took the focus.
    ControlPartCode focusPart = kControlFocusNoPart;
    bool automaticDragTracking = false;
    // The embedding program's window this one lives in (its native
    // identifier), or 0 for a window of its own.
    uintptr_t nativeParent = 0;
    std::shared_ptr<platform::detail::OwnedTarget<OpaqueWindowPtr>> target;
    // In window coordinates.
    std::optional<CGRect> dirty;
    // While views are drawn: the area they are drawn for.
    std::optional<CGRect> drawing;
    // Drawn into since it was last presented: by the views, or through the
    // port (counted by the port).
    bool changed = false;
    unsigned presentedDrawings = 0;

    OpaqueWindowPtr(WindowClass c, WindowAttributes a, const Rect& r);
    ~OpaqueWindowPtr();
    OpaqueWindowPtr(const OpaqueWindowPtr&) = delete;
    OpaqueWindowPtr& operator=(const OpaqueWindowPtr&) = delete;

    int width() const { return bounds.right - bounds.left; }
    int height() const { return bounds.bottom - bounds.top; }
    bool compositing() const { return (attributes & kWindowCompositingAttribute) != 0; }

    EventTargetRef parentTarget() const { return GetApplicationEventTarget(); }
    OSStatus standardHandler(EventHandlerCallRef call, EventRef event);

    // Makes a backing store of the current size, keeping what fits of the
    // old one.
    void makeBackingStore();
    void invalidate(const CGRect& area);
    // Draws the views over the dirty area; a window that is not compositing
    // is asked to update.
    void redraw();
    // Changes the state and tells the window.
    void setActive(bool isActive);

  private:
    OSStatus mouseDown(EventRef event);
    // A click while inactive: whether it goes on.
    bool clickActivates(ControlRef view, EventRef event);
    void update();
    // Tab: the focus goes to the next part of the focused view, or to the
    // next view that takes it, in the order of the tree.
    void advanceFocus(bool backwards);
};

namespace platform::detail {

bool isWindow(WindowRef window);
bool anyWindow();
// CreateNewWindow, inside nativeParent when not 0.
OSStatus createWindow(WindowClass windowClass, WindowAttributes attributes, const Rect* contentBounds,
                      uintptr_t nativeParent, WindowRef* outWindow);
WindowRef windowOfPort(GrafPtr port);
// Redraws the compositing windows that need it and presents what changed.
void redrawWindows();
// The dispatcher target's standard handler.
OSStatus routeInput(EventRef event);
// Sends the draw event to the view and its shown subviews, back to front,
// where they overlap area (window coordinates), with the region and
// context given (either may be null).
void drawViews(ControlRef view, const CGRect& area, RgnHandle region, CGContextRef context, int height);

} // namespace platform::detail
