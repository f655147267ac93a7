// The scroll view moves its subview's origin for wheel movements, through
// the scrollable events, within the image.

#include <gtest/gtest.h>

#include "TestView.h"
#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"

namespace {

struct Scrollable {
    HIPoint origin{0, 0};
    int infos = 0;
};

OSStatus scrollable(EventHandlerCallRef, EventRef event, void* userData)
{
    auto& s = *static_cast<Scrollable*>(userData);
    if (GetEventKind(event) == kEventScrollableScrollTo) {
        GetEventParameter(event, kEventParamOrigin, typeHIPoint, nullptr, sizeof s.origin, nullptr,
                          &s.origin);
        return noErr;
    }
    ++s.infos;
    const HISize image{400, 300}, view{100, 100}, line{10, 20};
    SetEventParameter(event, kEventParamImageSize, typeHISize, sizeof image, &image);
    SetEventParameter(event, kEventParamViewSize, typeHISize, sizeof view, &view);
    SetEventParameter(event, kEventParamLineSize, typeHISize, sizeof line, &line);
    SetEventParameter(event, kEventParamOrigin, typeHIPoint, sizeof s.origin, &s.origin);
    return noErr;
}

TEST(ScrollView, WheelsScrollTheSubviewWithinItsImage)
{
    platform::useVirtualClock(0);
    WindowRef window = newTestWindow({100, 100, 200, 200});
    HIViewRef scroll = nullptr;
    ASSERT_EQ(HIScrollViewCreate(kHIScrollViewOptionsVertScroll, &scroll), noErr);
    const HIRect frame{{0, 0}, {100, 100}};
    HIViewSetFrame(scroll, &frame);
    HIViewRef content = nullptr;
    HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
    HIViewAddSubview(content, scroll);
    ControlRef pane = nullptr;
    const Rect bounds{0, 0, 100, 100};
    CreateUserPaneControl(nullptr, &bounds, 0, &pane);
    HIViewAddSubview(scroll, pane);
    Scrollable state;
    static const EventTypeSpec types[] = {{kEventClassScrollable, kEventScrollableGetInfo},
                                          {kEventClassScrollable, kEventScrollableScrollTo}};
    InstallEventHandler(GetControlEventTarget(pane), scrollable, 2, types, &state, nullptr);

    const auto wheel = [&](EventMouseWheelAxis axis, SInt32 delta) {
        platform::headless::wheel(window, 50, 50, axis, delta);
        RunCurrentEventLoop(1);
        return axis == kEventMouseWheelAxisY ? state.origin.y : state.origin.x;
    };
    // Down three lines, up one, then far past either end.
    EXPECT_EQ(wheel(kEventMouseWheelAxisY, -3), 60);
    EXPECT_EQ(wheel(kEventMouseWheelAxisY, 1), 40);
    EXPECT_EQ(wheel(kEventMouseWheelAxisY, -100), 200);
    EXPECT_EQ(wheel(kEventMouseWheelAxisY, 100), 0);
    // Not the horizontal axis, which it was not made for.
    EXPECT_EQ(wheel(kEventMouseWheelAxisX, -2), 0);
    EXPECT_EQ(state.infos, 4);
    DisposeWindow(window);
    platform::useRealClock();
}

} // namespace
