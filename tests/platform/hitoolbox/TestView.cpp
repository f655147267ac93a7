#include "TestView.h"

#include <gtest/gtest.h>

namespace {

template <typename T> T parameter(EventRef event, EventParamName name, EventParamType type)
{
    T value{};
    GetEventParameter(event, name, type, nullptr, sizeof value, nullptr, &value);
    return value;
}

void fill(const TestView& view, CGContextRef context, HIRect bounds)
{
    CGContextSetRGBFillColor(context, ((view.colour >> 16) & 0xFF) / 255.0,
                             ((view.colour >> 8) & 0xFF) / 255.0, (view.colour & 0xFF) / 255.0, 1);
    const CGFloat o = view.overdraw;
    CGContextFillRect(context, CGRect{{bounds.origin.x - o, bounds.origin.y - o},
                                      {bounds.size.width + 2 * o, bounds.size.height + 2 * o}});
}

// Without a context (a window that is not compositing): through the port,
// at the view's place in the window.
void drawOnPort(const TestView& view)
{
    CGrafPtr port = GetWindowPort(GetControlOwner(view.ref));
    CGContextRef context = nullptr;
    ASSERT_EQ(QDBeginCGContext(port, &context), noErr);
    Rect portBounds{};
    GetPortBounds(port, &portBounds);
    CGContextTranslateCTM(context, 0, portBounds.bottom);
    CGContextScaleCTM(context, 1, -1);
    HIRect bounds{};
    HIViewGetBounds(view.ref, &bounds);
    HIViewConvertRect(&bounds, view.ref, nullptr);
    fill(view, context, bounds);
    QDEndCGContext(port, &context);
}

OSStatus draw(TestView& view, EventRef event)
{
    ++view.draws;
    RgnHandle region = parameter<RgnHandle>(event, kEventParamRgnHandle, typeQDRgnHandle);
    view.drawRegion = {};
    if (region) GetRegionBounds(region, &view.drawRegion);
    CGContextRef context = parameter<CGContextRef>(event, kEventParamCGContextRef, typeCGContextRef);
    if (!context) {
        drawOnPort(view);
        return noErr;
    }
    // The toolkit's flip.
    CGContextTranslateCTM(context, 0, CGFloat(CGBitmapContextGetHeight(context)));
    CGContextScaleCTM(context, 1, -1);
    HIRect bounds{};
    HIViewGetBounds(view.ref, &bounds);
    fill(view, context, bounds);
    return noErr;
}

OSStatus handle(EventHandlerCallRef, EventRef event, void* userData)
{
    auto& view = *static_cast<TestView*>(userData);
    const UInt32 eventClass = GetEventClass(event), kind = GetEventKind(event);
    // Control events of subviews pass through on their way up.
    if (eventClass == kEventClassControl &&
        parameter<ControlRef>(event, kEventParamDirectObject, typeControlRef) != view.ref)
        return eventNotHandledErr;
    TestView::Received got{eventClass, kind, parameter<HIPoint>(event, kEventParamMouseLocation, typeHIPoint),
                           parameter<ControlPartCode>(event, kEventParamControlPart, typeControlPartCode),
                           parameter<EventMouseButton>(event, kEventParamMouseButton, typeMouseButton)};
    if (eventClass == kEventClassControl && kind != kEventControlDraw) view.received.push_back(got);
    if (eventClass == kEventClassMouse || eventClass == kEventClassKeyboard) {
        view.received.push_back(got);
        return eventClass == kEventClassKeyboard && !view.handlesKeys ? eventNotHandledErr : noErr;
    }
    switch (kind) {
    case kEventControlInitialize:
        SetEventParameter(event, kEventParamControlFeatures, typeUInt32, sizeof view.features,
                          &view.features);
        return noErr;
    case kEventControlHitTest:
        SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof view.hitPart,
                          &view.hitPart);
        return noErr;
    case kEventControlDraw:
        return draw(view, event);
    case kEventControlClick:
        return view.handlesClick ? noErr : eventNotHandledErr;
    case kEventControlTrack:
        if (view.track) view.track();
        return noErr;
    case kEventControlSetFocusPart: {
        // One part: focus comes to it, and moving on from it leaves.
        const bool takes = got.part != kControlFocusNoPart && !view.focused;
        const ControlPartCode part = takes ? 1 : kControlFocusNoPart;
        view.focused = takes;
        SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
        return noErr;
    }
    case kEventControlGetFocusPart:
        if (!view.focusPartAnswer) return eventNotHandledErr;
        SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof view.focusPartAnswer,
                          &view.focusPartAnswer);
        return noErr;
    default:
        return eventNotHandledErr;
    }
}

OSStatus construct(EventHandlerCallRef call, EventRef event, void* userData)
{
    if (GetEventClass(event) != kEventClassHIObject || GetEventKind(event) != kEventHIObjectConstruct)
        return handle(call, event, userData);
    TestView* view = *static_cast<TestView**>(userData);
    view->ref = parameter<ControlRef>(event, kEventParamHIObjectInstance, typeHIObjectRef);
    SetEventParameter(event, kEventParamHIObjectInstance, typeVoidPtr, sizeof view, &view);
    return noErr;
}

} // namespace

std::vector<UInt32> TestView::kinds(UInt32 eventClass) const
{
    std::vector<UInt32> result;
    for (const Received& r : received)
        if (r.eventClass == eventClass) result.push_back(r.kind);
    return result;
}

TestViewClass::TestViewClass()
{
    static const EventTypeSpec events[] = {
        {kEventClassControl, kEventControlInitialize},
        {kEventClassControl, kEventControlHitTest},
        {kEventClassControl, kEventControlDraw},
        {kEventClassControl, kEventControlClick},
        {kEventClassControl, kEventControlTrack},
        {kEventClassControl, kEventControlContextualMenuClick},
        {kEventClassControl, kEventControlSetFocusPart},
        {kEventClassControl, kEventControlGetFocusPart},
        {kEventClassControl, kEventControlDispose},
        {kEventClassMouse, kEventMouseWheelMoved},
        {kEventClassKeyboard, kEventRawKeyDown},
    };
    CFStringRef id = CFStringCreateWithCString(nullptr, "org.vok.tests.TestView", kCFStringEncodingUTF8);
    EXPECT_EQ(HIObjectRegisterSubclass(id, nullptr, 0, construct, std::size(events), events, &constructing,
                                       &classRef),
              noErr);
    CFRelease(id);
}

TestViewClass::~TestViewClass()
{
    EXPECT_EQ(HIObjectUnregisterClass(classRef), noErr);
}

ControlRef TestViewClass::create(TestView& view, WindowRef window, const Rect& bounds)
{
    constructing = &view;
    ControlDefSpec def{kControlDefObjectClass, {}};
    def.u.classRef = classRef;
    ControlRef control = nullptr;
    EXPECT_EQ(CreateCustomControl(window, &bounds, &def, nullptr, &control), noErr);
    EXPECT_EQ(control, view.ref);
    return control;
}

WindowRef newTestWindow(const Rect& bounds)
{
    WindowRef window = nullptr;
    EXPECT_EQ(CreateNewWindow(kDocumentWindowClass,
                              kWindowCompositingAttribute | kWindowStandardHandlerAttribute, &bounds,
                              &window),
              noErr);
    ShowWindow(window);
    return window;
}
