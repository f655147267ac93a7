// Windows, their backing stores and ports, views, hit testing and
// compositing redraw.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cairo.h>
#include <string>

#include "TestView.h"
#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

class WindowView : public ::testing::Test {
  protected:
    void SetUp() override
    {
        platform::useVirtualClock(0);
        window = newTestWindow({100, 200, 180, 300});
        // A pane at (5, 5) holding a view at (10, 20) of 40 × 30: the view
        // covers x 15..54, y 25..54 of the window.
        const Rect paneBounds{5, 5, 75, 95};
        CreateUserPaneControl(window, &paneBounds, kControlSupportsEmbedding, &pane);
        viewClass.create(view, nullptr, {20, 10, 50, 50});
        EXPECT_EQ(EmbedControl(view.ref, pane), noErr);
    }
    void TearDown() override
    {
        DisposeWindow(window);
        platform::useRealClock();
    }

    TestViewClass viewClass;
    TestView view;
    WindowRef window = nullptr;
    ControlRef pane = nullptr;
};

TEST_F(WindowView, WindowStateAndPort)
{
    Rect bounds{};
    ASSERT_EQ(GetWindowBounds(window, kWindowContentRgn, &bounds), noErr);
    EXPECT_EQ(bounds.left, 200);
    EXPECT_EQ(bounds.bottom, 180);
    Rect portBounds{};
    GetPortBounds(GetWindowPort(window), &portBounds);
    EXPECT_EQ(portBounds.right, 100);
    EXPECT_EQ(portBounds.bottom, 80);
    EXPECT_EQ(GetWindowFromPort(GetWindowPort(window)), window);

    SizeWindow(window, 120, 60, true);
    GetPortBounds(GetWindowPort(window), &portBounds);
    EXPECT_EQ(portBounds.right, 120);
    EXPECT_EQ(portBounds.bottom, 60);
    MoveWindow(window, 10, 20, false);
    GetWindowBounds(window, kWindowStructureRgn, &bounds);
    EXPECT_EQ(bounds.left, 10);
    EXPECT_EQ(bounds.top, 20);
    EXPECT_EQ(bounds.right, 130);

    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsWindowCollapsed(window));
    CollapseWindow(window, true);
    EXPECT_TRUE(IsWindowCollapsed(window));

    CFStringRef title = CFStringCreateWithCString(nullptr, "Flanger", kCFStringEncodingUTF8);
    ASSERT_EQ(SetWindowTitleWithCFString(window, title), noErr);
    CFStringRef copy = nullptr;
    ASSERT_EQ(CopyWindowTitleAsCFString(window, &copy), noErr);
    EXPECT_EQ(CFStringCompare(copy, title, 0), kCFCompareEqualTo);
    CFRelease(copy);
    CFRelease(title);

    WindowAttributes attributes = 0;
    GetWindowAttributes(window, &attributes);
    EXPECT_TRUE(attributes & kWindowCompositingAttribute);
    HIViewRef content = nullptr;
    ASSERT_EQ(HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content), noErr);
    EXPECT_EQ(HIViewGetSuperview(pane), content);
}

TEST_F(WindowView, QuartzContextOnTheWindowPortDrawsIntoTheStore)
{
    RunCurrentEventLoop(0);
    const unsigned presented = platform::headless::presentations(window);
    ASSERT_EQ(presented, 1u);
    RunCurrentEventLoop(0);
    ASSERT_EQ(platform::headless::presentations(window), presented);

    CGContextRef context = nullptr;
    ASSERT_EQ(QDBeginCGContext(GetWindowPort(window), &context), noErr);
    // Quartz's orientation: the bottom-left corner.
    CGContextSetRGBFillColor(context, 0, 0, 1, 1);
    CGContextFillRect(context, CGRect{{0, 0}, {10, 10}});
    ASSERT_EQ(QDEndCGContext(GetWindowPort(window), &context), noErr);
    // Shown after the next pass, once.
    RunCurrentEventLoop(0);
    EXPECT_EQ(platform::headless::presentations(window), presented + 1);
    RunCurrentEventLoop(0);
    EXPECT_EQ(platform::headless::presentations(window), presented + 1);
    EXPECT_EQ(platform::headless::pixel(window, 0, 79), kBlue);
    EXPECT_EQ(platform::headless::pixel(window, 9, 70), kBlue);
    EXPECT_NE(platform::headless::pixel(window, 10, 79), kBlue);
    EXPECT_NE(platform::headless::pixel(window, 0, 69), kBlue);
}

TEST_F(WindowView, CustomViewDrawsClippedIntoTheWindow)
{
    view.overdraw = 4;
    EXPECT_EQ(platform::headless::presentations(window), 0u);
    RunCurrentEventLoop(0);
    EXPECT_EQ(view.draws, 1);
    EXPECT_EQ(platform::headless::presentations(window), 1u);
    for (auto [x, y] : {std::pair{15, 25}, {54, 25}, {15, 54}, {54, 54}})
        EXPECT_EQ(platform::headless::pixel(window, x, y), kRed) << x << ", " << y;
    // The overdraw is clipped away.
    for (auto [x, y] : {std::pair{14, 25}, {55, 25}, {15, 24}, {15, 55}})
        EXPECT_NE(platform::headless::pixel(window, x, y), kRed) << x << ", " << y;

    // The same through the PNG.
    const std::string path = testing::TempDir() + "hitoolbox_window.png";
    ASSERT_TRUE(platform::headless::writePNG(window, path.c_str()));
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 100);
    const auto* row = cairo_image_surface_get_data(image) + 30 * cairo_image_surface_get_stride(image);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(row)[20], kRed);
    EXPECT_NE(reinterpret_cast<const uint32_t*>(row)[60], kRed);
    cairo_surface_destroy(image);
    unlink(path.c_str());
}

TEST_F(WindowView, NeedsDisplayRedrawsOnceAtTheNextPass)
{
    TestView other;
    other.colour = 0x0000FF;
    viewClass.create(other, window, {0, 60, 10, 70});
    RunCurrentEventLoop(0);
    ASSERT_EQ(view.draws, 1);
    ASSERT_EQ(other.draws, 1);
    RunCurrentEventLoop(0.5);
    EXPECT_EQ(view.draws, 1);

    view.colour = 0x00FF00;
    ASSERT_EQ(HIViewSetNeedsDisplay(view.ref, true), noErr);
    EXPECT_TRUE(HIViewGetNeedsDisplay(view.ref));
    EXPECT_EQ(view.draws, 1);
    RunCurrentEventLoop(0);
    EXPECT_EQ(view.draws, 2);
    EXPECT_FALSE(HIViewGetNeedsDisplay(view.ref));
    EXPECT_EQ(platform::headless::pixel(window, 30, 30), 0xFF00FF00);
    // Another view, elsewhere, is left alone.
    EXPECT_EQ(other.draws, 1);
    // Scrolling the pane's contents redraws what is in it.
    ASSERT_EQ(HIViewScrollRect(pane, nullptr, 0, 4), noErr);
    RunCurrentEventLoop(0);
    EXPECT_EQ(view.draws, 3);
    RunCurrentEventLoop(0);
    EXPECT_EQ(view.draws, 3);

    // Hidden: not drawn, and what was behind it shows again.
    HIViewSetVisible(view.ref, false);
    RunCurrentEventLoop(0);
    EXPECT_EQ(view.draws, 3);
    EXPECT_NE(platform::headless::pixel(window, 30, 30), 0xFF00FF00);
    // A hidden window draws nothing until shown.
    HIViewSetVisible(view.ref, true);
    HideWindow(window);
    RunCurrentEventLoop(0);
    EXPECT_EQ(view.draws, 3);
    ShowWindow(window);
    RunCurrentEventLoop(0);
    EXPECT_EQ(view.draws, 4);
    DisposeControl(other.ref);
}

TEST_F(WindowView, HitTestingAndConversionThroughNestedViews)
{
    // An inner view inside `view`, whose bounds origin is moved: the inner
    // view at (25, 5) in view's bounds lands at 15 + 5, 25 + 5 in the window.
    TestView inner;
    viewClass.create(inner, nullptr, {5, 25, 15, 35});
    ASSERT_EQ(HIViewAddSubview(view.ref, inner.ref), noErr);
    ASSERT_EQ(HIViewSetBoundsOrigin(view.ref, 20, 0), noErr);
    HIRect bounds{};
    HIViewGetBounds(view.ref, &bounds);
    EXPECT_EQ(bounds.origin.x, 20);
    EXPECT_EQ(bounds.size.width, 40);

    HIPoint point{0, 0};
    ASSERT_EQ(HIViewConvertPoint(&point, inner.ref, nullptr), noErr);
    EXPECT_EQ(point.x, 20);
    EXPECT_EQ(point.y, 30);
    point = {3, 4};
    ASSERT_EQ(HIViewConvertPoint(&point, inner.ref, pane), noErr);
    EXPECT_EQ(point.x, 18);
    EXPECT_EQ(point.y, 29);
    HIRect rect{{18, 29}, {2, 2}};
    ASSERT_EQ(HIViewConvertRect(&rect, pane, inner.ref), noErr);
    EXPECT_EQ(rect.origin.x, 3);
    EXPECT_EQ(rect.origin.y, 4);
    EXPECT_EQ(rect.size.width, 2);

    HIViewRef hit = nullptr;
    const HIPoint inWindow{22, 32};
    ASSERT_EQ(HIViewGetSubviewHit(HIViewGetRoot(window), &inWindow, true, &hit), noErr);
    EXPECT_EQ(hit, inner.ref);
    ASSERT_EQ(HIViewGetSubviewHit(HIViewGetRoot(window), &inWindow, false, &hit), noErr);
    HIViewRef content = nullptr;
    HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
    EXPECT_EQ(hit, content);
    // Right and bottom edges are outside.
    const HIPoint pastInner{30, 32};
    HIViewGetSubviewHit(HIViewGetRoot(window), &pastInner, true, &hit);
    EXPECT_EQ(hit, view.ref);
    HIViewSetVisible(inner.ref, false);
    HIViewGetSubviewHit(HIViewGetRoot(window), &inWindow, true, &hit);
    EXPECT_EQ(hit, view.ref);

    // The same from a mouse event's window location.
    EventRef click = nullptr;
    CreateEvent(nullptr, kEventClassMouse, kEventMouseDown, 0, 0, &click);
    SetEventParameter(click, kEventParamWindowMouseLocation, typeHIPoint, sizeof inWindow, &inWindow);
    ASSERT_EQ(HIViewGetViewForMouseEvent(pane, click, &hit), noErr);
    EXPECT_EQ(hit, view.ref);
    const HIPoint outside{2, 2};
    SetEventParameter(click, kEventParamWindowMouseLocation, typeHIPoint, sizeof outside, &outside);
    EXPECT_EQ(HIViewGetViewForMouseEvent(pane, click, &hit), eventNotHandledErr);
    ASSERT_EQ(HIViewGetViewForMouseEvent(HIViewGetRoot(window), click, &hit), noErr);
    EXPECT_EQ(hit, content);
    ReleaseEvent(click);

    // Sizing and moving change the frame; disposing takes the subviews too.
    SizeControl(view.ref, 30, 10);
    MoveControl(view.ref, 1, 2);
    Rect frame{};
    GetControlBounds(view.ref, &frame);
    EXPECT_EQ(frame.left, 1);
    EXPECT_EQ(frame.top, 2);
    EXPECT_EQ(frame.right, 31);
    EXPECT_EQ(frame.bottom, 12);
    DisposeControl(view.ref);
    const std::vector<UInt32> lifetime{kEventControlInitialize, kEventControlDispose};
    EXPECT_EQ(view.kinds(), lifetime);
    EXPECT_EQ(inner.kinds(), lifetime);
    EXPECT_EQ(GetControlEventTarget(inner.ref), nullptr);
    EXPECT_EQ(HIViewGetSuperview(view.ref), nullptr);
}

TEST_F(WindowView, EmbeddingAndClasses)
{
    TestView plain;
    viewClass.create(plain, window, {0, 0, 10, 10});
    TestView child;
    viewClass.create(child, nullptr, {0, 0, 5, 5});
    EXPECT_EQ(EmbedControl(child.ref, plain.ref), errControlIsNotEmbedder);
    // A view cannot go inside itself.
    EXPECT_EQ(HIViewAddSubview(child.ref, pane), noErr);
    EXPECT_NE(HIViewAddSubview(pane, child.ref), noErr);
    UInt32 features = 1;
    GetControlFeatures(pane, &features);
    EXPECT_EQ(features, kControlSupportsEmbedding);
    Boolean tracks = true;
    ASSERT_EQ(IsControlDragTrackingEnabled(pane, &tracks), noErr);
    EXPECT_FALSE(tracks);
    SetControlDragTrackingEnabled(pane, true);
    IsControlDragTrackingEnabled(pane, &tracks);
    EXPECT_TRUE(tracks);
    SetAutomaticControlDragTrackingEnabledForWindow(window, true);
    IsAutomaticControlDragTrackingEnabledForWindow(window, &tracks);
    EXPECT_TRUE(tracks);

    // One class per identifier; a class with instances stays.
    CFStringRef id = CFStringCreateWithCString(nullptr, "org.vok.tests.TestView", kCFStringEncodingUTF8);
    ToolboxObjectClassRef again = nullptr;
    EXPECT_EQ(RegisterToolboxObjectClass(id, nullptr, 0, nullptr, nullptr, nullptr, &again),
              hiObjectClassExistsErr);
    CFRelease(id);
    CFStringRef otherID = CFStringCreateWithCString(nullptr, "org.vok.tests.Other", kCFStringEncodingUTF8);
    ASSERT_EQ(RegisterToolboxObjectClass(otherID, nullptr, 0, nullptr, nullptr, nullptr, &again), noErr);
    CFRelease(otherID);
    ControlDefSpec def{kControlDefObjectClass, {}};
    def.u.classRef = again;
    ControlRef instance = nullptr;
    const Rect bounds{0, 0, 1, 1};
    ASSERT_EQ(CreateCustomControl(window, &bounds, &def, nullptr, &instance), noErr);
    EXPECT_EQ(UnregisterToolboxObjectClass(again), hiObjectClassHasInstancesErr);
    DisposeControl(instance);
    EXPECT_EQ(UnregisterToolboxObjectClass(again), noErr);
    DisposeControl(child.ref);
    DisposeControl(plain.ref);
}

} // namespace
