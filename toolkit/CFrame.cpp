#include "toolkit/CFrame.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "platform/corefoundation/CoreServices.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CDragContainer.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/QuickDrawConversions.h"

bool CFrame::hiToolboxAllowFocusChange = false;

namespace {

constexpr const char* kClassIDPrefix = "net.vok.toolkit.frame";

// The drag in progress over any frame of the process, and whether its
// events come through a frame's view (the window handlers then stand down).
CDragContainer* gDragContainer = nullptr;
bool gDragThroughControl = false;
int32_t gSystemVersion = 0;

constexpr ControlPartCode kFocusedPart = 127;
// Passed to dragMessage for the drop, after the tracking messages.
constexpr DragTrackingMessage kDropMessage = 0;

constexpr EventTypeSpec kFrameEvents[] = {
    {kEventClassControl, kEventControlDraw},
    {kEventClassControl, kEventControlHitTest},
    {kEventClassControl, kEventControlClick},
    {kEventClassControl, kEventControlTrack},
    {kEventClassControl, kEventControlContextualMenuClick},
    {kEventClassKeyboard, kEventRawKeyDown},
    {kEventClassKeyboard, kEventRawKeyRepeat},
    {kEventClassMouse, kEventMouseWheelMoved},
    {kEventClassControl, kEventControlDragEnter},
    {kEventClassControl, kEventControlDragWithin},
    {kEventClassControl, kEventControlDragLeave},
    {kEventClassControl, kEventControlDragReceive},
    {kEventClassControl, kEventControlInitialize},
    {kEventClassControl, kEventControlGetClickActivation},
    {kEventClassControl, kEventControlGetOptimalBounds},
    {kEventClassScrollable, kEventScrollableGetInfo},
    {kEventClassScrollable, kEventScrollableScrollTo},
    {kEventClassControl, kEventControlSetFocusPart},
    {kEventClassControl, kEventControlGetFocusPart},
};

// Macintosh key codes to virtual keys, searched in this order.
constexpr struct {
    UInt32 keyCode;
    uint8_t virt;
} kKeyTable[] = {
    {51, kVKeyBack},        {48, kVKeyTab},         {36, kVKeyReturn},      {113, kVKeyPause},
    {53, kVKeyEscape},      {49, kVKeySpace},       {119, kVKeyEnd},        {115, kVKeyHome},
    {123, kVKeyLeft},       {126, kVKeyUp},         {124, kVKeyRight},      {125, kVKeyDown},
    {116, kVKeyPageUp},     {121, kVKeyPageDown},   {105, kVKeyPrint},      {76, kVKeyEnter},
    {117, kVKeyDelete},     {114, kVKeyHelp},       {82, kVKeyNumpad0},     {83, kVKeyNumpad0 + 1},
    {84, kVKeyNumpad0 + 2}, {85, kVKeyNumpad0 + 3}, {86, kVKeyNumpad0 + 4}, {87, kVKeyNumpad0 + 5},
    {88, kVKeyNumpad0 + 6}, {89, kVKeyNumpad0 + 7}, {91, kVKeyNumpad0 + 8}, {92, kVKeyNumpad0 + 9},
    {67, kVKeyMultiply},    {69, kVKeyAdd},         {78, kVKeySubtract},    {65, kVKeyDecimal},
    {75, kVKeyDivide},      {122, kVKeyF1},         {120, kVKeyF1 + 1},     {99, kVKeyF1 + 2},
    {118, kVKeyF1 + 3},     {96, kVKeyF1 + 4},      {97, kVKeyF1 + 5},      {98, kVKeyF1 + 6},
    {100, kVKeyF1 + 7},     {101, kVKeyF1 + 8},     {109, kVKeyF1 + 9},     {103, kVKeyF1 + 10},
    {111, kVKeyF1 + 11},    {71, kVKeyNumLock},     {81, kVKeyEquals},
};
static_assert(sizeof(kKeyTable) / sizeof(kKeyTable[0]) == 47);

constexpr UInt32 kTabKeyCode = 48;
constexpr OSStatus kTextInputRefused = -9880;

template <typename T> T parameter(EventRef event, EventParamName name, EventParamType type, T fallback = T())
{
    T value = fallback;
    GetEventParameter(event, name, type, nullptr, sizeof value, nullptr, &value);
    return value;
}

bool compositing(WindowRef window)
{
    WindowAttributes attributes = 0;
    return window && GetWindowAttributes(window, &attributes) == noErr &&
           (attributes & kWindowCompositingAttribute);
}

CPoint towardsZero(const HIPoint& point)
{
    return {toolkit::clampTo<CCoord>(point.x), toolkit::clampTo<CCoord>(point.y)};
}

// The key's character in the current keyboard layout.
int32_t characterOf(UInt32 keyCode, UInt32 modifiers)
{
    const auto* layout = reinterpret_cast<const void*>(GetScriptManagerVariable(smKCHRCache));
    UInt32 state = 0;
    return int32_t(KeyTranslate(layout, UInt16((keyCode & 0x7F) | (modifiers & 0xFF00)), &state) & 0xFF);
}

} // namespace

std::string CFrame::classIDFor(const void* frame)
{
    char id[64];
    std::snprintf(id, sizeof id, "%s.%0*" PRIxPTR, kClassIDPrefix, int(2 * sizeof(void*)),
                  reinterpret_cast<uintptr_t>(frame));
    return id;
}

CFrame::CFrame(const CRect& inSize, WindowRef window, AEffGUIEditor* editor)
    : CViewContainer(inSize, nullptr), pEditor(editor), pSystemWindow(window)
{
    pParentFrame = this;
    bOpenFlag = true;
    initFrame();
    Gestalt(gestaltSystemVersion, &gSystemVersion);
}

CFrame::CFrame(const CRect& inSize, const char*, AEffGUIEditor* editor, long)
    : CViewContainer(inSize, nullptr), pEditor(editor)
{
    pParentFrame = this;
}

CFrame::~CFrame()
{
    close();
}

bool CFrame::registerWithToolbox()
{
    CFStringRef classID =
        CFStringCreateWithCString(nullptr, classIDFor(this).c_str(), kCFStringEncodingASCII);
    const OSStatus status =
        RegisterToolboxObjectClass(classID, nullptr, sizeof kFrameEvents / sizeof kFrameEvents[0],
                                   kFrameEvents, carbonEventHandler, this, &controlClass);
    CFRelease(classID);
    if (status != noErr) controlClass = nullptr;
    return status == noErr;
}

void CFrame::initFrame()
{
    if (!pSystemWindow || !registerWithToolbox()) return;
    Rect bounds{};
    CRect2Rect(size, bounds);
    controlSpec.defType = kControlDefObjectClass;
    controlSpec.u.classRef = controlClass;
    const OSStatus status = CreateCustomControl(nullptr, &bounds, &controlSpec, nullptr, &controlRef);
    if (status != noErr) {
        std::fprintf(stderr, "Could not create Control : %d\n", int(status));
        controlRef = nullptr;
        return;
    }
    const EventTypeSpec textInput{kEventClassTextInput, kEventTextInputUnicodeForKeyEvent};
    InstallEventHandler(GetWindowEventTarget(pSystemWindow), carbonEventHandler, 1, &textInput, this,
                        &textInputHandler);
    SetControlDragTrackingEnabled(controlRef, true);
    SetAutomaticControlDragTrackingEnabledForWindow(pSystemWindow, true);
    size.moveTo(0, 0);
    mouseableArea.moveTo(0, 0);
    setDropActive(true);
}

bool CFrame::open(CPoint*)
{
    return false;
}

bool CFrame::close()
{
    if (bClosed) return false;
    bClosed = true;
    bOpenFlag = false;
    pEditor = nullptr;
    // While this is still a frame: removing a child consults the focus view.
    if (pModalView) removeView(pModalView, false);
    setFocusView(nullptr);
    removeAll(true);
    setCursor(kCursorDefault);
    setDropActive(false);
    // A context still alive must not reach back into a frame that is gone.
    if (pFrameContext) {
        pFrameContext->detachFrame();
        pFrameContext = nullptr;
    }
    if (textInputHandler) {
        RemoveEventHandler(textInputHandler);
        textInputHandler = nullptr;
    }
    if (controlRef) {
        DisposeControl(controlRef);
        controlRef = nullptr;
    }
    if (controlClass) {
        const OSStatus status = UnregisterToolboxObjectClass(controlClass);
        if (status != noErr) std::fprintf(stderr, "UnregisterToolboxObjectClass failed : %d\n", int(status));
        controlClass = nullptr;
    }
    return true;
}

void CFrame::idle()
{
    if (!bOpenFlag || bFirstDraw || (pSystemWindow && IsWindowCollapsed(pSystemWindow))) return;
    if (!isDirty()) return;
    CDrawContext* context = createDrawContext();
    update(context);
    context->forget();
}

void CFrame::doIdleStuff()
{
    if (pEditor) pEditor->doIdleStuff();
}

int64_t CFrame::getTicks() const
{
    return pEditor ? pEditor->getTicks() : 0;
}

long CFrame::getKnobMode() const
{
    return AEffGUIEditor::knobMode;
}

bool CFrame::setPosition(CCoord x, CCoord y)
{
    if (!bOpenFlag || !controlRef) return false;
    HIRect frameRect{};
    HIViewGetFrame(controlRef, &frameRect);
    frameRect.origin.x = x;
    frameRect.origin.y = y;
    HIViewSetFrame(controlRef, &frameRect);
    return true;
}

bool CFrame::getPosition(CCoord& x, CCoord& y) const
{
    if (!bOpenFlag) return false;
    Rect content{};
    GetWindowBounds(pSystemWindow, kWindowContentRgn, &content);
    x = content.left;
    y = content.top;
    if (controlRef && !compositing(pSystemWindow)) {
        HIRect frameRect{};
        HIViewGetFrame(controlRef, &frameRect);
        x += CCoord(frameRect.origin.x);
        y += CCoord(frameRect.origin.y);
    }
    x -= CCoord(hiScrollOffset.x);
    y -= CCoord(hiScrollOffset.y);
    return true;
}

bool CFrame::setSize(CCoord width, CCoord height)
{
    if (!bOpenFlag) return false;
    if (width == size.width() && height == size.height()) return false;
    const CCoord dw = width - size.width(), dh = height - size.height();
    if (pSystemWindow && !compositing(pSystemWindow)) {
        Rect portBounds{};
        GetPortBounds(GetWindowPort(pSystemWindow), &portBounds);
        SizeWindow(pSystemWindow, int16_t(portBounds.right - portBounds.left + dw),
                   int16_t(portBounds.bottom - portBounds.top + dh), true);
    }
    if (controlRef) {
        HIRect frameRect{};
        HIViewGetFrame(controlRef, &frameRect);
        frameRect.size = CGSizeMake(width, height);
        HIViewSetFrame(controlRef, &frameRect);
    }
    CViewContainer::setViewSize(CRect(0, 0, width, height));
    return true;
}

bool CFrame::getSize(CRect* rect) const
{
    return rect && getSize(*rect);
}

bool CFrame::getSize(CRect& rect) const
{
    if (!bOpenFlag) return false;
    HIRect frameRect{};
    if (controlRef && HIViewGetFrame(controlRef, &frameRect) == noErr) {
        rect =
            CRect(towardsZero(frameRect.origin), CCoord(frameRect.size.width), CCoord(frameRect.size.height));
        return true;
    }
    Rect portBounds{};
    GetPortBounds(GetWindowPort(pSystemWindow), &portBounds);
    Rect2CRect(portBounds, rect);
    return true;
}

void CFrame::setViewSize(const CRect& rect)
{
    setSize(rect.width(), rect.height());
}

bool CFrame::setModalView(CView* view)
{
    if (view && pModalView) return false;
    if (!view) {
        if (pModalView) removeView(pModalView, false);
        return true;
    }
    pModalView = view;
    addView(view);
    return true;
}

void CFrame::removeView(CView* view, bool withForget)
{
    if (view && view == pModalView) pModalView = nullptr;
    CViewContainer::removeView(view, withForget);
}

void CFrame::beginEdit(long index)
{
    if (pEditor) pEditor->beginEdit(index);
}

void CFrame::endEdit(long index)
{
    if (pEditor) pEditor->endEdit(index);
}

void CFrame::getCurrentLocation(CPoint& where)
{
    CDrawContext* context = createDrawContext();
    context->getMouseLocation(where);
    context->forget();
}

void CFrame::setCursor(CCursorType type)
{
    SetThemeCursor(themeCursorFor(type, gSystemVersion));
}

ThemeCursor CFrame::themeCursorFor(CCursorType type, int32_t systemVersion)
{
    switch (type) {
    case kCursorWait:
        return kThemeWatchCursor;
    case kCursorHSize:
        return systemVersion >= 0x1030 ? kThemeResizeLeftRightCursor : kThemeCrossCursor;
    case kCursorVSize:
        return systemVersion >= 0x1030 ? kThemeResizeUpDownCursor : kThemeCrossCursor;
    case kCursorSizeAll:
    case kCursorNESWSize:
    case kCursorNWSESize:
        return kThemeCrossCursor;
    case kCursorCopy:
        return kThemeCopyArrowCursor;
    case kCursorNotAllowed:
        return systemVersion >= 0x1020 ? kThemeNotAllowedCursor : kThemeArrowCursor;
    case kCursorHand:
        return kThemeOpenHandCursor;
    default:
        return kThemeArrowCursor;
    }
}

void CFrame::setFocusView(CView* view)
{
    CView* previous = pFocusView;
    pFocusView = view;
    if (view && view->wantsFocus()) view->setDirty();
    if (previous && previous != view) {
        previous->looseFocus(nullptr);
        if (previous->wantsFocus()) previous->setDirty();
    }
}

bool CFrame::setDropActive(bool active)
{
    if (!pSystemWindow || active == bDropActive) return true;
    if (active) {
        InstallTrackingHandler(dragTrackingHandler, pSystemWindow, this);
        InstallReceiveHandler(dragReceiveHandler, pSystemWindow, this);
    } else {
        RemoveTrackingHandler(dragTrackingHandler, pSystemWindow);
        RemoveReceiveHandler(dragReceiveHandler, pSystemWindow);
    }
    bDropActive = active;
    return true;
}

void CFrame::invalidate(const CRect& rect)
{
    for (CView* child : children) {
        CRect childSize;
        if (child->getViewSize(childSize).left <= rect.right && childSize.right >= rect.left &&
            childSize.top <= rect.bottom && childSize.bottom >= rect.top)
            child->setDirty();
    }
}

bool CFrame::updatesDisabled(bool disabled)
{
    const bool before = bUpdatesDisabled;
    bUpdatesDisabled = disabled;
    return before;
}

void CFrame::draw(CView* view)
{
    CDrawContext* context = createDrawContext();
    if (view && isChild(view)) {
        CRect viewSize;
        view->getViewSize(viewSize);
        drawRect(context, viewSize);
    } else {
        draw(context);
    }
    context->forget();
}

void CFrame::draw(CDrawContext* context)
{
    bFirstDraw = false;
    if (context) CViewContainer::draw(context);
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect)
{
    bFirstDraw = false;
    CDrawContext* own = context ? nullptr : createDrawContext();
    if (own) context = own;
    CRect visible;
    context->getClipRect(visible);
    visible.offset(-context->getOffset().h, -context->getOffset().v);
    CRect clip = updateRect;
    clip.bound(visible);
    context->setClipRect(clip);
    if (updateRect.width() > 0 && updateRect.height() > 0) CViewContainer::drawRect(context, updateRect);
    context->setClipRect(visible);
    if (own) own->forget();
}

void CFrame::update(CDrawContext* context)
{
    if (!bOpenFlag || bUpdatesDisabled || !context) return;
    if (bDirty) {
        draw(context);
        setDirty(false);
        return;
    }
    if (pModalView && pModalView->isDirty()) pModalView->update(context);
    CRect visible;
    context->getClipRect(visible);
    visible.offset(-context->getOffset().h, -context->getOffset().v);
    for (size_t i = 0; i < children.size(); ++i) {
        CRect clip;
        children[i]->getViewSize(clip);
        context->setClipRect(clip.bound(visible));
        children[i]->update(context);
    }
    context->setClipRect(visible);
}

void CFrame::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (pFocusView) setFocusView(nullptr);
    if (buttons == kButtonsFromContext && context) buttons = context->getMouseButtons();
    if (pModalView) {
        if (pModalView->hitTest(where, buttons)) pModalView->mouse(context, where, buttons);
        return;
    }
    CViewContainer::mouse(context, where, buttons);
}

long CFrame::onKeyDown(VstKeyCode& keyCode)
{
    long result = pFocusView ? pFocusView->onKeyDown(keyCode) : kNotHandled;
    if (result == kNotHandled && pModalView) result = pModalView->onKeyDown(keyCode);
    if (result != kNotHandled) return result;
    if (keyCode.virt == kVKeyTab)
        return advanceNextFocusView(pFocusView, keyCode.modifier & kModifierShift) ? 1 : kNotHandled;
    return kNotHandled;
}

long CFrame::onKeyUp(VstKeyCode& keyCode)
{
    long result = pFocusView ? pFocusView->onKeyUp(keyCode) : kNotHandled;
    if (result == kNotHandled && pModalView) result = pModalView->onKeyUp(keyCode);
    return result;
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    return onWheel(context, where, kMouseWheelAxisY, distance);
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance)
{
    CView* target = pModalView ? pModalView : getViewAt(where, false);
    if (!target) return false;
    CDrawContext* own = context ? nullptr : createDrawContext();
    const bool result = target->onWheel(context ? context : own, where, axis, distance);
    if (own) own->forget();
    return result;
}

bool CFrame::advanceNextFocusView(CView* current, bool reverse)
{
    if (pModalView) return false;
    if (!current) current = pFocusView;
    if (current && !isChild(current)) {
        // Each enclosing container from the view outwards, then the frame's own walk.
        CView* parent = current->getParentView();
        while (parent && parent != this && parent->isTypeOf("CViewContainer")) {
            if (static_cast<CViewContainer*>(parent)->advanceNextFocusView(current, reverse)) return true;
            current = parent;
            parent = parent->getParentView();
        }
    }
    if (CViewContainer::advanceNextFocusView(current, reverse)) return true;
    setFocusView(nullptr);
    return false;
}

CView* CFrame::getCurrentView() const
{
    return pModalView ? pModalView : CViewContainer::getCurrentView();
}

bool CFrame::isTypeOf(const char* type) const
{
    return std::strcmp(type, "CFrame") == 0 || CViewContainer::isTypeOf(type);
}

CDrawContext* CFrame::createDrawContext()
{
    if (pFrameContext) {
        pFrameContext->remember();
        return pFrameContext;
    }
    return new CDrawContext(this, nullptr, pSystemWindow);
}

CDrawContext* CFrame::contextForEvent(EventRef event)
{
    if (pFrameContext) {
        pFrameContext->remember();
        return pFrameContext;
    }
    CGContextRef cgContext = parameter<CGContextRef>(event, kEventParamCGContextRef, typeCGContextRef);
    return new CDrawContext(this, cgContext, pSystemWindow);
}

OSStatus CFrame::carbonEventHandler(EventHandlerCallRef, EventRef event, void* userData)
{
    auto* frame = static_cast<CFrame*>(userData);
    // The frame may be closed by what the event starts: it lives until the end.
    frame->remember();
    const OSStatus status = frame->bClosed ? OSStatus(eventNotHandledErr) : frame->handleEvent(event);
    frame->forget();
    return status;
}

OSStatus CFrame::handleEvent(EventRef event)
{
    const UInt32 eventClass = GetEventClass(event);
    const UInt32 kind = GetEventKind(event);
    if (eventClass == kEventClassTextInput) {
        // Only the tab key continues to the toolbox's own key handling.
        EventRef raw = parameter<EventRef>(event, kEventParamTextInputSendKeyboardEvent, typeEventRef);
        if (!raw || parameter<UInt32>(raw, kEventParamKeyCode, typeUInt32) != kTabKeyCode)
            return kTextInputRefused;
        return eventNotHandledErr;
    }
    if (eventClass == kEventClassKeyboard) return handleKeyEvent(event);
    if (eventClass == kEventClassMouse) return handleWheelEvent(event);
    if (eventClass == kEventClassScrollable) return handleScrollEvent(event);
    if (eventClass == kEventClassControl) return handleControlEvent(event, kind);
    return eventNotHandledErr;
}

OSStatus CFrame::handleKeyEvent(EventRef event)
{
    if (!mouseFocus) return eventNotHandledErr;
    const UInt32 keyCode = parameter<UInt32>(event, kEventParamKeyCode, typeUInt32);
    const UInt32 modifiers = parameter<UInt32>(event, kEventParamKeyModifiers, typeUInt32);
    VstKeyCode key;
    key.character = characterOf(keyCode, modifiers);
    if (modifiers & shiftKey) key.character = std::toupper(key.character);
    for (const auto& entry : kKeyTable) {
        if (entry.keyCode != keyCode) continue;
        key.virt = entry.virt;
        break;
    }
    key.modifier = uint8_t(
        ((modifiers & cmdKey) ? kModifierCommand : 0) | ((modifiers & shiftKey) ? kModifierShift : 0) |
        ((modifiers & optionKey) ? kModifierOption : 0) | ((modifiers & controlKey) ? kModifierControl : 0));
    return onKeyDown(key) != kNotHandled ? OSStatus(noErr) : OSStatus(eventNotHandledErr);
}

OSStatus CFrame::handleWheelEvent(EventRef event)
{
    WindowRef window = parameter<WindowRef>(event, kEventParamWindowRef, typeWindowRef, pSystemWindow);
    HIPoint where = parameter<HIPoint>(event, kEventParamWindowMouseLocation, typeHIPoint);
    const auto axis = parameter<EventMouseWheelAxis>(event, kEventParamMouseWheelAxis, typeMouseWheelAxis);
    const auto delta = parameter<SInt32>(event, kEventParamMouseWheelDelta, typeSInt32);
    const UInt32 modifiers = parameter<UInt32>(event, kEventParamKeyModifiers, typeUInt32);
    HIViewConvertPoint(&where, HIViewGetRoot(window), controlRef);
    const CMouseWheelAxis toolkitAxis =
        axis == kEventMouseWheelAxisY && !(modifiers & cmdKey) ? kMouseWheelAxisY : kMouseWheelAxisX;
    CDrawContext* context = createDrawContext();
    const bool taken = onWheel(context, towardsZero(where), toolkitAxis, float(delta));
    context->forget();
    return taken ? OSStatus(noErr) : OSStatus(eventNotHandledErr);
}

OSStatus CFrame::handleScrollEvent(EventRef event)
{
    if (GetEventKind(event) == kEventScrollableGetInfo) {
        const HISize imageSize = CGSizeMake(size.width(), size.height());
        const HISize lineSize = CGSizeMake(50, 20);
        HIRect bounds{};
        if (controlRef) HIViewGetBounds(controlRef, &bounds);
        SetEventParameter(event, kEventParamImageSize, typeHISize, sizeof imageSize, &imageSize);
        SetEventParameter(event, kEventParamOrigin, typeHIPoint, sizeof hiScrollOffset, &hiScrollOffset);
        SetEventParameter(event, kEventParamLineSize, typeHISize, sizeof lineSize, &lineSize);
        SetEventParameter(event, kEventParamViewSize, typeHISize, sizeof bounds.size, &bounds.size);
        return noErr;
    }
    if (GetEventKind(event) == kEventScrollableScrollTo) {
        hiScrollOffset = parameter<HIPoint>(event, kEventParamOrigin, typeHIPoint, hiScrollOffset);
        if (controlRef) {
            HIViewSetBoundsOrigin(controlRef, hiScrollOffset.x, hiScrollOffset.y);
            HIViewSetNeedsDisplay(controlRef, true);
        }
        return noErr;
    }
    return eventNotHandledErr;
}

OSStatus CFrame::handleControlEvent(EventRef event, UInt32 kind)
{
    switch (kind) {
    case kEventControlInitialize: {
        const UInt32 features = kControlSupportsEmbedding | kControlSupportsFocus | kControlHandlesTracking |
                                kControlGetsFocusOnClick | kControlSupportsDragAndDrop;
        SetEventParameter(event, kEventParamControlFeatures, typeUInt32, sizeof features, &features);
        return noErr;
    }
    case kEventControlGetOptimalBounds: {
        const HIRect bounds = CGRectMake(0, 0, size.width(), size.height());
        SetEventParameter(event, kEventParamControlOptimalBounds, typeHIRect, sizeof bounds, &bounds);
        return noErr;
    }
    case kEventControlGetClickActivation: {
        const ClickActivationResult activation = kActivateAndHandleClick;
        SetEventParameter(event, kEventParamControlClickActivationResult, typeClickActivationResult,
                          sizeof activation, &activation);
        return noErr;
    }
    case kEventControlHitTest: {
        const ControlPartCode part = kControlContentMetaPart;
        SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
        return noErr;
    }
    case kEventControlDraw:
        return handleDrawEvent(event);
    case kEventControlClick:
    case kEventControlTrack:
    case kEventControlContextualMenuClick:
        return handleMouseEvent(event, kind);
    case kEventControlSetFocusPart:
    case kEventControlGetFocusPart:
        return handleFocusEvent(event, kind);
    case kEventControlDragEnter:
    case kEventControlDragWithin:
    case kEventControlDragLeave:
    case kEventControlDragReceive:
        return handleDragEvent(event, kind);
    default:
        return eventNotHandledErr;
    }
}

OSStatus CFrame::handleDrawEvent(EventRef event)
{
    CDrawContext* context = contextForEvent(event);
    RgnHandle region = parameter<RgnHandle>(event, kEventParamRgnHandle, typeQDRgnHandle);
    if (!region) {
        draw(context);
    } else {
        Rect regionBounds{};
        GetRegionBounds(region, &regionBounds);
        CRect bounds;
        Rect2CRect(regionBounds, bounds);
        if (!compositing(pSystemWindow))
            bounds.offset(-context->getScreenOffset().h, -context->getScreenOffset().v);
        const bool wasDirty = isDirty();
        drawRect(context, bounds);
        // The rest is drawn at the next idle; an area around the whole
        // frame leaves no rest.
        if (wasDirty && CRect(bounds).bound(size) != size) setDirty(true);
    }
    context->forget();
    return noErr;
}

OSStatus CFrame::handleMouseEvent(EventRef event, UInt32 kind)
{
    const UInt32 modifiers = parameter<UInt32>(event, kEventParamKeyModifiers, typeUInt32);
    HIPoint location = parameter<HIPoint>(event, kEventParamMouseLocation, typeHIPoint);
    long buttons = kSecondaryButton;
    if (kind == kEventControlClick) {
        const auto button = parameter<EventMouseButton>(event, kEventParamMouseButton, typeMouseButton,
                                                        kEventMouseButtonPrimary);
        // The toolbox tracks a primary click and sends the track event.
        if (button == kEventMouseButtonPrimary) return eventNotHandledErr;
        buttons = button == kEventMouseButtonSecondary  ? long(kSecondaryButton)
                  : button == kEventMouseButtonTertiary ? long(kMiddleButton)
                                                        : 0;
        buttons |= toolkit::modifierButtons(modifiers);
        if (!compositing(pSystemWindow)) {
            Rect content{};
            GetWindowBounds(pSystemWindow, kWindowContentRgn, &content);
            location.x -= content.left;
            location.y -= content.top;
        }
    } else if (kind == kEventControlTrack) {
        buttons = kPrimaryButton | toolkit::modifierButtons(modifiers);
    }
    CDrawContext* context = createDrawContext();
    CPoint where = towardsZero(location);
    if (!compositing(pSystemWindow))
        where.offset(-context->getScreenOffset().h, -context->getScreenOffset().v);
    mouse(context, where, buttons);
    context->forget();
    return noErr;
}

OSStatus CFrame::handleFocusEvent(EventRef event, UInt32 kind)
{
    if (!hiToolboxAllowFocusChange) return eventNotHandledErr;
    ControlPartCode answer = 0;
    if (kind == kEventControlGetFocusPart) {
        answer = mouseFocus ? kFocusedPart : 0;
    } else {
        const auto part = parameter<ControlPartCode>(event, kEventParamControlPart, typeControlPartCode);
        mouseFocus = false;
        if (part == kControlFocusNoPart) {
            setFocusView(nullptr);
        } else if (part == kControlFocusNextPart || part == kControlFocusPrevPart) {
            mouseFocus = advanceNextFocusView(pFocusView, part == kControlFocusPrevPart);
            answer = mouseFocus ? kFocusedPart : 0;
        }
    }
    SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof answer, &answer);
    return noErr;
}

void CFrame::setDragContainer(DragRef drag)
{
    if (gDragContainer) gDragContainer->forget();
    gDragContainer = drag ? new CDragContainer(drag) : nullptr;
}

CDragContainer* CFrame::currentDrag()
{
    return gDragContainer;
}

OSStatus CFrame::handleDragEvent(EventRef event, UInt32 kind)
{
    if (kind == kEventControlDragEnter) {
        gDragThroughControl = true;
        setDragContainer(parameter<DragRef>(event, kEventParamDragRef, typeDragRef));
    }
    if (!gDragContainer) return noErr;
    DragTrackingMessage message = kDropMessage;
    if (kind == kEventControlDragEnter) message = kDragTrackingEnterWindow;
    if (kind == kEventControlDragWithin) message = kDragTrackingInWindow;
    if (kind == kEventControlDragLeave) message = kDragTrackingLeaveWindow;
    dragMessage(message);
    if (kind == kEventControlDragEnter) {
        const Boolean accept = true;
        SetEventParameter(event, kEventParamControlWouldAcceptDrop, typeBoolean, sizeof accept, &accept);
    }
    return noErr;
}

void CFrame::dragMessage(DragTrackingMessage message)
{
    CDrawContext* context = createDrawContext();
    CPoint where;
    context->getMouseLocation(where);
    CDragContainer* drag = gDragContainer;
    drag->remember();
    switch (message) {
    case kDragTrackingEnterWindow:
        setCursor(kCursorNotAllowed);
        onDragEnter(context, drag, where);
        break;
    case kDragTrackingInWindow:
        onDragMove(context, drag, where);
        break;
    case kDragTrackingLeaveWindow:
        onDragLeave(context, drag, where);
        setCursor(kCursorDefault);
        setDragContainer(nullptr);
        break;
    default:
        onDrop(context, drag, where);
        setCursor(kCursorDefault);
        setDragContainer(nullptr);
        break;
    }
    drag->forget();
    context->forget();
}

OSErr CFrame::dragTrackingHandler(DragTrackingMessage message, WindowRef, void* userData, DragRef drag)
{
    auto* frame = static_cast<CFrame*>(userData);
    if (gDragThroughControl || frame->bClosed) return noErr;
    if (message == kDragTrackingEnterWindow) frame->setDragContainer(drag);
    if (gDragContainer && (message == kDragTrackingEnterWindow || message == kDragTrackingInWindow ||
                           message == kDragTrackingLeaveWindow))
        frame->dragMessage(message);
    return noErr;
}

OSErr CFrame::dragReceiveHandler(WindowRef, void* userData, DragRef)
{
    auto* frame = static_cast<CFrame*>(userData);
    if (gDragThroughControl || frame->bClosed || !gDragContainer) return noErr;
    frame->dragMessage(kDropMessage);
    return noErr;
}
