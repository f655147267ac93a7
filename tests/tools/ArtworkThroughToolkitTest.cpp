// The bundles' bitmaps drawn through the toolkit as the editors draw them,
// the knobs transparent over the panel: what shows where.

#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/Pixels.h"
#include "toolkit/BundleRef.h"
#include "toolkit/CBitmap.h"
#include "toolkit/COffscreenContext.h"

using toolkit::test::pixelAt;

namespace {

// An editor's panel in two off-screen contexts: `panel` holds only the
// background, `editor` the background with whatever a test draws on it.
class Editor : public ::testing::Test {
  protected:
    void open(const char* bundleName)
    {
        const std::string path = std::string(BUNDLE_DIR) + "/" + bundleName;
        CFURLRef url = CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), true);
        CFBundleRef bundle = CFBundleCreate(nullptr, url);
        CFRelease(url);
        toolkit::setBundleRef(bundle);
        CFRelease(bundle);
        background = new CBitmap(128);
        ASSERT_TRUE(background->isLoaded());
        const CRect size(0, 0, background->getWidth(), background->getHeight());
        for (COffscreenContext** context : {&panel, &editor}) {
            *context = new COffscreenContext(nullptr, size.width(), size.height(), kBlackCColor);
            background->draw(*context, size);
        }
    }

    void TearDown() override
    {
        for (CReferenceCounter* object :
             {static_cast<CReferenceCounter*>(background), static_cast<CReferenceCounter*>(panel),
              static_cast<CReferenceCounter*>(editor)})
            if (object) object->forget();
        toolkit::setBundleRef(nullptr);
    }

    // Frame `frame` of a strip of square frames, keyed black as the
    // editors key it, drawn transparent at left, top.
    static void drawKnob(CBitmap* strip, CDrawContext* context, int left, int top, int frame)
    {
        strip->setTransparentColor(CColor{0, 0, 0, 255});
        const CCoord size = strip->getWidth();
        strip->drawTransparent(context, CRect(left, top, left + size, top + size), CPoint(0, frame * size));
    }

    bool panelShows(int x, int y) { return pixelAt(*editor, x, y) == pixelAt(*panel, x, y); }

    CBitmap* background = nullptr;
    COffscreenContext* panel = nullptr;
    COffscreenContext* editor = nullptr;
};

TEST_F(Editor, FlangerKnobsShowThePanelAtTheirCornersAndTheirFacesOpaque)
{
    open("FlangerUnit.component");
    CBitmap* knob = new CBitmap(129);
    ASSERT_TRUE(knob->isLoaded());
    for (const int left : {27, 91, 156, 221, 286, 378, 442}) drawKnob(knob, editor, left, 26, 40);
    for (const int left : {27, 91, 156, 221, 286, 378, 442}) {
        SCOPED_TRACE("knob at " + std::to_string(left));
        EXPECT_TRUE(panelShows(left, 26));
        EXPECT_TRUE(panelShows(left + 48, 26 + 48));
        EXPECT_FALSE(panelShows(left + 24, 26 + 24));
        const CColor face = pixelAt(*editor, left + 24, 26 + 10);
        EXPECT_EQ(face.alpha, 255);
        EXPECT_NE(face, kBlackCColor);
    }
    knob->forget();
}

TEST_F(Editor, TiltEqRingShowsRoundTheBigKnobAndTheButtonMeetsThePanel)
{
    open("TiltEqUnit.component");
    CBitmap* ring = new CBitmap(132);
    CBitmap* big = new CBitmap(129);
    CBitmap* button = new CBitmap(131);
    ASSERT_TRUE(ring->isLoaded() && big->isLoaded() && button->isLoaded());
    drawKnob(ring, editor, 140, 62, 30);
    drawKnob(big, editor, 150, 72, 30);
    // Inside the big knob's square, beyond its round face, at 45° and 55
    // pixels from the common centre (200, 122): the ring's collar.
    EXPECT_FALSE(panelShows(161, 83));
    drawKnob(ring, panel, 140, 62, 30);
    EXPECT_TRUE(panelShows(161, 83));
    EXPECT_FALSE(panelShows(200, 122));

    // Opaque, as the editor draws it; its edge is the panel's.
    const int half = button->getHeight() / 2;
    button->draw(editor, CRect(175, 199, 175 + button->getWidth(), 199 + half), CPoint(0, half));
    EXPECT_TRUE(panelShows(175, 199));
    EXPECT_TRUE(panelShows(175 + button->getWidth() - 1, 199 + half - 1));
    EXPECT_FALSE(panelShows(175 + button->getWidth() / 2, 199 + half / 2));
    for (CBitmap* bitmap : {ring, big, button}) bitmap->forget();
}

} // namespace
