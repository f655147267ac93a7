// Text fields: editing through the keyboard in a frame in a window, kept
// with return, thrown away with escape, ended by deactivation or a click
// elsewhere.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ControlWindow.h"
#include "toolkit/CTextEdit.h"
#include "toolkit/CViewContainer.h"

namespace toolkit::test {
namespace {

constexpr long kTag = 31;

// Records the messages its children send.
class Box : public CViewContainer {
  public:
    Box(const CRect& size, CFrame* frame) : CViewContainer(size, frame) {}
    long notify(CView* sender, const char* message) override
    {
        messages.emplace_back(message);
        return CViewContainer::notify(sender, message);
    }
    std::vector<std::string> messages;
};

class TextEdit : public ControlWindow {
  protected:
    CTextEdit* addField(long style = 0)
    {
        return add(new CTextEdit(CRect(20, 100, 140, 124), nullptr, kTag, "old", nullptr, style));
    }
    std::string text(const CTextEdit* field)
    {
        char buffer[CTextEdit::kTextSize];
        field->getText(buffer);
        return buffer;
    }
    // Mac key codes of a, b and c.
    void typeABC()
    {
        platform::headless::keyDown(window, 0, 'a');
        platform::headless::keyDown(window, 11, 'b');
        platform::headless::keyDown(window, 8, 'c');
        settle();
    }
    void press(UInt32 keyCode, char character)
    {
        platform::headless::keyDown(window, keyCode, character);
        settle();
    }
};

TEST_F(TextEdit, ReturnKeepsTheEditAndReportsItOnce)
{
    CTextEdit* field = addField();
    click(80, 112);
    ASSERT_TRUE(field->isEditing());
    EXPECT_NE(field->getPlatformControl(), nullptr);
    EXPECT_EQ(frame->getFocusView(), field);
    typeABC();
    press(36, '\r');
    EXPECT_FALSE(field->isEditing());
    EXPECT_TRUE(field->wasReturnPressed());
    EXPECT_EQ(text(field), "abc");
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].control, field);
    EXPECT_EQ(gestures(kTag), std::make_pair(1, 1));
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(field->getPlatformControl(), nullptr);

    // An edit that changes nothing reports nothing; the mouse over the
    // field shows the I-beam meanwhile.
    click(80, 112);
    platform::headless::mouseMove(window, 90, 110);
    settle();
    EXPECT_EQ(platform::headless::cursor(), kThemeIBeamCursor);
    platform::headless::mouseMove(window, 200, 200);
    settle();
    EXPECT_EQ(platform::headless::cursor(), kThemeArrowCursor);
    press(76, 3);
    EXPECT_EQ(text(field), "abc");
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(gestures(kTag), std::make_pair(2, 2));
}

TEST_F(TextEdit, EscapeThrowsTheEditAway)
{
    CTextEdit* field = addField();
    click(80, 112);
    typeABC();
    press(53, 0x1b);
    EXPECT_FALSE(field->isEditing());
    EXPECT_FALSE(field->wasReturnPressed());
    EXPECT_EQ(text(field), "old");
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(gestures(kTag), std::make_pair(1, 1));
}

TEST_F(TextEdit, DeactivationOrAClickElsewhereEndsTheEditAndKeepsIt)
{
    CTextEdit* field = addField();
    click(80, 112);
    typeABC();
    platform::headless::activate(window, false);
    settle();
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(text(field), "abc");

    platform::headless::activate(window, true);
    click(80, 112);
    press(0, 'a');
    click(200, 200);
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(text(field), "a");
    EXPECT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(gestures(kTag), std::make_pair(2, 2));
    // Ending again changes nothing.
    field->looseFocus();
    EXPECT_EQ(gestures(kTag), std::make_pair(2, 2));
}

TEST_F(TextEdit, TheFieldLiesOverTheDisplayOneLineHigh)
{
    auto* box = new Box(CRect(10, 20, 300, 220), frame);
    frame->addView(box);
    auto* field = new CTextEdit(CRect(20, 100, 140, 124), &listener, kTag, "old");
    box->addView(field);
    settle();
    click(80, 132);
    ASSERT_TRUE(field->isEditing());
    HIRect place;
    ASSERT_EQ(HIViewGetFrame(field->getPlatformControl(), &place), noErr);
    // The normal font is 12 high: the middle line of the 24.
    EXPECT_EQ(place.origin.x, 30);
    EXPECT_EQ(place.origin.y, 120 + 12 - 6 + 1);
    EXPECT_EQ(place.size.width, 120);
    EXPECT_EQ(place.size.height, 12);
    typeABC();
    press(36, '\r');
    EXPECT_EQ(text(field), "abc");
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(std::count(box->messages.begin(), box->messages.end(), "LooseFocus"), 1);
}

TEST_F(TextEdit, DoubleClickStyleWaitsForTheSecondClick)
{
    CTextEdit* field = addField(kDoubleClickStyle);
    // Clicks a second apart are single clicks.
    click(80, 112);
    EXPECT_FALSE(field->isEditing());
    click(80, 112);
    EXPECT_FALSE(field->isEditing());
    platform::headless::mouseDown(window, 80, 112);
    platform::headless::mouseUp(window, 80, 112);
    platform::headless::mouseDown(window, 80, 112);
    platform::headless::mouseUp(window, 80, 112);
    settle();
    EXPECT_TRUE(field->isEditing());
    press(53, 0x1b);
}

TEST_F(TextEdit, ShowsTheTextOrTheConversionOfIt)
{
    CTextEdit* field = addField();
    const std::string longText(300, 'q');
    field->setText(longText.c_str());
    EXPECT_EQ(text(field), longText.substr(0, 255));
    field->setText(nullptr);
    EXPECT_EQ(text(field), "");

    // The display's value conversion replaces the stored text when drawn.
    field->setStringConvert([](float value, char* out) { std::snprintf(out, 256, "v%.1f", value); });
    field->setValue(0.5f);
    field->setDirty();
    settle();
    EXPECT_EQ(text(field), "v0.5");
    // The edit conversion only changes what is shown.
    field->setTextEditConvert([](char* in, char* out) { std::snprintf(out, 256, "<%s>", in); });
    field->setText("raw");
    settle();
    EXPECT_EQ(text(field), "raw");
}

TEST_F(TextEdit, ClosingTheEditorWhileEditingLetsTheFieldGo)
{
    CTextEdit* field = addField();
    click(80, 112);
    ASSERT_TRUE(field->isEditing());
    typeABC();
    editor.close();
    EXPECT_EQ(editor.getFrame(), nullptr);
    // The editor is gone: the edit cut short is not reported.
    EXPECT_TRUE(listener.changes.empty());
    press(36, '\r');
}

} // namespace
} // namespace toolkit::test
