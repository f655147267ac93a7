// The edit-text field driven by scripted keys and clicks in headless
// windows: editing, the handler that sees raw keys first, the scrap, and
// what it draws.

#include <gtest/gtest.h>

#include "TestView.h"
#include "platform/corefoundation/CFRef.h"
#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"

namespace {

using platform::CFRef;

// Macintosh key codes.
constexpr UInt32 kA = 0, kC = 8, kD = 2, kV = 9, kX = 7, kReturn = 36, kTab = 48, kBackspace = 51,
                 kLeft = 123, kRight = 124, kForwardDelete = 117, kEnd = 119;

std::string textOf(ControlRef field)
{
    CFRef<CFStringRef> text(HIViewCopyText(field));
    if (!text) return "<none>";
    char buffer[512];
    CFStringGetCString(text.get(), buffer, sizeof buffer, kCFStringEncodingUTF8);
    return buffer;
}

ControlEditTextSelectionRec selectionOf(ControlRef field)
{
    ControlEditTextSelectionRec selection{-1, -1};
    GetControlData(field, kControlEntireControl, kControlEditTextSelectionTag, sizeof selection, &selection,
                   nullptr);
    return selection;
}

// Dark pixels (text or caret) in a rectangle of the window.
int darkPixels(WindowRef window, int left, int top, int right, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if ((platform::headless::pixel(window, x, y) & 0xFF) < 0x60) ++count;
    return count;
}

struct KeysSeen {
    std::vector<UInt32> codes;
    // Taken here instead of passed on.
    std::vector<UInt32> take;
};

OSStatus seeKeys(EventHandlerCallRef call, EventRef event, void* userData)
{
    auto& seen = *static_cast<KeysSeen*>(userData);
    UInt32 code = 0;
    GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof code, nullptr, &code);
    seen.codes.push_back(code);
    if (std::find(seen.take.begin(), seen.take.end(), code) != seen.take.end()) return noErr;
    return CallNextEventHandler(call, event);
}

class TextFieldTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        platform::useVirtualClock(0);
        window = newTestWindow({100, 100, 160, 300});
        const Rect bounds{20, 10, 40, 190};
        ASSERT_EQ(CreateEditUnicodeTextControl(window, &bounds, CFSTR("ab"), false, nullptr, &field), noErr);
        RunCurrentEventLoop(0);
    }
    void TearDown() override
    {
        platform::headless::clearInput();
        DisposeWindow(window);
        platform::useRealClock();
    }

    void focus() { ASSERT_EQ(SetKeyboardFocus(window, field, kControlFocusNextPart), noErr); }
    void type(UInt32 code, char c, UInt32 modifiers = 0)
    {
        platform::headless::keyDown(window, code, c, modifiers);
        platform::headless::keyUp(window, code, c, modifiers);
    }
    void run() { RunCurrentEventLoop(1); }
    ControlRef focusedView() const
    {
        ControlRef focused = nullptr;
        GetKeyboardFocus(window, &focused);
        return focused;
    }

    WindowRef window = nullptr;
    ControlRef field = nullptr;
};

TEST_F(TextFieldTest, TypingEditsTheTextAtTheCaret)
{
    EXPECT_EQ(textOf(field), "ab");
    // Without the focus, keys do nothing to it.
    type(kC, 'c');
    run();
    EXPECT_EQ(textOf(field), "ab");

    focus();
    EXPECT_EQ(focusedView(), field);
    type(kC, 'c');
    type(kD, 'd');
    type(kLeft, 0x1C);
    type(kLeft, 0x1C);
    type(kX, 'x');
    run();
    EXPECT_EQ(textOf(field), "abxcd");
    EXPECT_EQ(selectionOf(field).selStart, 3);

    type(kBackspace, 0x08);
    type(kForwardDelete, 0x7F);
    run();
    EXPECT_EQ(textOf(field), "abd");

    // Select all, type over it.
    type(kA, 'a', cmdKey);
    run();
    EXPECT_EQ(selectionOf(field).selStart, 0);
    EXPECT_EQ(selectionOf(field).selEnd, 3);
    type(kV, 'V', shiftKey);
    run();
    EXPECT_EQ(textOf(field), "V");

    // Shift extends from the caret; backspace takes the selection.
    type(kA, 'a');
    type(kA, 'a');
    type(kLeft, 0x1C, shiftKey);
    type(kLeft, 0x1C, shiftKey);
    type(kBackspace, 0x08);
    run();
    EXPECT_EQ(textOf(field), "V");
    type(kBackspace, 0x08);
    type(kBackspace, 0x08);
    run();
    EXPECT_EQ(textOf(field), "");
}

TEST_F(TextFieldTest, AHandlerOnTheFieldSeesRawKeysFirst)
{
    KeysSeen seen;
    seen.take = {kReturn};
    static const EventTypeSpec keys[] = {{kEventClassKeyboard, kEventRawKeyDown}};
    InstallEventHandler(GetControlEventTarget(field), seeKeys, 1, keys, &seen, nullptr);
    focus();
    type(kD, 'd');
    type(kReturn, 0x0D);
    type(kEnd, 0x04);
    run();
    EXPECT_EQ(seen.codes, (std::vector<UInt32>{kD, kReturn, kEnd}));
    // What the handler passed on was typed; return was not.
    EXPECT_EQ(textOf(field), "abd");

    // A single-line field leaves return to others: unhandled, it comes back
    // as text input, not into the text.
    seen.take.clear();
    type(kReturn, 0x0D);
    run();
    EXPECT_EQ(textOf(field), "abd");
}

TEST_F(TextFieldTest, CopyCutAndPasteGoThroughTheScrap)
{
    focus();
    type(kA, 'a', cmdKey);
    type(kC, 'c', cmdKey);
    type(kRight, 0x1D);
    type(kV, 'v', cmdKey);
    run();
    EXPECT_EQ(textOf(field), "abab");

    ScrapRef scrap = nullptr;
    GetCurrentScrap(&scrap);
    Size size = 0;
    ASSERT_EQ(GetScrapFlavorSize(scrap, kScrapFlavorTypeUnicode, &size), noErr);
    EXPECT_EQ(size, 4);
    char plain[8] = {};
    size = sizeof plain;
    ASSERT_EQ(GetScrapFlavorData(scrap, kScrapFlavorTypeText, &size, plain), noErr);
    EXPECT_EQ(std::string(plain, static_cast<size_t>(size)), "ab");

    type(kA, 'a', cmdKey);
    type(kX, 'x', cmdKey);
    run();
    EXPECT_EQ(textOf(field), "");
    GetCurrentScrap(&scrap);
    GetScrapFlavorSize(scrap, kScrapFlavorTypeUnicode, &size);
    EXPECT_EQ(size, 8);

    // Another program's text, as only plain text, with a line break the
    // single line keeps out.
    ClearCurrentScrap();
    GetCurrentScrap(&scrap);
    PutScrapFlavor(scrap, kScrapFlavorTypeText, kScrapFlavorMaskNone, 5, "x\ny z");
    type(kV, 'v', cmdKey);
    run();
    EXPECT_EQ(textOf(field), "xy z");

    // The commands do the same when sent to the field.
    HICommand command{0, kHICommandSelectAll, {nullptr, 0}};
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event);
    SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
    EXPECT_EQ(SendEventToEventTarget(event, GetControlEventTarget(field)), noErr);
    command.commandID = kHICommandClear;
    SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
    SendEventToEventTarget(event, GetControlEventTarget(field));
    ReleaseEvent(event);
    EXPECT_EQ(textOf(field), "");
}

TEST_F(TextFieldTest, ClicksPlaceTheCaretAndDragsSelect)
{
    // A click at the far left takes the focus and puts the caret first.
    platform::headless::mouseDown(window, 11, 30);
    platform::headless::mouseUp(window, 11, 30);
    type(kD, 'd');
    run();
    EXPECT_EQ(focusedView(), field);
    EXPECT_EQ(textOf(field), "dab");

    // From the left edge to past the end.
    platform::headless::mouseDown(window, 11, 30);
    platform::headless::mouseMove(window, 100, 31);
    platform::headless::mouseMove(window, 180, 31);
    platform::headless::mouseUp(window, 180, 31);
    run();
    EXPECT_EQ(selectionOf(field).selStart, 0);
    EXPECT_EQ(selectionOf(field).selEnd, 3);

    // A double click takes the word under it.
    const CFStringRef words = CFSTR("one two");
    SetControlData(field, kControlEntireControl, kControlEditTextCFStringTag, sizeof words, &words);
    platform::headless::mouseDown(window, 180, 30, kEventMouseButtonPrimary, 0, 2);
    platform::headless::mouseUp(window, 180, 30);
    run();
    EXPECT_EQ(selectionOf(field).selStart, 4);
    EXPECT_EQ(selectionOf(field).selEnd, 7);
}

TEST_F(TextFieldTest, TabMovesTheFocusOnToTheNextField)
{
    // Alone, the field keeps it.
    focus();
    type(kTab, 0x09);
    type(kD, 'd');
    run();
    EXPECT_EQ(focusedView(), field);
    EXPECT_EQ(textOf(field), "abd");

    ControlRef second = nullptr;
    const Rect bounds{45, 10, 58, 190};
    CreateEditUnicodeTextControl(window, &bounds, nullptr, false, nullptr, &second);
    type(kTab, 0x09);
    type(kD, 'd');
    run();
    EXPECT_EQ(focusedView(), second);
    EXPECT_EQ(textOf(second), "d");
    EXPECT_EQ(textOf(field), "abd");
}

TEST_F(TextFieldTest, TheTextIsDrawnWithACaretWhileFocused)
{
    RunCurrentEventLoop(0);
    // White field, black text in its left part.
    EXPECT_EQ(platform::headless::pixel(window, 150, 25), 0xFFFFFFFFu);
    const int withText = darkPixels(window, 10, 20, 190, 40);
    EXPECT_GT(withText, 10);
    // Nothing dark right of the text before it has the focus.
    EXPECT_EQ(darkPixels(window, 40, 20, 190, 40), 0);

    focus();
    RunCurrentEventLoop(0);
    EXPECT_GT(darkPixels(window, 10, 20, 190, 40), withText);
    // Selected, the text lies on the highlight, and only there.
    const ControlEditTextSelectionRec all{0, 2};
    SetControlData(field, kControlEntireControl, kControlEditTextSelectionTag, sizeof all, &all);
    RunCurrentEventLoop(0);
    const uint32_t highlight = platform::headless::pixel(window, 13, 25);
    EXPECT_NE(highlight, 0xFFFFFFFFu);
    EXPECT_EQ(highlight & 0xFF, 0xFFu);
    EXPECT_EQ(platform::headless::pixel(window, 60, 25), 0xFFFFFFFFu);

    const CFStringRef empty = CFSTR("");
    SetControlData(field, kControlEntireControl, kControlEditTextCFStringTag, sizeof empty, &empty);
    ClearKeyboardFocus(window);
    RunCurrentEventLoop(0);
    EXPECT_EQ(darkPixels(window, 10, 20, 190, 40), 0);

    // A larger size draws wider text; right justification moves it right.
    const CFStringRef text = CFSTR("mmmm");
    SetControlData(field, kControlEntireControl, kControlEditTextCFStringTag, sizeof text, &text);
    RunCurrentEventLoop(0);
    const int small = darkPixels(window, 10, 20, 190, 40);
    ControlFontStyleRec style{};
    style.flags = kControlUseSizeMask | kControlUseJustMask | kControlUseFontMask;
    style.size = 18;
    style.just = teFlushRight;
    style.font = FMGetFontFamilyFromName(reinterpret_cast<const unsigned char*>("\011Helvetica"));
    SetControlFontStyle(field, &style);
    RunCurrentEventLoop(0);
    EXPECT_GT(darkPixels(window, 10, 20, 190, 40), small);
    EXPECT_EQ(darkPixels(window, 10, 20, 100, 40), 0);
    ControlFontStyleRec read{};
    GetControlFontStyle(field, &read);
    EXPECT_EQ(read.size, 18);
    EXPECT_EQ(read.just, teFlushRight);
}

TEST_F(TextFieldTest, PasswordFieldsShowBulletsAndCopyNothing)
{
    const Boolean on = true;
    SetControlData(field, kControlEntireControl, kControlEditTextPasswordTag, sizeof on, &on);
    ClearCurrentScrap();
    focus();
    type(kA, 'a', cmdKey);
    type(kC, 'c', cmdKey);
    run();
    ScrapRef scrap = nullptr;
    GetCurrentScrap(&scrap);
    Size size = 0;
    EXPECT_EQ(GetScrapFlavorSize(scrap, kScrapFlavorTypeUnicode, &size), noTypeErr);
    EXPECT_EQ(textOf(field), "ab");
}

TEST(TextFieldPlain, AFieldInAWindowThatIsNotCompositingIsDrawnOnUpdate)
{
    platform::useVirtualClock(0);
    WindowRef window = nullptr;
    const Rect bounds{100, 100, 150, 250};
    CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds, &window);
    ControlRef field = nullptr;
    const Rect fieldBounds{10, 10, 30, 140};
    CreateEditUnicodeTextControl(window, &fieldBounds, CFSTR("Hello"), false, nullptr, &field);
    ShowWindow(window);
    RunCurrentEventLoop(0);
    RunCurrentEventLoop(0);
    EXPECT_GT(darkPixels(window, 10, 10, 140, 30), 10);
    EXPECT_EQ(platform::headless::pixel(window, 130, 15), 0xFFFFFFFFu);
    DisposeWindow(window);
    platform::useRealClock();
}

TEST(TextFieldData, TagsSizesAndTheWrongViews)
{
    ControlRef field = nullptr;
    const Rect bounds{0, 0, 20, 100};
    ASSERT_EQ(CreateEditUnicodeTextControl(nullptr, &bounds, CFSTR("line\rbreak"), false, nullptr, &field),
              noErr);
    EXPECT_EQ(textOf(field), "linebreak");
    Size size = 0;
    EXPECT_EQ(GetControlDataSize(field, 0, kControlEditTextCFStringTag, &size), noErr);
    EXPECT_EQ(size, static_cast<Size>(sizeof(CFStringRef)));
    const ControlEditTextSelectionRec selection{-3, 200};
    EXPECT_EQ(SetControlData(field, 0, kControlEditTextSelectionTag, sizeof selection, &selection), noErr);
    EXPECT_EQ(selectionOf(field).selStart, 0);
    EXPECT_EQ(selectionOf(field).selEnd, 9);
    EXPECT_EQ(SetControlData(field, 0, kControlEditTextSelectionTag, 2, &selection), errDataSizeMismatch);
    EXPECT_EQ(SetControlData(field, 0, FourCharCode("what"), 1, &selection), errDataNotSupported);

    // Multi-line keeps line breaks.
    const Boolean off = false;
    SetControlData(field, 0, kControlEditTextSingleLineTag, sizeof off, &off);
    HIViewSetText(field, CFSTR("a\rb"));
    EXPECT_EQ(textOf(field), "a\rb");

    ControlRef pane = nullptr;
    CreateUserPaneControl(nullptr, &bounds, 0, &pane);
    EXPECT_EQ(GetControlDataSize(pane, 0, kControlEditTextCFStringTag, &size), errDataNotSupported);
    EXPECT_EQ(HIViewCopyText(pane), nullptr);
    DisposeControl(pane);
    DisposeControl(field);
}

TEST(FontFamilies, NamesGetStableNumbers)
{
    const auto* helvetica = reinterpret_cast<const unsigned char*>("\011Helvetica");
    const FMFontFamily family = FMGetFontFamilyFromName(helvetica);
    EXPECT_GT(family, 0);
    EXPECT_EQ(FMGetFontFamilyFromName(reinterpret_cast<const unsigned char*>("\005Times")), family + 1);
    EXPECT_EQ(FMGetFontFamilyFromName(helvetica), family);
    EXPECT_EQ(FMGetFontFamilyFromName(reinterpret_cast<const unsigned char*>("\0")), kFMInvalidFontFamily);
    Str255 name{};
    ASSERT_EQ(FMGetFontFamilyName(family, name), noErr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Helvetica");
    EXPECT_EQ(FMGetFontFamilyName(kFMInvalidFontFamily, name), paramErr);
}

TEST(Scrap, AClearedScrapForgetsItsFlavoursAndOldReferences)
{
    ClearCurrentScrap();
    ScrapRef scrap = nullptr;
    GetCurrentScrap(&scrap);
    EXPECT_EQ(PutScrapFlavor(scrap, kScrapFlavorTypeText, 0, 3, "abc"), noErr);
    char out[2] = {};
    Size size = sizeof out;
    EXPECT_EQ(GetScrapFlavorData(scrap, kScrapFlavorTypeText, &size, out), noErr);
    EXPECT_EQ(size, 2);
    EXPECT_EQ(out[1], 'b');
    ClearCurrentScrap();
    EXPECT_EQ(GetScrapFlavorSize(scrap, kScrapFlavorTypeText, &size), noScrapErr);
    EXPECT_EQ(PutScrapFlavor(scrap, kScrapFlavorTypeText, 0, 3, "abc"), noScrapErr);
    GetCurrentScrap(&scrap);
    EXPECT_EQ(GetScrapFlavorSize(scrap, kScrapFlavorTypeText, &size), noTypeErr);
}

} // namespace
