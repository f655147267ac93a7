// The view tree in a frame: containers drawn directly and off-screen,
// transparent ones, update modes, hit testing, lookup and ownership.

#include "FrameFixture.h"

namespace {

using ViewTree = FrameFixture;

TEST_F(ViewTree, AnOffscreenContainerReachesTheWindowAtItsPlace)
{
    auto* container = new CViewContainer(CRect(20, 10, 60, 50), frame);
    container->setBackgroundColor(kGreenCColor);
    container->useOffscreen(true);
    auto* inner = new RecordingView(CRect(10, 10, 20, 20), kYellowCColor);
    container->addView(inner);
    frame->addView(container);
    run(0.1);
    EXPECT_EQ(pixel(31, 21), kGreenPixel);  // frame (21, 11)
    EXPECT_EQ(pixel(40, 30), kYellowPixel); // container (10, 10)
    EXPECT_EQ(pixel(49, 39), kYellowPixel);
    EXPECT_EQ(pixel(50, 40), kGreenPixel);
    EXPECT_EQ(pixel(29, 30), kBluePixel);

    // Redrawn off-screen at the next idle when a child changes.
    inner->colour = kRedCColor;
    inner->setDirty();
    editor->idle();
    EXPECT_EQ(pixel(45, 35), kRedPixel);
    EXPECT_EQ(pixel(31, 21), kGreenPixel);
}

TEST_F(ViewTree, ATransparentContainerShowsWhatLiesBehindIt)
{
    RecordingView* behind = add({0, 0, 80, 60}, kRedCColor);
    auto* container = new CViewContainer(CRect(10, 10, 50, 50), frame);
    container->setTransparency(true);
    auto* inner = new RecordingView(CRect(0, 0, 10, 10), kYellowCColor);
    container->addView(inner);
    frame->addView(container);
    run(0.1);
    EXPECT_EQ(pixel(25, 25), kYellowPixel);
    EXPECT_EQ(pixel(40, 40), kRedPixel); // no background of its own

    // Its dirty child is redrawn over what lies behind, drawn first.
    const int before = behind->draws;
    inner->colour = kGreenCColor;
    inner->setDirty();
    editor->idle();
    EXPECT_EQ(pixel(25, 25), kGreenPixel);
    EXPECT_GT(behind->draws, before);
}

TEST_F(ViewTree, ATransparentOffscreenContainerStartsFromWhatLiesBehindIt)
{
    add({0, 0, 80, 60}, kRedCColor);
    auto* container = new CViewContainer(CRect(10, 10, 50, 50), frame);
    container->setTransparency(true);
    container->useOffscreen(true);
    container->addView(new RecordingView(CRect(0, 0, 10, 10), kYellowCColor));
    frame->addView(container);
    run(0.1);
    EXPECT_EQ(pixel(25, 25), kYellowPixel);
    EXPECT_EQ(pixel(40, 40), kRedPixel);
    EXPECT_EQ(pixel(59, 59), kRedPixel);

    container->getView(0)->setDirty();
    editor->idle();
    EXPECT_EQ(pixel(40, 40), kRedPixel);
}

TEST_F(ViewTree, UpdateModesDecideWhatADirtyChildRedraws)
{
    auto* container = new CViewContainer(CRect(0, 0, 60, 40), frame);
    auto* a = new RecordingView(CRect(0, 0, 10, 10), kRedCColor);
    auto* b = new RecordingView(CRect(20, 0, 30, 10), kRedCColor);
    container->addView(a);
    container->addView(b);
    frame->addView(container);
    run(0.1);
    ASSERT_EQ(a->draws, 1);

    a->setDirty(); // mode 1: only the dirty child
    editor->idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 1);

    container->setMode(kRedrawWhenDirty); // the whole container
    a->setDirty();
    editor->idle();
    EXPECT_EQ(a->draws, 3);
    EXPECT_EQ(b->draws, 2);

    container->setMode(kNoUpdate);
    a->setDirty();
    editor->idle();
    EXPECT_EQ(a->draws, 3);
}

TEST_F(ViewTree, InvalidateAndDrawingOneView)
{
    RecordingView* a = add({0, 0, 10, 10});
    RecordingView* b = add({40, 40, 50, 50});
    run(0.1);
    frame->invalidate(CRect(5, 5, 10, 10)); // touches a only (edges count)
    EXPECT_TRUE(a->isDirty());
    EXPECT_FALSE(b->isDirty());
    editor->idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 1);

    b->colour = kGreenCColor;
    b->redraw(); // at once, only b
    EXPECT_EQ(b->draws, 2);
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(pixel(55, 55), kGreenPixel);

    ERect area{0, 0, 20, 20};
    editor->draw(&area); // the part of the frame in the rectangle
    EXPECT_EQ(a->draws, 3);
    EXPECT_EQ(b->draws, 2);
    editor->draw(nullptr); // all of it
    EXPECT_EQ(b->draws, 3);
}

TEST_F(ViewTree, HitTestingIsInclusiveAndLookupDescends)
{
    RecordingView* view = add({10, 10, 20, 20});
    EXPECT_TRUE(view->hitTest(CPoint(20, 20)));
    EXPECT_FALSE(CRect(10, 10, 20, 20).pointInside(CPoint(20, 20)));
    EXPECT_FALSE(view->hitTest(CPoint(21, 15)));
    EXPECT_TRUE(view->checkUpdate(CRect(20, 20, 30, 30)));
    EXPECT_FALSE(view->checkUpdate(CRect(21, 21, 30, 30)));

    auto* container = new CViewContainer(CRect(30, 30, 70, 60), frame);
    auto* inner = new RecordingView(CRect(5, 5, 15, 15), kRedCColor);
    container->addView(inner);
    frame->addView(container);
    EXPECT_EQ(frame->getViewAt(CPoint(40, 40), false), container);
    EXPECT_EQ(frame->getViewAt(CPoint(40, 40), true), inner);
    EXPECT_EQ(frame->getViewAt(CPoint(65, 55), true), nullptr);
    EXPECT_EQ(frame->getViewAt(CPoint(75, 5), false), nullptr);
    EXPECT_TRUE(frame->hitTestSubViews(CPoint(15, 15)));
    view->setMouseEnabled(false);
    EXPECT_FALSE(frame->hitTestSubViews(CPoint(15, 15)));

    CPoint point(40, 40);
    EXPECT_EQ(inner->frameToLocal(point), CPoint(10, 10));
    EXPECT_EQ(inner->localToFrame(point), CPoint(40, 40));
    EXPECT_TRUE(container->isTypeOf("CView"));
    EXPECT_TRUE(frame->isTypeOf("CViewContainer"));
    EXPECT_FALSE(container->isTypeOf("CFrame"));
    EXPECT_EQ(frame->getView(2), nullptr);
    EXPECT_EQ(frame->getNbViews(), 2);
    EXPECT_EQ(inner->getFrame(), frame);
    EXPECT_EQ(inner->getEditor(), editor);

    // The current view follows the mouse.
    click(45, 45); // frame (35, 35)
    EXPECT_EQ(frame->getCurrentView(), container);
    EXPECT_EQ(container->getCurrentView(), inner);
}

TEST_F(ViewTree, RemovingViewsReleasesTheirReferences)
{
    int destroyed = 0;
    auto* kept = new RecordingView(CRect(0, 0, 10, 10), kRedCColor);
    kept->destroyed = &destroyed;
    frame->addView(kept);
    frame->addView(kept); // twice: two references taken
    EXPECT_EQ(kept->getNbReference(), 3);
    kept->remember();
    frame->removeView(kept, false);
    EXPECT_EQ(kept->getNbReference(), 3);
    EXPECT_EQ(kept->getParentView(), nullptr);
    frame->removeAll(true);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(kept->getNbReference(), 1);
    kept->forget();
    EXPECT_EQ(destroyed, 1);

    auto* container = new CViewContainer(CRect(0, 0, 40, 40), nullptr);
    auto* inner = new RecordingView(CRect(0, 0, 10, 10), kRedCColor);
    inner->destroyed = &destroyed;
    container->addView(inner);
    EXPECT_EQ(inner->getFrame(), nullptr);
    frame->addView(container); // the frame reaches the whole subtree
    EXPECT_EQ(inner->getFrame(), frame);
    frame->setFocusView(inner);
    frame->removeView(container, true);
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

} // namespace
