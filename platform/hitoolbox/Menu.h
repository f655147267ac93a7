#pragma once

// A menu: its items and their layout, which the pop-up and the backends
// that show menus share.

#include <string>
#include <vector>

#include "platform/hitoolbox/Menus.h"

struct OpaqueMenuRef {
    struct Item {
        std::string text; // UTF-8
        MenuItemAttributes attributes = 0;
        MenuCommand command = 0;
        CharParameter mark = noMark;
        // A character, or with virtualKey a Macintosh key code; 0 for none.
        UInt16 commandKey = 0;
        bool virtualKey = false;
        UInt8 modifiers = kMenuNoModifiers;
        SInt16 glyph = kMenuNullGlyph;
        MenuRef submenu = nullptr;
    };

    MenuID id = 0;
    std::string title;
    MenuAttributes attributes = 0;
    bool enabled = true;
    std::vector<Item> items;
    // Set by CalcMenuSize; stale when the items changed after it.
    SInt16 width = 0, height = 0;
    bool sized = false;
};

namespace platform::detail {

// The layout of a menu's items, in the menu's coordinates (y downwards,
// 0 at the menu's top).
inline constexpr int kMenuMargin = 4;
inline constexpr int kMenuItemHeight = 18;
inline constexpr int kMenuSeparatorHeight = 12;
// Left of the text, for the mark; right of it, for the command key and the
// sub-menu arrow.
inline constexpr int kMenuMarkColumn = 20;
inline constexpr int kMenuKeyColumn = 48;
// The font items are drawn in, and its size in pixels.
inline constexpr const char* kMenuFont = "sans-serif";
inline constexpr double kMenuFontSize = 13;

int itemHeight(const OpaqueMenuRef::Item& item);
// Top of item (1-based) in the menu; past the last item, the bottom of the
// items.
int itemTop(MenuRef menu, MenuItemIndex item);
// The item (1-based) at y in the menu, 0 for none (the margins); for the
// backends that show menus.
MenuItemIndex itemAt(MenuRef menu, int y);
// Whether the user may choose it: enabled, in an enabled menu, not a
// separator, section title or sub-menu parent.
bool choosable(MenuRef menu, MenuItemIndex item);
// The text shown for the command key ("⌘⇧A", a glyph, or empty).
std::string commandKeyText(const OpaqueMenuRef::Item& item);
bool isMenu(MenuRef menu);

} // namespace platform::detail
