// Menus as a pop-up builds them and the backend shows them: items with
// their marks, keys and sub-menus read back, the scripted answers coming
// back through PopUpMenuSelect, and the menu list.

#include <gtest/gtest.h>

#include "platform/corefoundation/CFRef.h"
#include "platform/hitoolbox/Headless.h"

namespace {

using platform::CFRef;

// Appends an item and returns its index.
MenuItemIndex append(MenuRef menu, const char* text, MenuItemAttributes attributes = 0)
{
    CFRef<CFStringRef> string(CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8));
    MenuItemIndex index = 0;
    EXPECT_EQ(AppendMenuItemTextWithCFString(menu, string.get(), attributes, 0, &index), noErr);
    return index;
}

std::string itemText(MenuRef menu, MenuItemIndex item)
{
    CFStringRef text = nullptr;
    if (CopyMenuItemTextAsCFString(menu, item, &text) != noErr) return "<none>";
    char buffer[256];
    CFStringGetCString(text, buffer, sizeof buffer, kCFStringEncodingUTF8);
    CFRelease(text);
    return buffer;
}

const unsigned char kTitle[] = "\005PopUp";

class Menus : public ::testing::Test {
  protected:
    void SetUp() override
    {
        // The tree a tempo menu with a sub-menu makes: "man", a separator, a
        // title, a disabled entry, a sub-menu entry, and a checked entry.
        top = NewMenu(UniqueID(kMenuResType), kTitle);
        sub = NewMenu(UniqueID(kMenuResType), kTitle);
        append(top, "man");
        append(top, "", kMenuItemAttrSeparator);
        append(top, "Tempo", kMenuItemAttrSectionHeader);
        append(top, "off", kMenuItemAttrDisabled);
        const MenuItemIndex parent = append(top, "more");
        append(top, "1/1\tCtrl+Shift+K");
        SetMenuItemHierarchicalMenu(top, parent, sub);
        append(sub, "1/4");
        append(sub, "1/8");
        CheckMenuItem(sub, 2, true);
        InsertMenu(sub, kInsertHierarchicalMenu);
        InsertMenu(top, kInsertHierarchicalMenu);
    }
    void TearDown() override
    {
        while (top && platform::headless::pendingPopUpAnswers() > 0) PopUpMenuSelect(top, 0, 0, 1);
        DisposeMenu(top);
        DisposeMenu(sub);
    }

    MenuRef top = nullptr, sub = nullptr;
};

TEST_F(Menus, ItemsReadBackWithTheirMarksKeysAndSubMenus)
{
    EXPECT_NE(GetMenuID(top), GetMenuID(sub));
    EXPECT_EQ(CountMenuItems(top), 6);
    EXPECT_EQ(itemText(top, 6), "1/1\tCtrl+Shift+K");
    EXPECT_EQ(itemText(top, 7), "<none>");

    MenuItemAttributes attributes = 0;
    GetMenuItemAttributes(top, 2, &attributes);
    EXPECT_TRUE(attributes & kMenuItemAttrSeparator);
    EXPECT_FALSE(IsMenuItemEnabled(top, 4));
    EXPECT_TRUE(IsMenuItemEnabled(top, 1));
    EnableMenuItem(top, 4);
    EXPECT_TRUE(IsMenuItemEnabled(top, 4));
    DisableMenuItem(top, 0);
    EXPECT_FALSE(IsMenuItemEnabled(top, 1));
    EnableMenuItem(top, 0);

    CharParameter mark = -1;
    GetItemMark(sub, 2, &mark);
    EXPECT_EQ(mark, checkMark);
    CheckMenuItem(sub, 2, false);
    GetItemMark(sub, 2, &mark);
    EXPECT_EQ(mark, noMark);

    // A character key and a virtual key replace each other.
    SetItemCmd(top, 6, 'K');
    SetMenuItemModifiers(top, 6, kMenuShiftModifier | kMenuControlModifier);
    UInt16 key = 0;
    GetMenuItemCommandKey(top, 6, false, &key);
    EXPECT_EQ(key, 'K');
    SetMenuItemCommandKey(top, 6, true, 123);
    SetMenuItemKeyGlyph(top, 6, kMenuLeftArrowGlyph);
    GetMenuItemCommandKey(top, 6, false, &key);
    EXPECT_EQ(key, 0);
    GetMenuItemCommandKey(top, 6, true, &key);
    EXPECT_EQ(key, 123);
    SInt16 glyph = 0;
    GetMenuItemKeyGlyph(top, 6, &glyph);
    EXPECT_EQ(glyph, kMenuLeftArrowGlyph);
    UInt8 modifiers = 0;
    GetMenuItemModifiers(top, 6, &modifiers);
    EXPECT_EQ(modifiers, kMenuShiftModifier | kMenuControlModifier);

    MenuRef found = nullptr;
    GetMenuItemHierarchicalMenu(top, 5, &found);
    EXPECT_EQ(found, sub);
    EXPECT_EQ(SetMenuItemTextWithCFString(top, 9, CFSTR("x")), menuItemNotFoundErr);
}

TEST_F(Menus, APopUpAnswersTheChosenMenuAndItem)
{
    platform::headless::answerPopUp(GetMenuID(top), 6);
    EXPECT_EQ(PopUpMenuSelect(top, 300, 200, 1), (long(GetMenuID(top)) << 16) | 6);

    // A sub-menu's item comes back with the sub-menu's id.
    platform::headless::answerPopUp(GetMenuID(sub), 2);
    EXPECT_EQ(PopUpMenuSelect(top, 300, 200, 1), (long(GetMenuID(sub)) << 16) | 2);

    platform::headless::dismissPopUp();
    EXPECT_EQ(PopUpMenuSelect(top, 300, 200, 1), 0);
    // Nothing queued: dismissed.
    EXPECT_EQ(PopUpMenuSelect(top, 300, 200, 1), 0);
}

TEST_F(Menus, WhatCannotBeChosenIsADismissal)
{
    const unsigned before = platform::headless::popUpCount();
    // The separator, the title, the disabled item, the sub-menu's parent, an
    // item past the end, and a menu outside the tree.
    for (MenuItemIndex item : {2, 3, 4, 5, 7}) platform::headless::answerPopUp(GetMenuID(top), item);
    platform::headless::answerPopUp(GetMenuID(top) + 100, 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(PopUpMenuSelect(top, 0, 0, 1), 0) << i;
    EXPECT_EQ(platform::headless::popUpCount(), before + 6);

    // Nor from a disabled menu.
    DisableMenuItem(sub, 0);
    platform::headless::answerPopUp(GetMenuID(sub), 1);
    EXPECT_EQ(PopUpMenuSelect(top, 0, 0, 1), 0);
}

TEST_F(Menus, TheBackendSeesTheTreeAndTheAnchor)
{
    SetMenuItemCommandKey(top, 6, false, 'K');
    SetMenuItemModifiers(top, 6, kMenuNoCommandModifier | kMenuShiftModifier);
    platform::headless::dismissPopUp();
    PopUpMenuSelect(top, 310, 205, 9);

    const platform::headless::PopUp* shown = platform::headless::lastPopUp();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->anchor.v, 310);
    EXPECT_EQ(shown->anchor.h, 205);
    // Out of range: the first item.
    EXPECT_EQ(shown->popUpItem, 1);
    EXPECT_EQ(shown->menu.title, "PopUp");
    ASSERT_EQ(shown->menu.items.size(), 6u);
    const auto& items = shown->menu.items;
    EXPECT_EQ(items[0].text, "man");
    EXPECT_TRUE(items[1].separator);
    EXPECT_TRUE(items[2].sectionTitle);
    EXPECT_FALSE(items[3].enabled);
    EXPECT_TRUE(items[0].enabled);
    EXPECT_EQ(items[5].commandKey, 'K');
    EXPECT_EQ(items[5].modifiers, kMenuNoCommandModifier | kMenuShiftModifier);
    ASSERT_TRUE(items[4].submenu);
    EXPECT_EQ(items[4].submenu->id, GetMenuID(sub));
    ASSERT_EQ(items[4].submenu->items.size(), 2u);
    EXPECT_EQ(items[4].submenu->items[1].mark, checkMark);
    EXPECT_FALSE(items[0].submenu);
}

TEST_F(Menus, AMenuDisposedOfWhileItIsOpenIsNoChoice)
{
    MenuRef open = top;
    platform::headless::answerPopUp(GetMenuID(top), 1);
    platform::headless::whilePoppedUp([&] {
        DisposeMenu(top);
        top = nullptr;
    });
    EXPECT_EQ(PopUpMenuSelect(open, 0, 0, 1), 0);
    EXPECT_EQ(platform::headless::pendingPopUpAnswers(), 0u);
}

TEST_F(Menus, SizesFollowTheItems)
{
    const SInt16 height = GetMenuHeight(top);
    const SInt16 width = GetMenuWidth(top);
    EXPECT_GT(width, 0);
    // Five items and a separator, thinner, with margins.
    EXPECT_GT(height, 5 * 12);
    append(top, "a much longer item than any of the others");
    EXPECT_GT(GetMenuHeight(top), height);
    EXPECT_GT(GetMenuWidth(top), width);
    const SInt16 withSeparator = GetMenuHeight(top);
    append(top, "", kMenuItemAttrSeparator);
    const SInt16 separator = GetMenuHeight(top) - withSeparator;
    append(top, "b");
    EXPECT_LT(separator, GetMenuHeight(top) - withSeparator - separator);
}

TEST_F(Menus, TheMenuListAndFreshIdentifiers)
{
    EXPECT_EQ(GetMenuRef(GetMenuID(sub)), sub);
    const MenuID fresh = UniqueID(kMenuResType);
    EXPECT_NE(fresh, GetMenuID(top));
    EXPECT_NE(fresh, GetMenuID(sub));
    EXPECT_GT(fresh, 0);
    DeleteMenu(GetMenuID(sub));
    EXPECT_EQ(GetMenuRef(GetMenuID(sub)), nullptr);
    EXPECT_EQ(GetMenuRef(GetMenuID(top)), top);
}

TEST_F(Menus, NoMenuIsItsOwnSubMenu)
{
    EXPECT_EQ(SetMenuItemHierarchicalMenu(top, 1, top), paramErr);
    // Nor through another.
    EXPECT_EQ(SetMenuItemHierarchicalMenu(sub, 1, top), paramErr);
    MenuRef found = nullptr;
    GetMenuItemHierarchicalMenu(sub, 1, &found);
    EXPECT_EQ(found, nullptr);
}

TEST_F(Menus, ADisposedSubMenuIsNoLongerReferred)
{
    DisposeMenu(sub);
    MenuRef found = top;
    GetMenuItemHierarchicalMenu(top, 5, &found);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(GetMenuRef(GetMenuID(sub)), nullptr);
    sub = nullptr;
    // A pop-up of what is left works.
    platform::headless::answerPopUp(GetMenuID(top), 1);
    EXPECT_EQ(PopUpMenuSelect(top, 0, 0, 1) & 0xFFFF, 1);
}

TEST(ScreenBounds, AvailableBoundsComeFromTheBackend)
{
    Rect bounds{};
    EXPECT_EQ(GetAvailableWindowPositioningBounds(GetMainDevice(), &bounds), noErr);
    EXPECT_EQ(bounds.bottom, 1080);
    platform::headless::setScreen({0, 0, 600, 800}, {20, 0, 580, 800});
    GetAvailableWindowPositioningBounds(GetMainDevice(), &bounds);
    EXPECT_EQ(bounds.top, 20);
    EXPECT_EQ(bounds.bottom, 580);
    platform::headless::setScreen({0, 0, 1080, 1920}, {22, 0, 1080, 1920});
    EXPECT_EQ(GetAvailableWindowPositioningBounds(GetMainDevice(), nullptr), paramErr);
}

} // namespace
