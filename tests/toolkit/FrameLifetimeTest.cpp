// The frame's life: closing with a focus view, with a draw context alive and
// from inside a tracking loop; the process-wide drag; idle after many hours;
// the frame's own view class.

#include "FrameFixture.h"
#include "toolkit/CDragContainer.h"

namespace {

using FrameLifetime = FrameFixture;

TEST_F(FrameLifetime, ClosingWithAFocusedChildReleasesItOnce)
{
    int destroyed = 0;
    RecordingView* view = add({0, 0, 20, 20});
    view->destroyed = &destroyed;
    view->setWantsFocus(true);
    frame->setFocusView(view);
    editor->close();
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(destroyed, 1);

    // The same through the destructor of a frame nobody closed.
    auto* other = new CFrame(CRect(0, 0, 40, 40), window, nullptr);
    auto* child = new RecordingView(CRect(0, 0, 10, 10), kRedCColor);
    child->destroyed = &destroyed;
    other->addView(child);
    other->setFocusView(child);
    other->forget();
    EXPECT_EQ(destroyed, 2);
}

TEST_F(FrameLifetime, ClosingTakesItsViewAndClassAway)
{
    const std::string classID = CFrame::classIDFor(frame);
    HIViewRef content = nullptr;
    HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
    const HIPoint inside = CGPointMake(20, 20);
    HIViewRef hit = nullptr;
    HIViewGetSubviewHit(content, &inside, true, &hit);
    EXPECT_EQ(hit, frame->getPlatformControl());
    frame->remember();
    editor->close();
    EXPECT_TRUE(frame->isClosed());
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(frame->getPlatformControl(), nullptr);
    EXPECT_FALSE(frame->close());
    frame->forget();

    HIViewGetSubviewHit(content, &inside, true, &hit);
    EXPECT_EQ(hit, nullptr);
    // The identifier is free again.
    CFStringRef id = CFStringCreateWithCString(nullptr, classID.c_str(), kCFStringEncodingASCII);
    ToolboxObjectClassRef classRef = nullptr;
    const EventTypeSpec draw{kEventClassControl, kEventControlDraw};
    EXPECT_EQ(RegisterToolboxObjectClass(id, nullptr, 1, &draw, nullptr, nullptr, &classRef), noErr);
    UnregisterToolboxObjectClass(classRef);
    CFRelease(id);
}

TEST_F(FrameLifetime, ADrawContextOutlivingTheFrameLetsGoOfIt)
{
    CDrawContext* context = frame->createDrawContext();
    EXPECT_EQ(frame->getDrawContext(), context);
    CDrawContext* again = frame->createDrawContext(); // the same, one more reference
    EXPECT_EQ(again, context);
    again->forget();
    editor->close();
    EXPECT_EQ(context->getFrame(), nullptr);
    EXPECT_EQ(context->getNbReference(), 1);
    context->fillRect(CRect(0, 0, 5, 5));
    context->forget();
}

TEST_F(FrameLifetime, ACloseInsideATrackingLoopEndsTheLoopSafely)
{
    int destroyed = 0;
    RecordingView* view = add({0, 0, 80, 60});
    view->destroyed = &destroyed;
    int passes = 0;
    bool sawClosed = false;
    bool editorCleared = false;
    view->onMouse = [&](CDrawContext*, CPoint&, long) {
        CFrame* tracked = view->getFrame();
        tracked->remember();
        view->remember();
        while (!tracked->isClosed() && passes < 1000) {
            tracked->doIdleStuff();
            ++passes;
        }
        sawClosed = tracked->isClosed();
        editorCleared = tracked->getEditor() == nullptr;
        view->forget();
        tracked->forget();
    };
    // The host closes the editor from a timer while the loop runs.
    EventLoopTimerRef timer = nullptr;
    InstallEventLoopTimer(
        GetMainEventLoop(), 0.5, 0,
        [](EventLoopTimerRef, void* data) {
            auto*& closing = *static_cast<TestEditor**>(data);
            closing->close();
            delete closing;
            closing = nullptr;
        },
        &editor, &timer);
    run(0.1);
    platform::headless::mouseDown(window, 20, 20);
    run(0.2);
    EXPECT_EQ(editor, nullptr);
    EXPECT_TRUE(sawClosed);
    EXPECT_TRUE(editorCleared);
    EXPECT_LT(passes, 1000);
    EXPECT_EQ(destroyed, 1);
    platform::headless::mouseUp(window, 20, 20);
    run(0.1);
    RemoveEventLoopTimer(timer);
}

TEST_F(FrameLifetime, IdleStillComesDueAfterTwentyHours)
{
    platform::advanceVirtualClock(19.8 * 3600);
    editor->doIdleStuff();
    const int before = editor->idles;
    EXPECT_EQ(before, 1);
    platform::advanceVirtualClock(0.3 * 3600); // the milliseconds no longer fit 32 bits
    EXPECT_EQ(editor->getTicks(), int64_t{72360} * 1000);
    editor->doIdleStuff();
    EXPECT_EQ(editor->idles, before + 1);
}

// Remembers the drags that enter it.
class DropView : public RecordingView {
  public:
    using RecordingView::RecordingView;
    ~DropView() override
    {
        for (CDragContainer* drag : entered) drag->forget();
    }
    void onDragEnter(CDrawContext*, CDragContainer* drag, const CPoint&) override
    {
        drag->remember();
        entered.push_back(drag);
    }
    void onDragLeave(CDrawContext*, CDragContainer*, const CPoint&) override { ++left; }

    std::vector<CDragContainer*> entered;
    int left = 0;
};

TEST_F(FrameLifetime, TheProcessDragIsReleasedOnEnterAndOnLeave)
{
    auto* view = new DropView(CRect(0, 0, 80, 60), kRedCColor);
    frame->addView(view);
    click(20, 20); // puts the mouse over the view
    int drags[2];
    const auto send = [&](UInt32 kind, DragRef drag) {
        EventRef event = frameEvent(kEventClassControl, kind);
        SetEventParameter(event, kEventParamDragRef, typeDragRef, sizeof drag, &drag);
        EXPECT_EQ(sendToFrame(event), noErr);
        Boolean accept = false;
        GetEventParameter(event, kEventParamControlWouldAcceptDrop, typeBoolean, nullptr, sizeof accept,
                          nullptr, &accept);
        ReleaseEvent(event);
        return accept;
    };
    EXPECT_TRUE(send(kEventControlDragEnter, reinterpret_cast<DragRef>(&drags[0])));
    EXPECT_EQ(platform::headless::cursor(), kThemeNotAllowedCursor);
    EXPECT_TRUE(send(kEventControlDragEnter, reinterpret_cast<DragRef>(&drags[1])));
    ASSERT_EQ(view->entered.size(), 2u);
    EXPECT_EQ(view->entered[0]->getNbReference(), 1); // replaced: the frame let go
    EXPECT_EQ(view->entered[1]->getPlatformDrag(), reinterpret_cast<DragRef>(&drags[1]));
    // No drag is known to the platform here: no items.
    long itemSize = 0, itemType = 0;
    EXPECT_EQ(view->entered[1]->getCount(), 0);
    EXPECT_EQ(view->entered[1]->first(itemSize, itemType), nullptr);
    EXPECT_EQ(itemType, kDragTypeUnknown);
    EXPECT_EQ(view->entered[1]->getType(0), kDragTypeUnknown);
    send(kEventControlDragLeave, reinterpret_cast<DragRef>(&drags[1]));
    EXPECT_EQ(view->left, 1);
    EXPECT_EQ(view->entered[1]->getNbReference(), 1);
    EXPECT_EQ(CFrame::currentDrag(), nullptr);
    EXPECT_EQ(platform::headless::cursor(), kThemeArrowCursor);
    send(kEventControlDragWithin, reinterpret_cast<DragRef>(&drags[1])); // no drag: ignored
    EXPECT_EQ(view->entered.size(), 2u);
}

TEST_F(FrameLifetime, ADragMovingBetweenViewsLeavesOneAndEntersTheOther)
{
    auto* left = new DropView(CRect(0, 0, 40, 60), kRedCColor);
    auto* right = new DropView(CRect(40, 0, 80, 60), kGreenCColor);
    frame->addView(left);
    frame->addView(right);
    const auto send = [&](UInt32 kind) {
        int drag = 0;
        DragRef ref = reinterpret_cast<DragRef>(&drag);
        EventRef event = frameEvent(kEventClassControl, kind);
        SetEventParameter(event, kEventParamDragRef, typeDragRef, sizeof ref, &ref);
        EXPECT_EQ(sendToFrame(event), noErr);
        ReleaseEvent(event);
    };
    platform::headless::mouseDown(window, 20, 20);
    run();
    send(kEventControlDragEnter);
    send(kEventControlDragWithin);
    EXPECT_EQ(left->entered.size(), 1u);
    platform::headless::mouseMove(window, 70, 20);
    run();
    send(kEventControlDragWithin);
    EXPECT_EQ(left->left, 1);
    EXPECT_EQ(right->entered.size(), 1u);
    send(kEventControlDragLeave);
    EXPECT_EQ(right->left, 1);
    EXPECT_EQ(left->left, 1);
    platform::headless::mouseUp(window, 70, 20);
    run();
}

TEST(FrameClass, EachFrameHasAClassOfItsWholeAddress)
{
    const auto* low = reinterpret_cast<const void*>(uintptr_t{0x1000});
    const auto* high =
        reinterpret_cast<const void*>(uintptr_t{0x1000} | (uintptr_t{1} << (sizeof(void*) * 8 - 1)));
    EXPECT_NE(CFrame::classIDFor(low), CFrame::classIDFor(high));
    EXPECT_EQ(CFrame::classIDFor(low), sizeof(void*) == 8 ? "net.vok.toolkit.frame.0000000000001000"
                                                          : "net.vok.toolkit.frame.00001000");
}

TEST_F(FrameLifetime, TwoFramesInOneWindowEachGetTheirView)
{
    auto* second = new CFrame(CRect(0, 0, 20, 20), window, nullptr);
    EXPECT_NE(second->getPlatformControl(), nullptr);
    EXPECT_NE(second->getPlatformControl(), frame->getPlatformControl());
    second->forget();
}

} // namespace
