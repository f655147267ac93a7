#pragma once

// Pop-up menus: items with text, marks, command keys and sub-menus, the
// menu list that hierarchical menus are inserted into, and the modal
// pop-up, which the window backend shows.
//
// A menu's size is that of its laid-out items (see CalcMenuSize); items are
// numbered from 1. Separators, section titles, disabled items and items
// with a sub-menu cannot be chosen.
//
// Main thread only.

#include "platform/hitoolbox/CarbonEvents.h"

typedef struct OpaqueMenuRef* MenuRef;
typedef MenuRef MenuHandle;
using MenuID = SInt16;
using MenuItemIndex = UInt16;
using MenuCommand = UInt32;
using MenuAttributes = UInt32;
using MenuItemAttributes = UInt32;
using CharParameter = SInt16;
using ResType = OSType;
using Str255 = unsigned char[256];
using ConstStr255Param = const unsigned char*;

// Item attributes.
enum : MenuItemAttributes {
    kMenuItemAttrDisabled = 1u << 0,
    kMenuItemAttrIconDisabled = 1u << 1,
    kMenuItemAttrSubmenuParentChoosable = 1u << 2,
    kMenuItemAttrDynamic = 1u << 3,
    kMenuItemAttrNotPreviousAlternate = 1u << 4,
    kMenuItemAttrHidden = 1u << 5,
    kMenuItemAttrSeparator = 1u << 6,
    kMenuItemAttrSectionHeader = 1u << 7,
    kMenuItemAttrIgnoreMeta = 1u << 8,
};

// Command-key modifiers: command is implied unless kMenuNoCommandModifier.
enum : UInt8 {
    kMenuNoModifiers = 0,
    kMenuShiftModifier = 1u << 0,
    kMenuOptionModifier = 1u << 1,
    kMenuControlModifier = 1u << 2,
    kMenuNoCommandModifier = 1u << 3,
};

// Key glyphs (SetMenuItemKeyGlyph), and the virtual key codes' glyphs.
enum : SInt16 {
    kMenuNullGlyph = 0x00,
    kMenuTabRightGlyph = 0x02,
    kMenuEnterGlyph = 0x04,
    kMenuReturnGlyph = 0x0B,
    kMenuDeleteLeftGlyph = 0x17,
    kMenuEscapeGlyph = 0x1B,
    kMenuSpaceGlyph = 0x09,
    kMenuLeftArrowGlyph = 0x64,
    kMenuRightArrowGlyph = 0x65,
    kMenuUpArrowGlyph = 0x68,
    kMenuDownArrowGlyph = 0x6A,
};

// Marks (SetItemMark).
inline constexpr CharParameter noMark = 0;
inline constexpr CharParameter checkMark = 0x12;
inline constexpr CharParameter diamondMark = 0x13;

// InsertMenu's beforeID for a hierarchical or pop-up menu.
inline constexpr MenuID kInsertHierarchicalMenu = -1;

// The resource type whose unused identifiers UniqueID gives for menus.
inline constexpr ResType kMenuResType = FourCharCode("MENU");

inline constexpr OSStatus menuPropertyInvalidErr = -5603;
inline constexpr OSStatus menuItemNotFoundErr = -5620;
inline constexpr OSStatus menuNotFoundErr = -5623;

#pragma GCC visibility push(default)
extern "C" {

// A menu with a length-prefixed title. Null for a null title.
MenuRef NewMenu(MenuID menuID, ConstStr255Param menuTitle);
OSStatus CreateNewMenu(MenuID inMenuID, MenuAttributes inMenuAttributes, MenuRef* outMenuRef);
// Also takes it out of the menu list. Sub-menus are not disposed of.
void DisposeMenu(MenuRef theMenu);
MenuID GetMenuID(MenuRef menu);
UInt16 CountMenuItems(MenuRef theMenu);
// Retained for the caller.
OSStatus CopyMenuTitleAsCFString(MenuRef inMenu, CFStringRef* outString);

// Items. The text is copied; attributes as above.
OSStatus AppendMenuItemTextWithCFString(MenuRef inMenu, CFStringRef inString, MenuItemAttributes inAttributes,
                                        MenuCommand inCommandID, MenuItemIndex* outNewItem);
// After item inAfterItem (0: first).
OSStatus InsertMenuItemTextWithCFString(MenuRef inMenu, CFStringRef inString, MenuItemIndex inAfterItem,
                                        MenuItemAttributes inAttributes, MenuCommand inCommandID);
void DeleteMenuItem(MenuRef theMenu, MenuItemIndex item);
OSStatus SetMenuItemTextWithCFString(MenuRef inMenu, MenuItemIndex inItem, CFStringRef inString);
OSStatus CopyMenuItemTextAsCFString(MenuRef inMenu, MenuItemIndex inItem, CFStringRef* outString);
OSStatus ChangeMenuItemAttributes(MenuRef inMenu, MenuItemIndex inItem,
                                  MenuItemAttributes inSetTheseAttributes,
                                  MenuItemAttributes inClearTheseAttributes);
OSStatus GetMenuItemAttributes(MenuRef inMenu, MenuItemIndex inItem, MenuItemAttributes* outAttributes);
// Item 0 stands for the whole menu.
void DisableMenuItem(MenuRef theMenu, MenuItemIndex item);
void EnableMenuItem(MenuRef theMenu, MenuItemIndex item);
Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex item);
OSStatus GetMenuItemCommandID(MenuRef inMenu, MenuItemIndex inItem, MenuCommand* outCommandID);

// Marks: CheckMenuItem sets checkMark or noMark.
void CheckMenuItem(MenuRef theMenu, short item, Boolean checked);
void SetItemMark(MenuRef theMenu, short item, CharParameter markChar);
void GetItemMark(MenuRef theMenu, short item, CharParameter* markChar);

// Command keys: a character (SetItemCmd, or SetMenuItemCommandKey without
// inSetVirtualKey) or a Macintosh virtual key code; setting one clears the
// other.
void SetItemCmd(MenuRef theMenu, short item, CharParameter cmdChar);
void GetItemCmd(MenuRef theMenu, short item, CharParameter* cmdChar);
OSStatus SetMenuItemCommandKey(MenuRef inMenu, MenuItemIndex inItem, Boolean inSetVirtualKey, UInt16 inKey);
OSStatus GetMenuItemCommandKey(MenuRef inMenu, MenuItemIndex inItem, Boolean inGetVirtualKey, UInt16* outKey);
OSStatus SetMenuItemModifiers(MenuRef inMenu, MenuItemIndex inItem, UInt8 inModifiers);
OSStatus GetMenuItemModifiers(MenuRef inMenu, MenuItemIndex inItem, UInt8* outModifiers);
OSStatus SetMenuItemKeyGlyph(MenuRef inMenu, MenuItemIndex inItem, SInt16 inGlyph);
OSStatus GetMenuItemKeyGlyph(MenuRef inMenu, MenuItemIndex inItem, SInt16* outGlyph);

// Sub-menus. The item refers to the menu (not retained); a menu cannot be
// its own sub-menu, nor one of its sub-menus' (paramErr).
OSStatus SetMenuItemHierarchicalMenu(MenuRef inMenu, MenuItemIndex inItem, MenuRef inHierMenu);
OSStatus GetMenuItemHierarchicalMenu(MenuRef inMenu, MenuItemIndex inItem, MenuRef* outHierMenu);

// The menu list: InsertMenu with kInsertHierarchicalMenu (or any beforeID)
// makes the menu findable by its id; DeleteMenu takes it out.
void InsertMenu(MenuRef theMenu, MenuID beforeID);
void DeleteMenu(MenuID menuID);
// The menu in the list with that id, or null.
MenuRef GetMenuRef(MenuID menuID);
MenuRef GetMenuHandle(MenuID menuID);
// A positive identifier not used by any live menu, for kMenuResType; for
// other types a positive number unused by this call before.
short UniqueID(ResType theType);

// Size: computed by CalcMenuSize (and by the getters when the items
// changed since).
void CalcMenuSize(MenuRef theMenu);
SInt16 GetMenuWidth(MenuRef menu);
SInt16 GetMenuHeight(MenuRef menu);

// Shows the menu modally with item popUpItem (0 or out of range: the first)
// at the global point (left, top). The chosen menu's id (this menu or one of
// its sub-menus) in the high 16 bits and the item in the low 16 bits; 0
// when dismissed or nothing choosable was chosen.
long PopUpMenuSelect(MenuRef menu, short top, short left, short popUpItem);

// The screen: its bounds in global coordinates, and the part of it windows
// and menus may be placed on.
GDHandle GetMainDevice(void);
OSStatus GetAvailableWindowPositioningBounds(GDHandle inDevice, Rect* outAvailableRect);

} // extern "C"
#pragma GCC visibility pop
