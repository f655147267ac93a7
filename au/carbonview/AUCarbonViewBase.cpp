#include "au/carbonview/AUCarbonViewBase.h"

#include <algorithm>
#include <cmath>

namespace {

// A coordinate as a 16-bit integer: truncated, after clamping into range
// (NaN becomes 0), so that the conversion is always defined.
int16_t ToInt16(double coordinate)
{
    if (std::isnan(coordinate)) return 0;
    return static_cast<int16_t>(std::clamp(coordinate, -32768.0, 32767.0));
}

} // namespace

AUCarbonViewBase::AUCarbonViewBase(ComponentInstance instance, Float32 notificationInterval)
    : ComponentBase(instance)
{
    AUEventListenerCreate(ParameterListener, this, CFRunLoopGetCurrent(), kCFRunLoopCommonModes,
                          notificationInterval, notificationInterval, &mParameterListener);
}

AUCarbonViewBase::~AUCarbonViewBase()
{
    // Nothing may call back into the view once teardown starts: the
    // controls, the listener and the timer go first; the handlers on the
    // pane go before the pane, whose disposal sends it events.
    ClearControls();
    if (mParameterListener) AUListenerDispose(mParameterListener);
    if (mTimer) RemoveEventLoopTimer(mTimer);
    RemoveEventHandlers();
    if (mCarbonPane) DisposeControl(mCarbonPane);
}

OSStatus AUCarbonViewBase::ComponentEntryDispatch(ComponentParameters* params, AUCarbonViewBase* view)
{
    if (view == nullptr) return paramErr;
    switch (params->what) {
    case kAudioUnitCarbonViewCreateSelect: {
        ComponentArguments args(params, 6);
        const auto unit = args.take<AudioUnit>();
        const auto window = args.take<WindowRef>();
        const auto parent = args.take<ControlRef>();
        const auto location = args.take<const Float32Point*>();
        const auto size = args.take<const Float32Point*>();
        const auto outControl = args.take<ControlRef*>();
        if (!unit || !window || !parent || !location || !size || !outControl) return paramErr;
        return view->CreateCarbonView(unit, window, parent, *location, *size, *outControl);
    }
    case kAudioUnitCarbonViewSetEventListenerSelect: {
        ComponentArguments args(params, 2);
        view->mUserProcedure = args.take<AudioUnitCarbonViewEventListener>();
        view->mUserData = args.take<void*>();
        return noErr;
    }
    default:
        return ComponentBase::ComponentEntryDispatch(params, view);
    }
}

OSStatus AUCarbonViewBase::CreateCarbonView(AudioUnit editedUnit, WindowRef window, ControlRef parentControl,
                                            const Float32Point& location, const Float32Point& size,
                                            ControlRef& outControl)
{
    mEditAudioUnit = editedUnit;
    mCarbonWindow = window;
    WindowAttributes attributes = 0;
    GetWindowAttributes(window, &attributes);
    mIsCompositWindow = (attributes & kWindowCompositingAttribute) != 0;

    Rect bounds;
    bounds.left = ToInt16(location.x);
    bounds.top = ToInt16(location.y);
    bounds.right = ToInt16(double(bounds.left) + double(size.x));
    bounds.bottom = ToInt16(double(bounds.top) + double(size.y));
    const OSStatus created = CreateUserPaneControl(window, &bounds, kControlSupportsEmbedding, &mCarbonPane);
    if (created != noErr) return created;
    outControl = mCarbonPane;

    static const EventTypeSpec paneClick[] = {{kEventClassControl, kEventControlClick}};
    WantEventTypes(GetControlEventTarget(mCarbonPane), 1, paneClick);

    if (mIsCompositWindow) {
        HIViewAddSubview(parentControl, mCarbonPane);
        mXOffset = mYOffset = 0;
    } else {
        ::EmbedControl(mCarbonPane, parentControl);
        mXOffset = location.x;
        mYOffset = location.y;
    }

    mBottomRight = {0, 0};
    SizeControl(mCarbonPane, 0, 0);
    const OSStatus ui = CreateUI(mXOffset, mYOffset);
    if (ui != noErr) return ui;

    Rect paneBounds;
    GetControlBounds(mCarbonPane, &paneBounds);
    if (paneBounds.right == paneBounds.left && paneBounds.bottom == paneBounds.top && mBottomRight.h != 0 &&
        mBottomRight.v != 0)
        SizePane(mBottomRight.h - mXOffset, mBottomRight.v - mYOffset);

    if (mIsCompositWindow) {
        static const EventTypeSpec scrollable[] = {{kEventClassScrollable, kEventScrollableGetInfo},
                                                   {kEventClassScrollable, kEventScrollableScrollTo}};
        WantEventTypes(GetControlEventTarget(mCarbonPane), 2, scrollable);
        mCurrentScrollPoint = {0, 0};
    }
    return noErr;
}

OSStatus AUCarbonViewBase::CreateUI(Float32, Float32)
{
    return noErr;
}

void AUCarbonViewBase::RespondToEventTimer(EventLoopTimerRef)
{
}

void AUCarbonViewBase::SizePane(Float32 width, Float32 height)
{
    SizeControl(mCarbonPane, ToInt16(width), ToInt16(height));
}

OSStatus AUCarbonViewBase::EmbedControl(ControlRef control)
{
    Rect bounds;
    GetControlBounds(control, &bounds);
    mBottomRight.v = std::max(mBottomRight.v, bounds.bottom);
    mBottomRight.h = std::max(mBottomRight.h, bounds.right);
    return mIsCompositWindow ? HIViewAddSubview(mCarbonPane, control) : ::EmbedControl(control, mCarbonPane);
}

bool AUCarbonViewBase::HandleEvent(EventHandlerCallRef, EventRef event)
{
    const UInt32 eventClass = GetEventClass(event), kind = GetEventKind(event);
    if (eventClass == kEventClassControl && kind == kEventControlClick) {
        ControlRef clicked = nullptr;
        GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof clicked, nullptr,
                          &clicked);
        if (clicked != mCarbonPane) return false;
        ClearKeyboardFocus(mCarbonWindow);
        return true;
    }
    if (eventClass != kEventClassScrollable) return false;
    if (kind == kEventScrollableGetInfo) {
        const HISize image{CGFloat(mBottomRight.h), CGFloat(mBottomRight.v)};
        HIRect superBounds{};
        HIViewGetBounds(HIViewGetSuperview(mCarbonPane), &superBounds);
        const HISize line{16.0, 20.0};
        SetEventParameter(event, kEventParamImageSize, typeHISize, sizeof image, &image);
        SetEventParameter(event, kEventParamViewSize, typeHISize, sizeof superBounds.size, &superBounds.size);
        SetEventParameter(event, kEventParamLineSize, typeHISize, sizeof line, &line);
        SetEventParameter(event, kEventParamOrigin, typeHIPoint, sizeof mCurrentScrollPoint,
                          &mCurrentScrollPoint);
        return true;
    }
    if (kind == kEventScrollableScrollTo) {
        HIPoint origin{};
        if (GetEventParameter(event, kEventParamOrigin, typeHIPoint, nullptr, sizeof origin, nullptr,
                              &origin) != noErr)
            return false;
        HIViewScrollRect(mCarbonPane, nullptr, mCurrentScrollPoint.x - origin.x,
                         mCurrentScrollPoint.y - origin.y);
        HIViewSetBoundsOrigin(mCarbonPane, origin.x, origin.y);
        mCurrentScrollPoint = origin;
        return true;
    }
    return false;
}

OSStatus AUCarbonViewBase::CreateEventLoopTimer(Float32 delay, Float32 interval)
{
    if (mTimerUPP) return noErr;
    mTimerUPP = NewEventLoopTimerUPP(TheTimerProc);
    const OSStatus result = InstallEventLoopTimer(GetMainEventLoop(), std::max(delay, 0.005f), interval,
                                                  mTimerUPP, this, &mTimer);
    if (result != noErr) {
        DisposeEventLoopTimerUPP(mTimerUPP);
        mTimerUPP = nullptr;
    }
    return result;
}

void AUCarbonViewBase::TheTimerProc(EventLoopTimerRef timer, void* userData)
{
    static_cast<AUCarbonViewBase*>(userData)->RespondToEventTimer(timer);
}

void AUCarbonViewBase::ParameterListener(void*, void* object, const AudioUnitEvent* event, UInt64,
                                         Float32 value)
{
    if (event->mEventType == kAudioUnitEvent_ParameterValueChange)
        static_cast<AUCarbonViewControl*>(object)->ParameterToControl(value);
}

void AUCarbonViewBase::TellListener(const CAAUParameter& parameter, AudioUnitCarbonViewEventID event,
                                    void* eventParam)
{
    if (mUserProcedure) mUserProcedure(mUserData, GetComponentInstance(), &parameter, event, eventParam);
    AudioUnitEvent gesture{};
    gesture.mEventType = event == kAudioUnitCarbonViewEvent_MouseDownInControl
                             ? kAudioUnitEvent_BeginParameterChangeGesture
                             : kAudioUnitEvent_EndParameterChangeGesture;
    gesture.mArgument.mParameter = parameter;
    AUEventListenerNotify(mParameterListener, this, &gesture);
}

void AUCarbonViewBase::AddControl(AUCarbonViewControl* control)
{
    mControlList.push_back(control);
    AUListenerAddParameter(mParameterListener, control, &control->GetParameter());
}

void AUCarbonViewBase::RemoveControl(AUCarbonViewControl* control)
{
    const auto found = std::find(mControlList.begin(), mControlList.end(), control);
    if (found == mControlList.end()) return;
    AUListenerRemoveParameter(mParameterListener, control, &control->GetParameter());
    mControlList.erase(found);
    delete control;
}

void AUCarbonViewBase::ClearControls()
{
    while (!mControlList.empty()) RemoveControl(mControlList.back());
}

void AUCarbonViewBase::Update()
{
    for (AUCarbonViewControl* control : mControlList) control->Update();
}
