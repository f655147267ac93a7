// The tilt equaliser's editor: its layout, the on/off button and the
// frequency display.

#include <cmath>
#include <cstring>
#include <limits>

#include "ViewHost.h"
#include "tests/toolkit/Pixels.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/CParamDisplay.h"

namespace editortest {

const UnitUnderTest kUnit{"TiltEqUnit", 420, 280, 5, CRect(337, 188, 367, 218)};

void writeTestArtwork(const std::filesystem::path& resources)
{
    using toolkit::test::writePNG;
    writePNG(resources / "bmp00128.png", kUnit.width, kUnit.height, [](int x, int y) {
        return CColor{uint8_t(28 + x % 5), uint8_t(30 + y % 7), 40, 255};
    });
    // Square frames: a bar that moves right with the frame.
    const auto strip = [&](const char* name, int side, int frames, CColor colour) {
        writePNG(resources / name, side, side * frames, [=](int x, int y) {
            const int bar = 2 + (y / side) * (side - 8) / (frames - 1);
            return x >= bar && x < bar + 5 ? colour : CColor{0, 0, 0, 0};
        });
    };
    strip("bmp00129.png", 40, 61, CColor{240, 240, 240, 255});
    strip("bmp00132.png", 60, 61, CColor{200, 120, 40, 255});
    strip("bmp00130.png", 30, 60, CColor{120, 200, 240, 255});
    // Off above on.
    writePNG(resources / "bmp00131.png", 40, 40, [](int, int y) {
        return y < 20 ? CColor{90, 20, 20, 255} : CColor{40, 220, 80, 255};
    });
}

namespace {

using TiltEqView = ViewHost;

std::string frequencyText(float value)
{
    char text[16] = {};
    VokVstEditor::freqStringConvert(value, text);
    return text;
}

TEST(TiltEqFrequencyText, IsTheCubicMappingTruncatedWithoutASpace)
{
    EXPECT_EQ(frequencyText(0.5f), "1337Hz");
    EXPECT_EQ(frequencyText(0.f), "100Hz");
    EXPECT_EQ(frequencyText(1.f), "10000Hz");
}

TEST(TiltEqFrequencyText, OutOfRangeAndNaNStayDefined)
{
    // 100 would be 9.9e9 Hz, beyond any 32-bit integer.
    EXPECT_EQ(frequencyText(100.f), "2147483647Hz");
    EXPECT_EQ(frequencyText(-100.f), "-2147483648Hz");
    EXPECT_EQ(frequencyText(std::numeric_limits<float>::infinity()), "2147483647Hz");
    EXPECT_EQ(frequencyText(std::nanf("")), "0Hz");
}

TEST_F(TiltEqView, EveryControlStandsWhereTheLayoutPutsIt)
{
    ASSERT_EQ(createView(), noErr);
    const struct {
        long tag;
        CRect size;
    } expected[] = {{7, {140, 62, 200, 122}},  {1, {150, 72, 190, 112}},  {3, {32, 188, 62, 218}},
                    {2, {103, 188, 133, 218}}, {5, {337, 188, 367, 218}}, {6, {175, 199, 215, 219}}};
    for (const auto& want : expected) {
        CControl* found = control(want.tag);
        ASSERT_NE(found, nullptr) << want.tag;
        CRect size;
        found->getViewSize(size);
        EXPECT_EQ(size, want.size) << want.tag;
    }
    // The display: no tag, no listener.
    CFrame* frame = editor()->getFrame();
    ASSERT_EQ(frame->getNbViews(), 7);
    auto* display = dynamic_cast<CParamDisplay*>(frame->getView(6));
    ASSERT_NE(display, nullptr);
    CRect size;
    display->getViewSize(size);
    EXPECT_EQ(size, CRect(95, 68, 135, 83));
    EXPECT_EQ(display->getListener(), nullptr);
    EXPECT_EQ(display->getFont(), kFontVerySmall);
    EXPECT_EQ(display->getBackColor(), (CColor{10, 10, 10, 255}));
    EXPECT_EQ(display->getFrameColor(), (CColor{190, 185, 185, 255}));
}

TEST_F(TiltEqView, ValuesShownGoToTheControlsTheyBelongTo)
{
    ASSERT_EQ(createView(), noErr);
    VokVstEditorAU* shown = editor();
    CParamDisplay* display = dynamic_cast<CParamDisplay*>(editor()->getFrame()->getView(6));
    ASSERT_NE(display, nullptr);
    shown->setParameter(7ul, 0.5f);
    EXPECT_FLOAT_EQ(control(7)->getValue(), 0.5f);
    EXPECT_FLOAT_EQ(display->getValue(), 0.5f);
    shown->setParameter(2ul, 0.2f);
    shown->setParameter(3ul, 0.3f);
    EXPECT_FLOAT_EQ(control(2)->getValue(), 0.2f);
    EXPECT_FLOAT_EQ(control(3)->getValue(), 0.3f);

    std::vector<float> values;
    for (long tag : {1, 2, 3, 5, 6, 7}) values.push_back(control(tag)->getValue());
    for (unsigned long index : {0ul, 4ul, 8ul, 20ul}) shown->setParameter(index, 0.9f);
    size_t i = 0;
    for (long tag : {1, 2, 3, 5, 6, 7}) EXPECT_EQ(control(tag)->getValue(), values[i++]) << tag;
}

TEST_F(TiltEqView, TheOnOffButtonTogglesOnOff)
{
    ASSERT_EQ(createView(), noErr);
    run(1.1);
    const float start = parameter(6);
    const CPoint button(195, 209);
    click(button);
    run(0.2);
    EXPECT_FLOAT_EQ(parameter(6), start > 0.5f ? 0.f : 1.f);
    click(button);
    run(0.2);
    EXPECT_FLOAT_EQ(parameter(6), start);
}

TEST_F(TiltEqView, WhereTheBigKnobCoversTheRingKnobTheBigKnobIsEdited)
{
    ASSERT_EQ(createView(), noErr);
    run(1.1);
    hostEvents.clear();
    drag(CPoint(170, 92), CPoint(170, 70), 4);
    run(0.2);
    EXPECT_FALSE(eventsOf(1).empty());
    EXPECT_TRUE(eventsOf(7).empty());
}

// Lets a test see the display pointer that close must clear.
class EditorProbe : public VokVstEditor {
  public:
    EditorProbe() : VokVstEditor(nullptr) {}
    using VokVstEditor::freqDisplay;
};

TEST(TiltEqEditor, CloseForgetsTheDisplayAndDropsLaterValues)
{
    useTestArtwork();
    platform::useVirtualClock(0);
    WindowRef window = nullptr;
    const Rect bounds{100, 100, 400, 600};
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass,
                              kWindowCompositingAttribute | kWindowStandardHandlerAttribute, &bounds,
                              &window),
              noErr);
    EditorProbe editor;
    const ERect closed = editor.getRect();
    EXPECT_EQ(closed.right, kUnit.width);
    EXPECT_EQ(closed.bottom, kUnit.height);
    editor.open(window);
    EXPECT_NE(editor.freqDisplay, nullptr);
    editor.close();
    EXPECT_EQ(editor.freqDisplay, nullptr);
    EXPECT_EQ(editor.getFrame(), nullptr);
    editor.setParameter(7ul, 0.5f);
    editor.close();
    DisposeWindow(window);
    platform::useRealClock();
}

} // namespace
} // namespace editortest
