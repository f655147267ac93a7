// The frame's place in its window: a window that does not composite, size
// and position, scrolling, the answers to the toolbox's questions, the
// text-input handler, cursors and the editor's wheel.

#include "FrameFixture.h"

namespace {

class PlainWindowFrame : public FrameFixture {
  protected:
    WindowAttributes attributes() const override { return kWindowStandardHandlerAttribute; }
};

TEST_F(PlainWindowFrame, DrawsOnUpdateAndTakesClicksAtItsPlace)
{
    RecordingView* view = add({5, 5, 25, 25}, kRedCColor);
    // The update comes through the idle pass.
    for (int i = 0; i < 20; ++i) editor->doIdleStuff();
    EXPECT_EQ(view->draws, 1);
    EXPECT_EQ(pixel(15, 15), kRedPixel);
    EXPECT_EQ(pixel(35, 35), kBluePixel);

    click(20, 25, shiftKey);
    ASSERT_EQ(view->clicks.size(), 1u);
    EXPECT_EQ(view->clicks[0].where, CPoint(10, 15));
    EXPECT_EQ(view->clicks[0].buttons, kPrimaryButton | kShiftHeld);
    click(20, 25, 0, kEventMouseButtonSecondary); // the click event carries a global location
    ASSERT_EQ(view->clicks.size(), 2u);
    EXPECT_EQ(view->clicks[1].where, CPoint(10, 15));
    EXPECT_EQ(view->clicks[1].buttons, kSecondaryButton);

    // Its position counts its view's place in the window.
    CCoord x = 0, y = 0;
    ASSERT_TRUE(frame->getPosition(x, y));
    EXPECT_EQ(x, 210);
    EXPECT_EQ(y, 110);

    // Its size changes the window by as much.
    ASSERT_TRUE(frame->setSize(100, 90));
    Rect port{};
    GetPortBounds(GetWindowPort(window), &port);
    EXPECT_EQ(port.right, 120);
    EXPECT_EQ(port.bottom, 110);
}

using FrameWindow = FrameFixture;

TEST_F(FrameWindow, SizeAndPositionFollowItsView)
{
    CRect size;
    ASSERT_TRUE(frame->getSize(size));
    EXPECT_EQ(size, CRect(10, 10, 90, 70));
    CCoord x = 0, y = 0;
    ASSERT_TRUE(frame->getPosition(x, y));
    EXPECT_EQ(x, 200); // the window's content origin
    EXPECT_EQ(y, 100);

    EXPECT_FALSE(frame->setSize(80, 60)); // already that size
    ASSERT_TRUE(frame->setSize(50, 40));
    frame->getSize(size);
    EXPECT_EQ(size, CRect(10, 10, 60, 50));
    EXPECT_EQ(frame->getViewSize(size), CRect(0, 0, 50, 40));
    ASSERT_TRUE(frame->setPosition(20, 5));
    frame->getSize(size);
    EXPECT_EQ(size, CRect(20, 5, 70, 45));
    Rect window{};
    GetWindowBounds(this->window, kWindowContentRgn, &window);
    EXPECT_EQ(window.right - window.left, 100); // a compositing window keeps its size

    RecordingView* view = add({0, 0, 10, 10});
    run(0.1);
    EXPECT_EQ(pixel(25, 10), kRedPixel); // drawn at the new place
    EXPECT_EQ(view->draws, 1);

    frame->setOpenFlag(false);
    EXPECT_FALSE(frame->getSize(size));
    EXPECT_FALSE(frame->getPosition(x, y));
    EXPECT_FALSE(frame->setPosition(0, 0));
    frame->setOpenFlag(true);
}

TEST_F(FrameWindow, AFrameInsideAPaneDrawsAndReadsTheMouseAtItsPlace)
{
    ControlRef pane = nullptr;
    const Rect paneBounds{20, 30, 70, 90}; // at (30, 20) of the window
    ASSERT_EQ(CreateUserPaneControl(window, &paneBounds, kControlSupportsEmbedding, &pane), noErr);
    auto* inner = new CFrame(CRect(5, 5, 45, 35), window, nullptr); // at (35, 25) of the window
    HIViewAddSubview(pane, inner->getPlatformControl());
    inner->setBackgroundColor(kYellowCColor);
    auto* view = new RecordingView(CRect(10, 10, 20, 20), kGreenCColor);
    inner->addView(view);
    run(0.1);
    EXPECT_EQ(pixel(35, 25), kYellowPixel);
    EXPECT_EQ(pixel(45, 35), kGreenPixel);
    EXPECT_EQ(pixel(74, 54), kYellowPixel);
    EXPECT_NE(pixel(75, 55), kYellowPixel);

    // Idle draws straight into the window's port, at the same place.
    view->colour = kRedCColor;
    view->setDirty();
    inner->idle();
    EXPECT_EQ(pixel(45, 35), kRedPixel);
    EXPECT_EQ(pixel(54, 44), kRedPixel);
    EXPECT_EQ(pixel(55, 45), kYellowPixel);

    platform::headless::mouseDown(window, 47, 38);
    run();
    ASSERT_EQ(view->clicks.size(), 1u);
    EXPECT_EQ(view->clicks[0].where, CPoint(12, 13));
    CPoint where;
    inner->getCurrentLocation(where);
    EXPECT_EQ(where, CPoint(12, 13));
    platform::headless::mouseUp(window, 47, 38);
    run();
    inner->forget();
}

TEST_F(FrameWindow, AnswersTheToolboxAboutItsView)
{
    UInt32 features = 0;
    GetControlFeatures(frame->getPlatformControl(), &features);
    EXPECT_EQ(features, 0x1126u);

    EventRef event = frameEvent(kEventClassControl, kEventControlGetOptimalBounds);
    EXPECT_EQ(sendToFrame(event), noErr);
    HIRect bounds{};
    GetEventParameter(event, kEventParamControlOptimalBounds, typeHIRect, nullptr, sizeof bounds, nullptr,
                      &bounds);
    EXPECT_EQ(bounds.size.width, 80);
    EXPECT_EQ(bounds.size.height, 60);
    ReleaseEvent(event);

    event = frameEvent(kEventClassControl, kEventControlGetClickActivation);
    EXPECT_EQ(sendToFrame(event), noErr);
    ClickActivationResult activation = 0;
    GetEventParameter(event, kEventParamControlClickActivationResult, typeClickActivationResult, nullptr,
                      sizeof activation, nullptr, &activation);
    EXPECT_EQ(activation, kActivateAndHandleClick);
    ReleaseEvent(event);

    // The focus events are the toolbox's while the focus switch is off.
    event = frameEvent(kEventClassControl, kEventControlGetFocusPart);
    EXPECT_EQ(sendToFrame(event), eventNotHandledErr);
    ReleaseEvent(event);
}

TEST_F(FrameWindow, ScrollingMovesWhatTheViewShows)
{
    add({0, 0, 80, 60}, kRedCColor);
    RecordingView* view = add({30, 30, 40, 40}, kGreenCColor);
    run(0.1);
    EventRef event = frameEvent(kEventClassScrollable, kEventScrollableGetInfo);
    EXPECT_EQ(sendToFrame(event), noErr);
    HISize image{}, line{};
    GetEventParameter(event, kEventParamImageSize, typeHISize, nullptr, sizeof image, nullptr, &image);
    GetEventParameter(event, kEventParamLineSize, typeHISize, nullptr, sizeof line, nullptr, &line);
    EXPECT_EQ(image.width, 80);
    EXPECT_EQ(line.width, 50);
    EXPECT_EQ(line.height, 20);
    ReleaseEvent(event);

    event = frameEvent(kEventClassScrollable, kEventScrollableScrollTo);
    const HIPoint origin = CGPointMake(20, 20);
    SetEventParameter(event, kEventParamOrigin, typeHIPoint, sizeof origin, &origin);
    EXPECT_EQ(sendToFrame(event), noErr);
    ReleaseEvent(event);
    EXPECT_EQ(frame->getScrollOrigin().x, 20);
    run(0.1);
    // Frame (30, 30) now shows at (10, 10) of the view: window (20, 20).
    EXPECT_EQ(pixel(20, 20), kGreenPixel);
    EXPECT_EQ(pixel(45, 45), kRedPixel);
    click(25, 25); // frame (35, 35)
    ASSERT_EQ(view->clicks.size(), 1u);
    EXPECT_EQ(view->clicks[0].where, CPoint(35, 35));
    CPoint where;
    frame->getCurrentLocation(where);
    EXPECT_EQ(where, CPoint(35, 35));
}

TEST_F(FrameWindow, OnlyTabGoesOnFromTheTextInputHandler)
{
    const auto textInput = [&](UInt32 keyCode) {
        EventRef raw = nullptr, text = nullptr;
        CreateEvent(nullptr, kEventClassKeyboard, kEventRawKeyDown, 0, 0, &raw);
        SetEventParameter(raw, kEventParamKeyCode, typeUInt32, sizeof keyCode, &keyCode);
        CreateEvent(nullptr, kEventClassTextInput, kEventTextInputUnicodeForKeyEvent, 0, 0, &text);
        SetEventParameter(text, kEventParamTextInputSendKeyboardEvent, typeEventRef, sizeof raw, &raw);
        const OSStatus status = SendEventToEventTarget(text, GetWindowEventTarget(window));
        ReleaseEvent(text);
        ReleaseEvent(raw);
        return status;
    };
    EXPECT_EQ(textInput(0), -9880);
    EXPECT_EQ(textInput(36), -9880);
    EXPECT_NE(textInput(48), -9880);
}

TEST(FrameCursor, TypesMapToThemeCursorsBySystemVersion)
{
    EXPECT_EQ(CFrame::themeCursorFor(kCursorDefault, 0x1049), kThemeArrowCursor);
    EXPECT_EQ(CFrame::themeCursorFor(kCursorWait, 0x1049), kThemeWatchCursor);
    EXPECT_EQ(CFrame::themeCursorFor(kCursorHSize, 0x1030), kThemeResizeLeftRightCursor);
    EXPECT_EQ(CFrame::themeCursorFor(kCursorHSize, 0x1029), kThemeCrossCursor);
    EXPECT_EQ(CFrame::themeCursorFor(kCursorVSize, 0x1049), kThemeResizeUpDownCursor);
    EXPECT_EQ(CFrame::themeCursorFor(kCursorNWSESize, 0x1049), kThemeCrossCursor);
    EXPECT_EQ(CFrame::themeCursorFor(kCursorCopy, 0x1049), kThemeCopyArrowCursor);
    EXPECT_EQ(CFrame::themeCursorFor(kCursorNotAllowed, 0x1020), kThemeNotAllowedCursor);
    EXPECT_EQ(CFrame::themeCursorFor(kCursorNotAllowed, 0x1019), kThemeArrowCursor);
    EXPECT_EQ(CFrame::themeCursorFor(kCursorHand, 0x1049), kThemeOpenHandCursor);
    EXPECT_EQ(CFrame::themeCursorFor(CCursorType(42), 0x1049), kThemeArrowCursor);
}

TEST_F(FrameWindow, TheEditorsWheelGoesToTheViewUnderTheMouse)
{
    RecordingView* view = add({20, 20, 60, 60});
    run(0.1);
    platform::headless::mouseDown(window, 40, 45);
    platform::headless::mouseUp(window, 40, 45);
    run();
    EXPECT_TRUE(editor->onWheel(2));
    ASSERT_EQ(view->wheels.size(), 1u);
    EXPECT_EQ(view->wheels[0].where, CPoint(30, 35));
    EXPECT_EQ(view->wheels[0].axis, kMouseWheelAxisY);

    editor->setKnobMode(2);
    EXPECT_EQ(frame->getKnobMode(), 2);
    editor->setKnobMode(0);
}

} // namespace
