// The keyboard layout's characters, the process cursor, and the drag
// manager's answers when no drag can exist.

#include <gtest/gtest.h>

#include "TestView.h"
#include "platform/hitoolbox/Headless.h"

namespace {

char translate(UInt16 keyCode, UInt32 modifiers = 0)
{
    const void* layout = reinterpret_cast<const void*>(GetScriptManagerVariable(smKCHRCache));
    UInt32 state = 1;
    const UInt32 result = KeyTranslate(layout, static_cast<UInt16>(keyCode | (modifiers & 0xFF00)), &state);
    EXPECT_EQ(state, 0u);
    return static_cast<char>(result & 0xFF);
}

TEST(KeyboardLayout, KeyCodesGiveUSCharactersShiftAware)
{
    EXPECT_EQ(translate(0), 'a');
    EXPECT_EQ(translate(0, shiftKey), 'A');
    EXPECT_EQ(translate(17), 't');
    EXPECT_EQ(translate(46, shiftKey), 'M');
    EXPECT_EQ(translate(18), '1');
    EXPECT_EQ(translate(18, shiftKey), '!');
    EXPECT_EQ(translate(29, shiftKey), ')');
    EXPECT_EQ(translate(27), '-');
    EXPECT_EQ(translate(44, shiftKey), '?');
    EXPECT_EQ(translate(49), ' ');
    // Caps lock changes letters only; command and option change nothing.
    EXPECT_EQ(translate(9, alphaLock), 'V');
    EXPECT_EQ(translate(18, alphaLock), '1');
    EXPECT_EQ(translate(8, cmdKey | optionKey), 'c');
    // Keys without a printable character.
    EXPECT_EQ(translate(36), 0x0D);
    EXPECT_EQ(translate(51), 0x08);
    EXPECT_EQ(translate(53), 0x1B);
    EXPECT_EQ(translate(123), 0x1C);
    EXPECT_EQ(translate(76), 0x03);
    EXPECT_EQ(translate(92), '9');
    EXPECT_EQ(translate(10), 0);
    EXPECT_EQ(translate(127), 0);
    // A key release (bit 7) still names the key.
    EXPECT_EQ(translate(0x80 | 1), 's');
    EXPECT_EQ(KeyTranslate(nullptr, 0, nullptr), 0u);
}

TEST(KeyboardLayout, TheCurrentLayoutHandsOutTheSameData)
{
    KeyboardLayoutRef layout = nullptr;
    ASSERT_EQ(KLGetCurrentKeyboardLayout(&layout), noErr);
    const void* data = nullptr;
    ASSERT_EQ(KLGetKeyboardLayoutProperty(layout, kKLKCHRData, &data), noErr);
    EXPECT_EQ(reinterpret_cast<long>(data), GetScriptManagerVariable(smKCHRCache));
    EXPECT_EQ(KLGetKeyboardLayoutProperty(layout, kKLuchrData, &data), kKLUnsupportedPropertyErr);
    EXPECT_EQ(GetScriptManagerVariable(smKeyScript), 0);
}

TEST(Cursor, TheLastThemeCursorSetIsShown)
{
    EXPECT_EQ(SetThemeCursor(kThemeNotAllowedCursor), noErr);
    EXPECT_EQ(platform::headless::cursor(), kThemeNotAllowedCursor);
    EXPECT_EQ(SetThemeCursor(kThemeResizeUpDownCursor), noErr);
    EXPECT_EQ(platform::headless::cursor(), kThemeResizeUpDownCursor);
    EXPECT_EQ(SetThemeCursor(kThemePoofCursor + 1), themeBadCursorIndexErr);
    EXPECT_EQ(platform::headless::cursor(), kThemeResizeUpDownCursor);
    InitCursor();
    EXPECT_EQ(platform::headless::cursor(), kThemeArrowCursor);
}

OSErr tracking(DragTrackingMessage, WindowRef, void*, DragRef)
{
    return noErr;
}

OSErr receiving(WindowRef, void*, DragRef)
{
    return noErr;
}

TEST(DragManager, HandlersInstallOnceAndGoWithTheirWindow)
{
    WindowRef window = newTestWindow({100, 100, 200, 200});
    int refCon = 0;
    EXPECT_EQ(InstallTrackingHandler(tracking, window, &refCon), noErr);
    EXPECT_EQ(InstallTrackingHandler(tracking, window, &refCon), duplicateHandlerErr);
    EXPECT_EQ(InstallReceiveHandler(receiving, window, &refCon), noErr);
    EXPECT_EQ(RemoveReceiveHandler(receiving, window), noErr);
    EXPECT_EQ(RemoveReceiveHandler(receiving, window), handlerNotFoundErr);
    EXPECT_EQ(InstallReceiveHandler(receiving, window, &refCon), noErr);
    DisposeWindow(window);
    EXPECT_EQ(RemoveTrackingHandler(tracking, window), handlerNotFoundErr);
    EXPECT_EQ(RemoveReceiveHandler(receiving, window), handlerNotFoundErr);
    EXPECT_EQ(InstallTrackingHandler(nullptr, nullptr, nullptr), paramErr);
}

TEST(DragManager, NoDragHasItemsOrFlavours)
{
    auto* drag = reinterpret_cast<DragRef>(1);
    UInt16 count = 9;
    EXPECT_EQ(CountDragItems(drag, &count), badDragRefErr);
    EXPECT_EQ(count, 0);
    DragItemRef item = 9;
    EXPECT_EQ(GetDragItemReferenceNumber(drag, 1, &item), badDragRefErr);
    EXPECT_EQ(item, 0u);
    EXPECT_EQ(CountDragItemFlavors(drag, 1, &count), badDragRefErr);
    Size size = 9;
    EXPECT_EQ(GetFlavorDataSize(drag, 1, kDragFlavorTypeHFS, &size), badDragRefErr);
    EXPECT_EQ(size, 0);
    char data[4];
    size = sizeof data;
    EXPECT_EQ(GetFlavorData(drag, 1, typeFileURL, data, &size, 0), badDragRefErr);
    EXPECT_EQ(size, 0);
    Point mouse{1, 1};
    EXPECT_EQ(GetDragMouse(drag, &mouse, nullptr), badDragRefErr);
    EXPECT_EQ(mouse.h, 0);
}

} // namespace
