#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/graphics/FontFace.h"
#include "platform/hitoolbox/Menu.h"
#include "platform/hitoolbox/Strings.h"
#include "platform/hitoolbox/WindowBackend.h"

namespace {

using platform::detail::isMenu;
using Item = OpaqueMenuRef::Item;

std::set<MenuRef>& menus()
{
    static std::set<MenuRef> live;
    return live;
}

// The menu list, in insertion order.
std::vector<MenuRef>& menuList()
{
    static std::vector<MenuRef> inserted;
    return inserted;
}

Item* itemOf(MenuRef menu, MenuItemIndex index)
{
    if (!isMenu(menu) || index < 1 || index > menu->items.size()) return nullptr;
    return &menu->items[index - 1];
}

void changed(MenuRef menu)
{
    menu->sized = false;
}

MenuRef newMenu(MenuID id, std::string title)
{
    auto* menu = new OpaqueMenuRef;
    menu->id = id;
    menu->title = std::move(title);
    menus().insert(menu);
    return menu;
}

Item newItem(CFStringRef text, MenuItemAttributes attributes, MenuCommand command)
{
    Item item;
    item.text = platform::detail::utf8Of(text);
    item.attributes = attributes;
    item.command = command;
    return item;
}

// Whether `menu` is `in` or one of its sub-menus, at any depth.
bool inTree(MenuRef in, MenuRef menu)
{
    if (in == menu) return true;
    return std::any_of(in->items.begin(), in->items.end(),
                       [&](const Item& item) { return item.submenu && inTree(item.submenu, menu); });
}

MenuRef findInTree(MenuRef in, MenuID id)
{
    if (in->id == id) return in;
    for (const Item& item : in->items)
        if (item.submenu)
            if (MenuRef found = findInTree(item.submenu, id)) return found;
    return nullptr;
}

double textWidth(const std::string& text)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(surface);
    cairo_set_font_face(cr, platform::detail::fontFace(platform::detail::kMenuFont, false, false));
    cairo_set_font_size(cr, platform::detail::kMenuFontSize);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return extents.x_advance;
}

// Copies what get reads of the item to out.
template <typename T, typename Get> OSStatus readItem(MenuRef menu, MenuItemIndex index, T* out, Get get)
{
    const Item* item = itemOf(menu, index);
    if (!item) return isMenu(menu) ? menuItemNotFoundErr : paramErr;
    if (!out) return paramErr;
    *out = get(*item);
    return noErr;
}

template <typename Set> OSStatus withItem(MenuRef menu, MenuItemIndex index, Set set)
{
    Item* item = itemOf(menu, index);
    if (!item) return isMenu(menu) ? menuItemNotFoundErr : paramErr;
    set(*item);
    changed(menu);
    return noErr;
}

} // namespace

namespace platform::detail {

bool isMenu(MenuRef menu)
{
    return menu && menus().count(menu) != 0;
}

int itemHeight(const Item& item)
{
    if (item.attributes & kMenuItemAttrHidden) return 0;
    return (item.attributes & kMenuItemAttrSeparator) ? kMenuSeparatorHeight : kMenuItemHeight;
}

int itemTop(MenuRef menu, MenuItemIndex item)
{
    int top = kMenuMargin;
    for (MenuItemIndex i = 1; i < item && i <= menu->items.size(); ++i) top += itemHeight(menu->items[i - 1]);
    return top;
}

MenuItemIndex itemAt(MenuRef menu, int y)
{
    int top = kMenuMargin;
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const int height = itemHeight(menu->items[i]);
        if (y >= top && y < top + height) return static_cast<MenuItemIndex>(i + 1);
        top += height;
    }
    return 0;
}

bool choosable(MenuRef menu, MenuItemIndex index)
{
    const Item* item = itemOf(menu, index);
    if (!item || !menu->enabled) return false;
    constexpr MenuItemAttributes kNotChoosable =
        kMenuItemAttrDisabled | kMenuItemAttrHidden | kMenuItemAttrSeparator | kMenuItemAttrSectionHeader;
    if (item->attributes & kNotChoosable) return false;
    return !item->submenu || (item->attributes & kMenuItemAttrSubmenuParentChoosable);
}

std::string commandKeyText(const Item& item)
{
    static constexpr struct {
        SInt16 glyph;
        const char* text;
    } glyphs[] = {
        {kMenuTabRightGlyph, "⇥"},   {kMenuEnterGlyph, "⌤"},      {kMenuReturnGlyph, "↩"},
        {kMenuDeleteLeftGlyph, "⌫"}, {kMenuEscapeGlyph, "⎋"},     {kMenuSpaceGlyph, "␣"},
        {kMenuLeftArrowGlyph, "←"},  {kMenuRightArrowGlyph, "→"}, {kMenuUpArrowGlyph, "↑"},
        {kMenuDownArrowGlyph, "↓"},
    };
    std::string key;
    if (item.glyph != kMenuNullGlyph) {
        const auto* found = std::find_if(std::begin(glyphs), std::end(glyphs),
                                         [&](const auto& g) { return g.glyph == item.glyph; });
        if (found != std::end(glyphs)) key = found->text;
    } else if (item.commandKey > ' ' && item.commandKey < 0x7F && !item.virtualKey) {
        key = static_cast<char>(std::toupper(item.commandKey));
    }
    if (key.empty()) return key;
    std::string text;
    if (item.modifiers & kMenuControlModifier) text += "⌃";
    if (item.modifiers & kMenuOptionModifier) text += "⌥";
    if (item.modifiers & kMenuShiftModifier) text += "⇧";
    if (!(item.modifiers & kMenuNoCommandModifier)) text += "⌘";
    return text + key;
}

} // namespace platform::detail

MenuRef NewMenu(MenuID menuID, ConstStr255Param menuTitle)
{
    if (!menuTitle) return nullptr;
    return newMenu(menuID, std::string(reinterpret_cast<const char*>(menuTitle + 1), menuTitle[0]));
}

OSStatus CreateNewMenu(MenuID inMenuID, MenuAttributes inMenuAttributes, MenuRef* outMenuRef)
{
    if (!outMenuRef) return paramErr;
    *outMenuRef = newMenu(inMenuID, {});
    (*outMenuRef)->attributes = inMenuAttributes;
    return noErr;
}

void DisposeMenu(MenuRef theMenu)
{
    if (!isMenu(theMenu)) return;
    std::erase(menuList(), theMenu);
    menus().erase(theMenu);
    // Parents keep no reference to a menu that went.
    for (MenuRef menu : menus())
        for (Item& item : menu->items)
            if (item.submenu == theMenu) item.submenu = nullptr;
    delete theMenu;
}

MenuID GetMenuID(MenuRef menu)
{
    return isMenu(menu) ? menu->id : 0;
}

UInt16 CountMenuItems(MenuRef theMenu)
{
    return isMenu(theMenu) ? static_cast<UInt16>(theMenu->items.size()) : 0;
}

OSStatus CopyMenuTitleAsCFString(MenuRef inMenu, CFStringRef* outString)
{
    if (!isMenu(inMenu) || !outString) return paramErr;
    *outString = platform::detail::newCFString(inMenu->title);
    return noErr;
}

OSStatus AppendMenuItemTextWithCFString(MenuRef inMenu, CFStringRef inString, MenuItemAttributes inAttributes,
                                        MenuCommand inCommandID, MenuItemIndex* outNewItem)
{
    if (!isMenu(inMenu) || inMenu->items.size() >= 0x7FFF) return paramErr;
    inMenu->items.push_back(newItem(inString, inAttributes, inCommandID));
    changed(inMenu);
    if (outNewItem) *outNewItem = static_cast<MenuItemIndex>(inMenu->items.size());
    return noErr;
}

OSStatus InsertMenuItemTextWithCFString(MenuRef inMenu, CFStringRef inString, MenuItemIndex inAfterItem,
                                        MenuItemAttributes inAttributes, MenuCommand inCommandID)
{
    if (!isMenu(inMenu) || inMenu->items.size() >= 0x7FFF) return paramErr;
    const size_t at = std::min<size_t>(inAfterItem, inMenu->items.size());
    inMenu->items.insert(inMenu->items.begin() + static_cast<std::ptrdiff_t>(at),
                         newItem(inString, inAttributes, inCommandID));
    changed(inMenu);
    return noErr;
}

void DeleteMenuItem(MenuRef theMenu, MenuItemIndex item)
{
    if (!itemOf(theMenu, item)) return;
    theMenu->items.erase(theMenu->items.begin() + (item - 1));
    changed(theMenu);
}

OSStatus SetMenuItemTextWithCFString(MenuRef inMenu, MenuItemIndex inItem, CFStringRef inString)
{
    return withItem(inMenu, inItem, [&](Item& item) { item.text = platform::detail::utf8Of(inString); });
}

OSStatus CopyMenuItemTextAsCFString(MenuRef inMenu, MenuItemIndex inItem, CFStringRef* outString)
{
    return readItem(inMenu, inItem, outString,
                    [&](const Item& i) { return platform::detail::newCFString(i.text); });
}

OSStatus ChangeMenuItemAttributes(MenuRef inMenu, MenuItemIndex inItem,
                                  MenuItemAttributes inSetTheseAttributes,
                                  MenuItemAttributes inClearTheseAttributes)
{
    return withItem(inMenu, inItem, [&](Item& item) {
        item.attributes = (item.attributes | inSetTheseAttributes) & ~inClearTheseAttributes;
    });
}

OSStatus GetMenuItemAttributes(MenuRef inMenu, MenuItemIndex inItem, MenuItemAttributes* outAttributes)
{
    return readItem(inMenu, inItem, outAttributes, [&](const Item& i) { return i.attributes; });
}

namespace {

void setEnabled(MenuRef menu, MenuItemIndex item, bool enabled)
{
    if (isMenu(menu) && item == 0) {
        menu->enabled = enabled;
        return;
    }
    if (enabled)
        ChangeMenuItemAttributes(menu, item, 0, kMenuItemAttrDisabled);
    else
        ChangeMenuItemAttributes(menu, item, kMenuItemAttrDisabled, 0);
}

} // namespace

void DisableMenuItem(MenuRef theMenu, MenuItemIndex item)
{
    setEnabled(theMenu, item, false);
}

void EnableMenuItem(MenuRef theMenu, MenuItemIndex item)
{
    setEnabled(theMenu, item, true);
}

Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex item)
{
    if (isMenu(menu) && item == 0) return menu->enabled;
    const Item* found = itemOf(menu, item);
    return found && menu->enabled && !(found->attributes & kMenuItemAttrDisabled);
}

OSStatus GetMenuItemCommandID(MenuRef inMenu, MenuItemIndex inItem, MenuCommand* outCommandID)
{
    return readItem(inMenu, inItem, outCommandID, [&](const Item& i) { return i.command; });
}

void CheckMenuItem(MenuRef theMenu, short item, Boolean checked)
{
    SetItemMark(theMenu, item, checked ? checkMark : noMark);
}

void SetItemMark(MenuRef theMenu, short item, CharParameter markChar)
{
    withItem(theMenu, static_cast<MenuItemIndex>(item), [&](Item& i) { i.mark = markChar; });
}

void GetItemMark(MenuRef theMenu, short item, CharParameter* markChar)
{
    const Item* found = itemOf(theMenu, static_cast<MenuItemIndex>(item));
    if (markChar) *markChar = found ? found->mark : noMark;
}

void SetItemCmd(MenuRef theMenu, short item, CharParameter cmdChar)
{
    SetMenuItemCommandKey(theMenu, static_cast<MenuItemIndex>(item), false,
                          static_cast<UInt16>(cmdChar & 0xFF));
}

void GetItemCmd(MenuRef theMenu, short item, CharParameter* cmdChar)
{
    const Item* found = itemOf(theMenu, static_cast<MenuItemIndex>(item));
    if (cmdChar) *cmdChar = found && !found->virtualKey ? static_cast<CharParameter>(found->commandKey) : 0;
}

OSStatus SetMenuItemCommandKey(MenuRef inMenu, MenuItemIndex inItem, Boolean inSetVirtualKey, UInt16 inKey)
{
    return withItem(inMenu, inItem, [&](Item& item) {
        item.commandKey = inKey;
        item.virtualKey = inSetVirtualKey;
    });
}

OSStatus GetMenuItemCommandKey(MenuRef inMenu, MenuItemIndex inItem, Boolean inGetVirtualKey, UInt16* outKey)
{
    return readItem(inMenu, inItem, outKey, [&](const Item& i) {
        return i.virtualKey == bool(inGetVirtualKey) ? i.commandKey : UInt16(0);
    });
}

OSStatus SetMenuItemModifiers(MenuRef inMenu, MenuItemIndex inItem, UInt8 inModifiers)
{
    return withItem(inMenu, inItem, [&](Item& item) { item.modifiers = inModifiers; });
}

OSStatus GetMenuItemModifiers(MenuRef inMenu, MenuItemIndex inItem, UInt8* outModifiers)
{
    return readItem(inMenu, inItem, outModifiers, [&](const Item& i) { return i.modifiers; });
}

OSStatus SetMenuItemKeyGlyph(MenuRef inMenu, MenuItemIndex inItem, SInt16 inGlyph)
{
    return withItem(inMenu, inItem, [&](Item& item) { item.glyph = inGlyph; });
}

OSStatus GetMenuItemKeyGlyph(MenuRef inMenu, MenuItemIndex inItem, SInt16* outGlyph)
{
    return readItem(inMenu, inItem, outGlyph, [&](const Item& i) { return i.glyph; });
}

OSStatus SetMenuItemHierarchicalMenu(MenuRef inMenu, MenuItemIndex inItem, MenuRef inHierMenu)
{
    if (inHierMenu && (!isMenu(inHierMenu) || (isMenu(inMenu) && inTree(inHierMenu, inMenu))))
        return paramErr;
    return withItem(inMenu, inItem, [&](Item& item) { item.submenu = inHierMenu; });
}

OSStatus GetMenuItemHierarchicalMenu(MenuRef inMenu, MenuItemIndex inItem, MenuRef* outHierMenu)
{
    return readItem(inMenu, inItem, outHierMenu, [&](const Item& i) { return i.submenu; });
}

void InsertMenu(MenuRef theMenu, MenuID)
{
    if (!isMenu(theMenu) || std::find(menuList().begin(), menuList().end(), theMenu) != menuList().end())
        return;
    menuList().push_back(theMenu);
}

void DeleteMenu(MenuID menuID)
{
    const auto found =
        std::find_if(menuList().begin(), menuList().end(), [&](MenuRef menu) { return menu->id == menuID; });
    if (found != menuList().end()) menuList().erase(found);
}

MenuRef GetMenuRef(MenuID menuID)
{
    const auto found =
        std::find_if(menuList().begin(), menuList().end(), [&](MenuRef menu) { return menu->id == menuID; });
    return found == menuList().end() ? nullptr : *found;
}

MenuRef GetMenuHandle(MenuID menuID)
{
    return GetMenuRef(menuID);
}

short UniqueID(ResType theType)
{
    if (theType != kMenuResType) {
        static short next = 0;
        next = static_cast<short>(next == 0x7FFF ? 1 : next + 1);
        return next;
    }
    std::set<MenuID> used;
    for (MenuRef menu : menus()) used.insert(menu->id);
    MenuID id = 1;
    while (used.count(id) && id < 0x7FFF) ++id;
    return id;
}

void CalcMenuSize(MenuRef theMenu)
{
    using namespace platform::detail;
    if (!isMenu(theMenu)) return;
    const int height = itemTop(theMenu, static_cast<MenuItemIndex>(theMenu->items.size() + 1)) + kMenuMargin;
    double text = 0, keys = 0;
    for (const Item& item : theMenu->items) {
        if (item.attributes & (kMenuItemAttrHidden | kMenuItemAttrSeparator)) continue;
        text = std::max(text, textWidth(item.text));
        keys = std::max(keys, textWidth(commandKeyText(item)));
    }
    const double width = kMenuMarkColumn + text + kMenuKeyColumn + keys;
    theMenu->width = static_cast<SInt16>(std::min(width + 0.999, 32767.0));
    theMenu->height = static_cast<SInt16>(std::min(height, 32767));
    theMenu->sized = true;
}

SInt16 GetMenuWidth(MenuRef menu)
{
    if (!isMenu(menu)) return 0;
    if (!menu->sized) CalcMenuSize(menu);
    return menu->width;
}

SInt16 GetMenuHeight(MenuRef menu)
{
    if (!isMenu(menu)) return 0;
    if (!menu->sized) CalcMenuSize(menu);
    return menu->height;
}

long PopUpMenuSelect(MenuRef menu, short top, short left, short popUpItem)
{
    if (!isMenu(menu) || menu->items.empty()) return 0;
    const MenuItemIndex item =
        popUpItem < 1 || static_cast<size_t>(popUpItem) > menu->items.size() ? 1 : popUpItem;
    const SInt32 answer = platform::detail::windowBackend().popUpMenu(menu, Point{top, left}, item);
    // What ran meanwhile may have disposed of the menu.
    if (!isMenu(menu)) return 0;
    // Only a choice the user could make in this menu's tree counts.
    const MenuRef chosen = findInTree(menu, static_cast<MenuID>(answer >> 16));
    if (answer == 0 || !chosen || !platform::detail::choosable(chosen, static_cast<MenuItemIndex>(answer)))
        return 0;
    return answer;
}

GDHandle GetMainDevice(void)
{
    // Only its identity is used.
    static GDevice* device = nullptr;
    return &device;
}

OSStatus GetAvailableWindowPositioningBounds(GDHandle inDevice, Rect* outAvailableRect)
{
    if (inDevice != GetMainDevice() || !outAvailableRect) return paramErr;
    *outAvailableRect = platform::detail::windowBackend().availableBounds();
    return noErr;
}
