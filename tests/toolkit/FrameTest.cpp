// A frame in a compositing window: drawing, mouse, wheel and key routing,
// focus, dirty tracking, the modal view and the mouse queries, all through
// scripted input and the event loop.

#include <cstring>
#include <iterator>
#include <utility>

#include "FrameFixture.h"

namespace {

using Frame = FrameFixture;

constexpr CViewAttributeID kOtherAttribute = 0x61626364;

TEST_F(Frame, DrawsItsTreeIntoTheWindowAtItsViewsPlace)
{
    add({5, 5, 25, 25}, kRedCColor);
    auto* container = new CViewContainer(CRect(30, 10, 70, 50), frame);
    container->setBackgroundColor(kGreenCColor);
    container->addView(new RecordingView(CRect(5, 5, 15, 15), kYellowCColor));
    frame->addView(container);
    run(0.1);

    CRect size;
    EXPECT_EQ(frame->getViewSize(size), CRect(0, 0, 80, 60)); // moved to the origin
    // The frame's view lies at (10, 10) of the window.
    EXPECT_EQ(pixel(15, 15), kRedPixel);
    EXPECT_EQ(pixel(34, 34), kRedPixel);
    EXPECT_EQ(pixel(35, 35), kBluePixel);
    EXPECT_EQ(pixel(41, 21), kGreenPixel);
    EXPECT_EQ(pixel(45, 25), kYellowPixel); // container (30, 10) + child (5, 5)
    EXPECT_EQ(pixel(54, 34), kYellowPixel);
    EXPECT_EQ(pixel(55, 35), kGreenPixel);
    EXPECT_EQ(pixel(89, 69), kBluePixel);
    // Around it, the window's own background.
    EXPECT_EQ(pixel(9, 9), pixel(99, 79));
    EXPECT_EQ(pixel(90, 70), pixel(99, 79));
    EXPECT_NE(pixel(99, 79), kBluePixel);
}

TEST_F(Frame, ClicksReachTheTopmostEnabledViewInItsContainersCoordinates)
{
    RecordingView* below = add({0, 0, 40, 40});
    RecordingView* top = add({20, 20, 60, 60});
    RecordingView* under = add({40, 0, 80, 20});
    RecordingView* disabled = add({40, 0, 80, 20});
    disabled->setMouseEnabled(false);
    auto* container = new CViewContainer(CRect(0, 40, 20, 60), frame);
    auto* inner = new RecordingView(CRect(5, 5, 15, 15), kRedCColor);
    container->addView(inner);
    frame->addView(container);
    run(0.1);

    click(35, 35, shiftKey); // frame (25, 25): both views, the last added wins
    ASSERT_EQ(top->clicks.size(), 1u);
    EXPECT_TRUE(below->clicks.empty());
    EXPECT_EQ(top->clicks[0].where, CPoint(25, 25));
    EXPECT_EQ(top->clicks[0].buttons, kPrimaryButton | kShiftHeld);

    click(70, 70 - 1); // (60, 59): on top's right edge, which hits
    EXPECT_EQ(top->clicks.size(), 2u);

    click(55, 15); // the disabled view on top is passed over
    EXPECT_TRUE(disabled->clicks.empty());
    EXPECT_EQ(under->clicks.size(), 1u);

    click(20, 60); // frame (10, 50): inside the container, at (10, 10) of it
    ASSERT_EQ(inner->clicks.size(), 1u);
    EXPECT_EQ(inner->clicks[0].where, CPoint(10, 10));

    click(15, 15, 0, kEventMouseButtonSecondary);
    click(15, 15, controlKey);
    click(15, 15, cmdKey | optionKey, kEventMouseButtonTertiary);
    ASSERT_EQ(below->clicks.size(), 3u);
    EXPECT_EQ(below->clicks[0].buttons, kSecondaryButton);
    EXPECT_EQ(below->clicks[0].where, CPoint(5, 5));
    EXPECT_EQ(below->clicks[1].buttons, kSecondaryButton); // a control-click is contextual
    EXPECT_EQ(below->clicks[2].buttons, kMiddleButton | kCommandHeld | kOptionHeld);
}

TEST_F(Frame, AnyClickTakesTheFocusAway)
{
    RecordingView* focused = add({0, 0, 10, 10});
    focused->setWantsFocus(true);
    RecordingView* other = add({40, 40, 50, 50});
    run(0.1);
    frame->setFocusView(focused);
    EXPECT_TRUE(focused->isDirty());
    click(85, 65); // on no view
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(focused->focusLost, 1);
    EXPECT_TRUE(other->clicks.empty());
}

TEST_F(Frame, WheelGoesToTheViewUnderTheMouseAndCommandMakesItHorizontal)
{
    RecordingView* view = add({20, 20, 60, 60});
    run(0.1);
    platform::headless::wheel(window, 35, 40, kEventMouseWheelAxisY, 3);
    platform::headless::wheel(window, 35, 40, kEventMouseWheelAxisY, -2, cmdKey);
    platform::headless::wheel(window, 35, 40, kEventMouseWheelAxisX, 1);
    platform::headless::wheel(window, 15, 15, kEventMouseWheelAxisY, 1); // on no view
    run();
    ASSERT_EQ(view->wheels.size(), 3u);
    EXPECT_EQ(view->wheels[0].where, CPoint(25, 30));
    EXPECT_EQ(view->wheels[0].axis, kMouseWheelAxisY);
    EXPECT_EQ(view->wheels[0].distance, 3.0f);
    EXPECT_EQ(view->wheels[1].axis, kMouseWheelAxisX);
    EXPECT_EQ(view->wheels[1].distance, -2.0f);
    EXPECT_EQ(view->wheels[2].axis, kMouseWheelAxisX);
}

class FocusWalk : public FrameFixture {
  protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        first = add({0, 0, 10, 10});
        add({10, 0, 20, 10}); // does not want the focus
        third = add({20, 0, 30, 10});
        auto* container = new CViewContainer(CRect(0, 20, 40, 40), frame);
        nested = new RecordingView(CRect(0, 0, 10, 10), kRedCColor);
        container->addView(nested);
        frame->addView(container);
        for (RecordingView* view : {first, third, nested}) {
            view->setWantsFocus(true);
            view->keyAnswer = kNotHandled;
        }
        run(0.1);
    }
    void key(UInt32 keyCode, char character, UInt32 modifiers = 0)
    {
        platform::headless::keyDown(window, keyCode, character, modifiers);
        platform::headless::keyUp(window, keyCode, character, modifiers);
        run();
    }

    RecordingView* first = nullptr;
    RecordingView* third = nullptr;
    RecordingView* nested = nullptr;
};

TEST_F(FocusWalk, TabMovesThroughTheViewsThatWantTheFocusAndKeysReachTheFocusedOne)
{
    CFrame::hiToolboxAllowFocusChange = true;
    ASSERT_EQ(SetKeyboardFocus(window, frame->getPlatformControl(), kControlFocusNextPart), noErr);
    EXPECT_EQ(frame->getFocusView(), first);
    ControlPartCode part = 0;
    HIViewGetFocusPart(frame->getPlatformControl(), &part);
    EXPECT_EQ(part, 127);

    key(48, '\t');
    EXPECT_EQ(frame->getFocusView(), third);
    key(48, '\t');
    EXPECT_EQ(frame->getFocusView(), nested); // inside the container
    key(48, '\t', shiftKey);
    EXPECT_EQ(frame->getFocusView(), third);
    key(48, '\t');
    key(48, '\t'); // past the last: the walk starts over
    EXPECT_EQ(frame->getFocusView(), first);

    // The focus view sees each key first, the tab included.
    EXPECT_EQ(third->keys.size(), 2u);
    EXPECT_EQ(third->keys[0].virt, kVKeyTab);
    first->keys.clear();
    key(126, 0); // up arrow
    key(0, 'a', shiftKey);
    ASSERT_EQ(first->keys.size(), 2u);
    EXPECT_EQ(first->keys[0].virt, kVKeyUp);
    EXPECT_EQ(first->keys[1].virt, 0);
    EXPECT_EQ(first->keys[1].character, 'A');
    EXPECT_EQ(first->keys[1].modifier, kModifierShift);
    EXPECT_EQ(frame->getFocusView(), first);

    // Key codes to virtual keys; keys without one carry only their character.
    const std::pair<UInt32, uint8_t> codes[] = {
        {53, kVKeyEscape},      {122, kVKeyF1},    {111, kVKeyF1 + 11},
        {92, kVKeyNumpad0 + 9}, {81, kVKeyEquals}, {117, kVKeyDelete},
        {76, kVKeyEnter},       {36, kVKeyReturn}, {1, 0}};
    first->keys.clear();
    for (const auto& [code, virt] : codes) key(code, 0);
    ASSERT_EQ(first->keys.size(), std::size(codes));
    for (size_t i = 0; i < std::size(codes); ++i) EXPECT_EQ(first->keys[i].virt, codes[i].second) << i;
    EXPECT_EQ(first->keys.back().character, 's'); // the US layout's key 1
}

TEST_F(FocusWalk, WithoutTheFocusSwitchTheFrameLeavesKeysAlone)
{
    SetKeyboardFocus(window, frame->getPlatformControl(), kControlFocusNextPart);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    frame->setFocusView(first);
    key(126, 0);
    EXPECT_TRUE(first->keys.empty());
}

TEST_F(Frame, OnlyDirtyViewsAreRedrawnAndOnlyAtIdle)
{
    RecordingView* a = add({0, 0, 20, 20}, kRedCColor);
    RecordingView* b = add({30, 0, 50, 20}, kRedCColor);
    auto* container = new CViewContainer(CRect(0, 30, 40, 60), frame);
    auto* inner = new RecordingView(CRect(0, 0, 10, 10), kRedCColor);
    auto* innerOther = new RecordingView(CRect(20, 0, 30, 10), kRedCColor);
    container->addView(inner);
    container->addView(innerOther);
    frame->addView(container);
    editor->idle(); // before the window drew the frame: nothing
    EXPECT_EQ(a->draws, 0);
    run(0.1);
    ASSERT_EQ(a->draws, 1);
    EXPECT_FALSE(frame->isDirty());

    a->colour = kGreenCColor;
    a->setDirty();
    inner->colour = kYellowCColor;
    inner->setDirty();
    EXPECT_TRUE(frame->isDirty());
    run(0.1);
    EXPECT_EQ(a->draws, 1); // the window does not redraw on its own
    EXPECT_EQ(pixel(10, 10), kRedPixel);

    editor->idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(inner->draws, 2);
    EXPECT_EQ(b->draws, 1);
    EXPECT_EQ(innerOther->draws, 1);
    EXPECT_EQ(pixel(10, 10), kGreenPixel);
    EXPECT_EQ(pixel(10, 40), kYellowPixel);
    EXPECT_FALSE(frame->isDirty());
    editor->idle();
    EXPECT_EQ(a->draws, 2);

    // Nothing while the window is collapsed or updates are off.
    a->setDirty();
    CollapseWindow(window, true);
    editor->idle();
    EXPECT_EQ(a->draws, 2);
    CollapseWindow(window, false);
    EXPECT_FALSE(frame->updatesDisabled(true));
    editor->idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_TRUE(frame->updatesDisabled(false));
    editor->idle();
    EXPECT_EQ(a->draws, 3);
}

TEST_F(Frame, ADrawEventForPartOfADirtyFrameLeavesTheRestForIdle)
{
    RecordingView* view = add({0, 0, 40, 40}, kRedCColor);
    RecordingView* other = add({50, 0, 60, 10}, kRedCColor);
    run(0.1);
    const auto drawEvent = [&](const Rect& area) {
        RgnHandle region = NewRgn();
        RectRgn(region, &area);
        EventRef event = frameEvent(kEventClassControl, kEventControlDraw);
        SetEventParameter(event, kEventParamRgnHandle, typeQDRgnHandle, sizeof region, &region);
        EXPECT_EQ(sendToFrame(event), noErr);
        ReleaseEvent(event);
        DisposeRgn(region);
    };

    // The frame itself dirty: its new background drawn only in the area.
    frame->setBackgroundColor(kGreenCColor);
    drawEvent({40, 40, 60, 60}); // top, left, bottom, right
    EXPECT_EQ(pixel(55, 55), kGreenPixel);
    EXPECT_EQ(pixel(80, 60), kBluePixel);
    EXPECT_EQ(other->draws, 1);
    EXPECT_TRUE(frame->isDirty());
    editor->idle();
    EXPECT_EQ(pixel(80, 60), kGreenPixel);
    EXPECT_FALSE(frame->isDirty());

    // A dirty child partly in the area stays dirty itself.
    view->colour = kGreenCColor;
    view->setDirty();
    drawEvent({0, 0, 20, 20});
    EXPECT_EQ(pixel(15, 15), kGreenPixel);
    EXPECT_EQ(pixel(45, 45), kRedPixel);
    EXPECT_TRUE(view->isDirty());

    drawEvent({0, 0, 60, 80}); // all of the frame
    EXPECT_FALSE(frame->isDirty());
    EXPECT_EQ(pixel(45, 45), kGreenPixel);
}

TEST_F(Frame, ModalViewTakesClicksWheelAndKeysAndBlocksTheFocusWalk)
{
    RecordingView* view = add({0, 0, 80, 60});
    view->setWantsFocus(true);
    auto* modal = new RecordingView(CRect(20, 20, 40, 40), kGreenCColor);
    modal->keyAnswer = kNotHandled;
    ASSERT_TRUE(frame->setModalView(modal));
    EXPECT_FALSE(frame->setModalView(view));
    EXPECT_EQ(frame->getModalView(), modal);
    EXPECT_EQ(modal->getNbReference(), 2);
    run(0.1);

    click(35, 35);
    click(15, 15); // outside it: dropped
    EXPECT_EQ(modal->clicks.size(), 1u);
    EXPECT_TRUE(view->clicks.empty());
    platform::headless::wheel(window, 15, 15, kEventMouseWheelAxisY, 1);
    run();
    EXPECT_EQ(modal->wheels.size(), 1u);
    EXPECT_TRUE(view->wheels.empty());
    EXPECT_FALSE(frame->advanceNextFocusView(nullptr));
    EXPECT_EQ(frame->getCurrentView(), modal);

    frame->setFocusView(view);
    VstKeyCode key{'x', 0, 0};
    EXPECT_EQ(frame->onKeyDown(key), 1); // the focus view first
    view->keyAnswer = kNotHandled;
    EXPECT_EQ(frame->onKeyDown(key), kNotHandled);
    EXPECT_EQ(modal->keys.size(), 1u); // then the modal view

    EXPECT_TRUE(frame->setModalView(nullptr));
    EXPECT_FALSE(frame->isChild(modal));
    EXPECT_EQ(modal->getNbReference(), 1); // only ours is left
    modal->forget();
}

TEST_F(Frame, AttributesKeepTheirFirstLength)
{
    RecordingView* view = add({0, 0, 10, 10});
    const uint32_t four = 0x01020304;
    int32_t size = 0;
    EXPECT_FALSE(view->getAttributeSize(kCViewAttributeReferencePointer, size));
    ASSERT_TRUE(view->setAttribute(kCViewAttributeReferencePointer, 4, &four));
    ASSERT_TRUE(view->getAttributeSize(kCViewAttributeReferencePointer, size));
    EXPECT_EQ(size, 4);
    const uint16_t two = 0xBEEF;
    EXPECT_TRUE(view->setAttribute(kCViewAttributeReferencePointer, 2, &two)); // fits
    const uint64_t eight = 7;
    EXPECT_FALSE(view->setAttribute(kCViewAttributeReferencePointer, 8, &eight)); // does not

    uint8_t bytes[8] = {};
    EXPECT_FALSE(view->getAttribute(kCViewAttributeReferencePointer, 3, bytes, size));
    ASSERT_TRUE(view->getAttribute(kCViewAttributeReferencePointer, 8, bytes, size));
    EXPECT_EQ(size, 4);
    uint16_t front = 0;
    std::memcpy(&front, bytes, 2);
    EXPECT_EQ(front, 0xBEEF);
    EXPECT_EQ(bytes[2], 0x02); // the rest of the first value stays
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_TRUE(view->setAttribute(kOtherAttribute, 0, nullptr));
    EXPECT_TRUE(view->getAttributeSize(kOtherAttribute, size));
    EXPECT_EQ(size, 0);
}

TEST_F(Frame, MouseQueriesFollowADragInsideATrackingLoop)
{
    RecordingView* view = add({0, 0, 80, 60});
    std::vector<CPoint> seen;
    std::vector<long> buttons;
    view->onMouse = [&](CDrawContext* context, CPoint&, long) {
        while (context->waitDrag()) {
            CPoint where;
            view->getMouseLocation(context, where);
            seen.push_back(where);
            buttons.push_back(context->getMouseButtons());
        }
        buttons.push_back(context->getMouseButtons());
    };
    run(0.1);
    platform::headless::mouseDown(window, 20, 20, kEventMouseButtonPrimary, optionKey);
    platform::headless::mouseMove(window, 25, 30, optionKey);
    platform::headless::mouseMove(window, 40, 50, shiftKey);
    platform::headless::mouseUp(window, 40, 50);
    run();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], CPoint(15, 20)); // frame coordinates
    EXPECT_EQ(seen[1], CPoint(30, 40));
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0], kPrimaryButton | kOptionHeld);
    EXPECT_EQ(buttons[1], kPrimaryButton | kShiftHeld);
    EXPECT_EQ(buttons[2], 0);

    // With control held, the primary button reads as the secondary one.
    view->onMouse = [&](CDrawContext* context, CPoint&, long) {
        buttons.push_back(context->getMouseButtons());
    };
    platform::headless::mouseDown(window, 20, 20, kEventMouseButtonPrimary, controlKey);
    platform::headless::mouseUp(window, 20, 20);
    run();
    // (the click went as a contextual click; the query still sees the press)
    EXPECT_EQ(buttons.back(), kSecondaryButton);
}

TEST_F(Frame, WaitDoubleClickTakesASecondPressWithinTheDoubleClickTime)
{
    RecordingView* view = add({0, 0, 80, 60});
    std::vector<bool> doubles;
    view->onMouse = [&](CDrawContext* context, CPoint&, long) {
        doubles.push_back(context->waitDoubleClick());
    };
    run(0.1);
    platform::headless::mouseDown(window, 20, 20);
    platform::headless::mouseUp(window, 20, 20);
    platform::headless::mouseDown(window, 20, 20);
    platform::headless::mouseUp(window, 20, 20);
    run();
    ASSERT_EQ(doubles.size(), 1u); // the second press was taken from the queue
    EXPECT_TRUE(doubles[0]);

    platform::headless::mouseDown(window, 20, 20);
    platform::headless::mouseUp(window, 20, 20);
    platform::headless::pause(GetDblTime() / 60.0 + 0.5);
    platform::headless::mouseDown(window, 20, 20);
    platform::headless::mouseUp(window, 20, 20);
    run(3);
    ASSERT_EQ(doubles.size(), 3u);
    EXPECT_FALSE(doubles[1]);
    EXPECT_FALSE(doubles[2]);
}

TEST_F(Frame, IdlePassesComeAboutFiftyMillisecondsApart)
{
    // A pass is due 100 ms after the last one but may come 50 ms early;
    // between passes the event loop runs.
    std::vector<int64_t> passes;
    const int64_t start = editor->getTicks();
    while (editor->getTicks() - start < 1000) {
        const int before = editor->idles;
        editor->doIdleStuff();
        if (editor->idles != before) passes.push_back(editor->getTicks());
    }
    ASSERT_GE(passes.size(), 18u);
    EXPECT_LE(passes.size(), 21u);
    for (size_t i = 1; i < passes.size(); ++i) {
        EXPECT_GE(passes[i] - passes[i - 1], 40);
        EXPECT_LE(passes[i] - passes[i - 1], 70);
    }
}

} // namespace
