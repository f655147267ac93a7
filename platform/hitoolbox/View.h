#pragma once

// A view: its place in the tree and in its window, its class and its event
// target.

#include <memory>
#include <vector>

#include "platform/hitoolbox/EventTarget.h"
#include "platform/hitoolbox/HIToolbox.h"

struct OpaqueHIObjectClassRef {
    CFStringRef classID;
    EventHandlerUPP handler;
    void* data;
    std::vector<EventTypeSpec> types;
    // An HIObject subclass: constructed and destructed through its handler.
    bool constructs;
    int instances = 0;
};

namespace platform::detail {

// The standard handling of a view of one of the toolbox's own kinds (the
// text field, the scroll view), which keeps its state here: it runs after
// the handlers installed on the view, for the events that reach its target.
struct ViewKind {
    virtual ~ViewKind() = default;
    virtual OSStatus handle(ControlRef view, EventHandlerCallRef call, EventRef event) = 0;
};

} // namespace platform::detail

struct OpaqueControlRef {
    OpaqueHIObjectClassRef* objectClass = nullptr;
    EventHandlerRef classHandler = nullptr;
    WindowRef window = nullptr;
    ControlRef superview = nullptr;
    // Back to front.
    std::vector<ControlRef> subviews;
    HIRect frame{};
    HIPoint boundsOrigin{};
    bool visible = true;
    bool needsDisplay = false;
    bool dragTracking = false;
    UInt32 features = 0;
    HIViewID id{};
    std::shared_ptr<platform::detail::OwnedTarget<OpaqueControlRef>> target;

    explicit OpaqueControlRef(const HIRect& f);
    OpaqueControlRef(const OpaqueControlRef&) = delete;
    OpaqueControlRef& operator=(const OpaqueControlRef&) = delete;
    ~OpaqueControlRef();

    EventTargetRef parentTarget() const;
    OSStatus standardHandler(EventHandlerCallRef call, EventRef event)
    {
        return kind ? kind->handle(this, call, event) : eventNotHandledErr;
    }
    std::unique_ptr<platform::detail::ViewKind> kind;

    // Between the view's coordinates and its window's.
    HIPoint toWindow(HIPoint point) const;
    HIPoint fromWindow(HIPoint point) const;
    // Of the part of the view that is visible through its superviews, in
    // window coordinates; empty when the view is hidden.
    CGRect visibleArea() const;
    bool shown() const;
    void setWindow(WindowRef w);
    // Asks for the visible part of the view to be redrawn.
    void invalidate();
};

namespace platform::detail {

// Between QuickDraw and HIToolbox rectangles, rounded to whole pixels.
HIRect hiRect(const Rect& r);
Rect qdRect(const HIRect& r);

// A view of class objectClass (may be null), in no window or superview yet,
// constructed and initialised by its class.
ControlRef newView(OpaqueHIObjectClassRef* objectClass, const HIRect& frame, Collection initData);
// Sends the view the dispose event, disposes of its subviews and of the
// view, taking it out of its superview.
void destroyView(ControlRef view);
// The innermost shown view under a point in window coordinates, below root.
ControlRef viewAt(ControlRef root, HIPoint windowPoint);
bool isView(ControlRef view);

} // namespace platform::detail
