#include <algorithm>

#include "platform/hitoolbox/Event.h"
#include "platform/hitoolbox/View.h"

namespace {

using platform::detail::getParameter;
using platform::detail::setParameter;

class ScrollView final : public platform::detail::ViewKind {
  public:
    explicit ScrollView(OptionBits options) : options(options) {}

    OSStatus handle(ControlRef view, EventHandlerCallRef, EventRef event) override
    {
        if (GetEventClass(event) != kEventClassMouse || GetEventKind(event) != kEventMouseWheelMoved ||
            view->subviews.empty())
            return eventNotHandledErr;
        const auto axis = getParameter<EventMouseWheelAxis>(event, kEventParamMouseWheelAxis,
                                                            typeMouseWheelAxis, kEventMouseWheelAxisY);
        const bool vertical = axis == kEventMouseWheelAxisY;
        if (!(options & (vertical ? kHIScrollViewOptionsVertScroll : kHIScrollViewOptionsHorizScroll)))
            return eventNotHandledErr;
        const SInt32 delta = getParameter<SInt32>(event, kEventParamMouseWheelDelta, typeSInt32);
        ControlRef scrolled = view->subviews.front();

        EventRef info = platform::detail::newEvent(kEventClassScrollable, kEventScrollableGetInfo);
        SendEventToEventTarget(info, GetControlEventTarget(scrolled));
        const HISize image = getParameter<HISize>(info, kEventParamImageSize, typeHISize);
        const HISize shown = getParameter<HISize>(info, kEventParamViewSize, typeHISize);
        const HISize line = getParameter<HISize>(info, kEventParamLineSize, typeHISize);
        HIPoint origin = getParameter<HIPoint>(info, kEventParamOrigin, typeHIPoint);
        ReleaseEvent(info);
        if (vertical)
            origin.y = std::clamp(origin.y - delta * line.height, CGFloat(0),
                                  std::max(CGFloat(0), image.height - shown.height));
        else
            origin.x = std::clamp(origin.x - delta * line.width, CGFloat(0),
                                  std::max(CGFloat(0), image.width - shown.width));

        if (!platform::detail::isView(scrolled)) return noErr;
        EventRef scrollTo = platform::detail::newEvent(kEventClassScrollable, kEventScrollableScrollTo);
        setParameter(scrollTo, kEventParamOrigin, typeHIPoint, origin);
        SendEventToEventTarget(scrollTo, GetControlEventTarget(scrolled));
        ReleaseEvent(scrollTo);
        return noErr;
    }

  private:
    OptionBits options;
};

} // namespace

OSStatus HIScrollViewCreate(OptionBits inOptions, HIViewRef* outView)
{
    if (!outView) return paramErr;
    ControlRef view = platform::detail::newView(nullptr, {}, nullptr);
    view->features = kControlSupportsEmbedding;
    view->kind = std::make_unique<ScrollView>(inOptions);
    *outView = view;
    return noErr;
}
