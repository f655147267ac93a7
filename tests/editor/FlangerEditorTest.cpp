// The flanger's editor: its layout, the tempo-sync menu and its scheme.

#include "ViewHost.h"
#include "tests/toolkit/Pixels.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuScheme.h"

namespace editortest {

const UnitUnderTest kUnit{"FlangerUnit", 520, 140, 1, CRect(27, 26, 76, 75)};

void writeTestArtwork(const std::filesystem::path& resources)
{
    using toolkit::test::writePNG;
    writePNG(resources / "bmp00128.png", kUnit.width, kUnit.height, [](int x, int y) {
        return CColor{uint8_t(30 + x % 7), uint8_t(34 + y % 5), 44, 255};
    });
    // 80 frames, 49 high: a bright bar that moves right with the frame.
    writePNG(resources / "bmp00129.png", 49, 49 * 80, [](int x, int y) {
        const int frame = y / 49, bar = 4 + frame * 36 / 79;
        return x >= bar && x < bar + 8 ? CColor{230, 200, 90, 255} : CColor{0, 0, 0, 0};
    });
}

namespace {

using FlangerView = ViewHost;

constexpr CPoint kMenu(51, 114);

TEST_F(FlangerView, EveryControlStandsWhereTheLayoutPutsIt)
{
    ASSERT_EQ(createView(), noErr);
    const struct {
        long tag;
        CRect size;
    } expected[] = {{1, {27, 26, 76, 75}},   {3, {91, 26, 140, 75}},  {4, {156, 26, 205, 75}},
                    {5, {221, 26, 270, 75}}, {6, {286, 26, 335, 75}}, {7, {378, 26, 427, 75}},
                    {8, {442, 26, 491, 75}}, {2, {26, 106, 76, 122}}};
    for (const auto& want : expected) {
        CControl* found = control(want.tag);
        ASSERT_NE(found, nullptr) << want.tag;
        CRect size;
        found->getViewSize(size);
        EXPECT_EQ(size, want.size) << want.tag;
        EXPECT_EQ(found->isTypeOf("CAnimKnob"), want.tag != 2) << want.tag;
    }
    EXPECT_EQ(control(0), nullptr);
    EXPECT_EQ(control(9), nullptr);
}

TEST_F(FlangerView, TheSyncMenuSetsSyncTempoToTheChosenIndex)
{
    ASSERT_EQ(createView(), noErr);
    run(1.1);
    const unsigned before = platform::headless::popUpCount();
    click(kMenu); // dismissed: shows which menu pops up
    ASSERT_EQ(platform::headless::popUpCount(), before + 1);
    const auto& popped = platform::headless::lastPopUp()->menu;
    ASSERT_EQ(popped.items.size(), 9u);
    EXPECT_EQ(popped.items[0].text, "man");
    EXPECT_EQ(popped.items[5].text, "1/2T");
    EXPECT_EQ(popped.items[8].text, "4/1T");

    hostEvents.clear();
    platform::headless::answerPopUp(popped.id, 6);
    click(kMenu);
    run(0.2);
    EXPECT_FLOAT_EQ(parameter(2), 5.f);
    const auto events = eventsOf(2);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().value, 5.f);
}

TEST_F(FlangerView, ValuesShownGoToTheControlWithTheirTag)
{
    ASSERT_EQ(createView(), noErr);
    VokVstEditorAU* shown = editor();
    shown->setParameter(2ul, 5.f);
    EXPECT_EQ(static_cast<COptionMenu*>(control(2))->getCurrent(), 5);
    shown->setParameter(2ul, 9.f);
    EXPECT_EQ(static_cast<COptionMenu*>(control(2))->getCurrent(), 5);
    shown->setParameter(8ul, 0.125f);
    EXPECT_FLOAT_EQ(control(8)->getValue(), 0.125f);

    std::vector<float> values;
    for (long tag = 1; tag <= 8; ++tag) values.push_back(control(tag)->getValue());
    shown->setParameter(0ul, 0.9f);
    shown->setParameter(9ul, 0.9f);
    shown->setParameter(21ul, 0.9f);
    for (long tag = 1; tag <= 8; ++tag) EXPECT_EQ(control(tag)->getValue(), values[tag - 1]) << tag;
}

TEST_F(FlangerView, TheMenuShowsTheSchemesColoursAndTheEditorReleasesTheSchemeOnClose)
{
    ASSERT_EQ(createView(), noErr);
    auto* menu = static_cast<COptionMenu*>(control(2));
    EXPECT_EQ(menu->getFontColor(), (CColor{120, 120, 120, 255}));
    EXPECT_EQ(menu->getBackColor(), (CColor{50, 50, 50, 255}));
    COptionMenuScheme* scheme = menu->getScheme();
    ASSERT_NE(scheme, nullptr);
    EXPECT_EQ(scheme->getBackgroundColor(), (CColor{50, 50, 50, 255}));
    EXPECT_EQ(scheme->getSelectionColor(), (CColor{25, 25, 25, 255}));
    EXPECT_EQ(scheme->getTextColor(), (CColor{120, 120, 120, 255}));
    EXPECT_EQ(scheme->getHighlightColor(), kWhiteCColor);
    EXPECT_EQ(scheme->getDisabledColor(), (CColor{50, 50, 50, 255}));

    scheme->remember();
    EXPECT_EQ(scheme->getNbReference(), 2);
    editor()->close();
    EXPECT_EQ(editor()->getFrame(), nullptr);
    EXPECT_EQ(scheme->getNbReference(), 1);
    scheme->forget();
    // Closed: values are dropped, and a second close finds nothing to release.
    editor()->setParameter(1ul, 0.3f);
    editor()->close();
}

// The editor alone, without a unit or a view.
class FlangerEditor : public ::testing::Test {
  protected:
    void SetUp() override
    {
        platform::useVirtualClock(0);
        const Rect bounds{100, 100, 400, 700};
        ASSERT_EQ(CreateNewWindow(kDocumentWindowClass,
                                  kWindowCompositingAttribute | kWindowStandardHandlerAttribute, &bounds,
                                  &window),
                  noErr);
    }
    void TearDown() override
    {
        DisposeWindow(window);
        platform::useRealClock();
    }
    WindowRef window = nullptr;
};

TEST_F(FlangerEditor, TheRectangleIsTheBackgroundsBeforeAndAfterOpening)
{
    useTestArtwork();
    VokVstEditor editor(nullptr);
    editor.setParameter(1ul, 0.5f); // not open: ignored
    const ERect closed = editor.getRect();
    EXPECT_TRUE(editor.open(window));
    const ERect opened = editor.getRect();
    for (const ERect& rect : {closed, opened}) {
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right, kUnit.width);
        EXPECT_EQ(rect.bottom, kUnit.height);
    }
    EXPECT_EQ(AEffGUIEditor::knobMode, 2);
    editor.close();
}

} // namespace
} // namespace editortest
