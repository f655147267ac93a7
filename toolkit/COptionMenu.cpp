#include "toolkit/COptionMenu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/COptionMenuScheme.h"
#include "toolkit/NumericConversions.h"

namespace {

constexpr size_t kGrowEntries = 32;
constexpr size_t kGrowSubMenus = 10;

bool startsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// An entry's stored text: the sub-menu mark, the 1-based position in the
// prefix mode's width, and the text, cut to the buffer.
void formatEntry(char* buffer, long mode, bool subMenu, long position, const char* text)
{
    const char* format = nullptr;
    switch (mode) {
    case 2:
        format = subMenu ? "-M%1d %s" : "%1d %s";
        break;
    case 3:
        format = subMenu ? "-M%02d %s" : "%02d %s";
        break;
    case 4:
        format = subMenu ? "-M%03d %s" : "%03d %s";
        break;
    default:
        std::snprintf(buffer, COptionMenu::kEntrySize, subMenu ? "-M%s" : "%s", text);
        return;
    }
    std::snprintf(buffer, COptionMenu::kEntrySize, format, static_cast<int>(position), text);
}

template <typename T> void growBy(std::vector<T>& array, size_t step)
{
    if (array.size() == array.capacity()) array.reserve(array.capacity() + step);
}

} // namespace

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                         CBitmap* bgWhenClick, long style)
    : CParamDisplay(size, background, style), bgWhenClick(bgWhenClick)
{
    this->listener = listener;
    this->tag = tag;
    if (bgWhenClick) bgWhenClick->remember();
}

COptionMenu::~COptionMenu()
{
    removeAllEntry();
    if (bgWhenClick) bgWhenClick->forget();
}

bool COptionMenu::isTypeOf(const char* name) const
{
    return std::strcmp(name, "COptionMenu") == 0 || CParamDisplay::isTypeOf(name);
}

bool COptionMenu::contains(const COptionMenu* menu) const
{
    return menu == this || std::any_of(subMenus.begin(), subMenus.end(),
                                       [menu](const COptionMenu* sub) { return sub->contains(menu); });
}

bool COptionMenu::addEntry(COptionMenu* subMenu, const char* title)
{
    if (!subMenu || !title || getNbEntries() >= kMaxEntries) return false;
    // A menu inside its own tree would be built without end.
    if (subMenu->contains(this)) return false;

    Entry entry;
    formatEntry(entry.text.data(), prefixNumbers, true, getNbEntries() + 1, title);
    growBy(entries, kGrowEntries);
    entries.push_back(entry);
    growBy(subMenus, kGrowSubMenus);
    subMenus.push_back(subMenu);
    subMenu->remember();
    if (currentIndex < 0) currentIndex = 0;
    return true;
}

bool COptionMenu::addEntry(const char* text, long index)
{
    if (getNbEntries() >= kMaxEntries) return false;
    const long position = index < 0 ? getNbEntries() : std::min(index, getNbEntries());
    if (!text) text = "";

    Entry entry;
    formatEntry(entry.text.data(), prefixNumbers, false, position + 1, text);
    growBy(entries, kGrowEntries);
    entries.insert(entries.begin() + position, entry);

    if (index >= 0 && currentIndex >= index) ++currentIndex;
    if (currentIndex < 0) currentIndex = 0;
    return true;
}

bool COptionMenu::getEntry(long index, char* text) const
{
    if (index < 0 || index >= getNbEntries()) return false;
    if (text) std::strcpy(text, entries[index].text.data());
    return true;
}

bool COptionMenu::setEntry(long index, const char* text)
{
    if (index < 0 || index >= getNbEntries()) return false;
    std::snprintf(entries[index].text.data(), kEntrySize, "%s", text ? text : "");
    return true;
}

bool COptionMenu::removeEntry(long index)
{
    if (index < 0 || index >= getNbEntries()) return false;
    entries.erase(entries.begin() + index);
    if (entries.empty())
        currentIndex = -1;
    else if (currentIndex >= index)
        --currentIndex;
    return true;
}

bool COptionMenu::removeAllEntry()
{
    entries.clear();
    for (COptionMenu* subMenu : subMenus) subMenu->forget();
    subMenus.clear();
    currentIndex = -1;
    return true;
}

long COptionMenu::getIndex(const char* text) const
{
    for (long i = 0; i < getNbEntries(); ++i)
        if (std::strcmp(entries[i].text.data(), text) == 0) return i;
    return -1;
}

bool COptionMenu::checkEntry(long index, bool checked)
{
    if (index < 0 || index >= getNbEntries()) return false;
    entries[index].checked = checked;
    return true;
}

bool COptionMenu::checkEntryAlone(long index)
{
    if (index < 0 || index >= getNbEntries()) return false;
    for (Entry& entry : entries) entry.checked = false;
    entries[index].checked = true;
    return true;
}

bool COptionMenu::isCheckEntry(long index) const
{
    return index >= 0 && index < getNbEntries() && entries[index].checked;
}

bool COptionMenu::isSeparatorOrTitle(long index) const
{
    const char* text = entries[index].text.data();
    return std::strcmp(text, "-") == 0 || startsWith(text, "-T");
}

bool COptionMenu::setCurrent(long index, bool countSeparator)
{
    if (index < 0 || index >= getNbEntries()) return false;
    long position = index;
    if (countSeparator) {
        if (std::strcmp(entries[index].text.data(), "-") == 0) return false;
    } else {
        // The index-th entry that is neither a separator nor a title.
        position = -1;
        for (long i = 0, counted = 0; i < getNbEntries() && position < 0; ++i)
            if (!isSeparatorOrTitle(i) && counted++ == index) position = i;
        if (position < 0) return false;
    }
    currentIndex = position;
    if (style & kCheckStyle) entries[position].checked = !entries[position].checked;
    setDirty();
    return true;
}

long COptionMenu::getCurrent(char* text, bool countSeparator) const
{
    if (currentIndex < 0 || currentIndex >= getNbEntries()) return -1;
    if (text) std::strcpy(text, entries[currentIndex].text.data());
    if (countSeparator) return currentIndex;
    long counted = 0;
    for (long i = 0; i < currentIndex; ++i)
        if (!isSeparatorOrTitle(i)) ++counted;
    return counted;
}

void COptionMenu::setValue(float val)
{
    // Truncation towards zero: anything from above -1 to below the count
    // names an entry; NaN and all else change nothing.
    if (!(val > -1.f && val < static_cast<float>(getNbEntries()))) return;
    const long index = static_cast<long>(val);
    currentIndex = index;
    if (style & kCheckStyle) entries[index].checked = !entries[index].checked;
    value = val;
    setDirty();
}

const char* COptionMenu::shownText() const
{
    if (currentIndex < 0 || currentIndex >= getNbEntries()) return nullptr;
    const char* text = entries[currentIndex].text.data();
    return text + std::min<size_t>(std::max<long>(prefixNumbers, 0), std::strlen(text));
}

void COptionMenu::draw(CDrawContext* context)
{
    drawText(context, shownText());
}

void COptionMenu::mouse(CDrawContext* context, CPoint&, long buttons)
{
    if (!bMouseEnabled || !pParentFrame || !context) return;
    if (buttons == kButtonsFromContext) buttons = context->getMouseButtons();
    lastButton = buttons;
    if (offerModifierClick(context, buttons)) return;
    if (!(buttons & (kPrimaryButton | kSecondaryButton | kControlHeld))) return;
    // The pressed look, until the pop-up is done.
    if (bgWhenClick) drawText(context, shownText(), bgWhenClick);
    beginEdit();
    takeFocus(context);
}

COptionMenu* COptionMenu::getLastItemMenu(long& index) const
{
    index = lastMenu ? lastResult : -1;
    return lastMenu;
}

namespace {

// Sets an item's keyboard shortcut from the description after a tab.
void setShortcut(MenuRef menu, MenuItemIndex item, const char* description)
{
    if (!*description) {
        SetMenuItemModifiers(menu, item, kMenuNoCommandModifier);
        return;
    }
    UInt8 modifiers = kMenuNoModifiers;
    if (!std::strstr(description, "Ctrl")) modifiers |= kMenuNoCommandModifier;
    if (std::strstr(description, "Alt")) modifiers |= kMenuOptionModifier;
    if (std::strstr(description, "Shift")) modifiers |= kMenuShiftModifier;
    if (std::strstr(description, "Apple")) modifiers |= kMenuControlModifier;
    SetMenuItemModifiers(menu, item, modifiers);

    constexpr UInt16 kDeleteLeftKey = 23;
    static constexpr struct {
        const char* name;
        SInt16 glyph;
    } kArrows[] = {{"Left", kMenuLeftArrowGlyph},
                   {"Right", kMenuRightArrowGlyph},
                   {"Up", kMenuUpArrowGlyph},
                   {"Down", kMenuDownArrowGlyph}};
    if (startsWith(description, "Del")) {
        SetMenuItemCommandKey(menu, item, false, kDeleteLeftKey);
        return;
    }
    for (const auto& arrow : kArrows)
        if (startsWith(description, arrow.name)) {
            SetMenuItemCommandKey(menu, item, false, static_cast<UInt16>(arrow.glyph));
            SetMenuItemKeyGlyph(menu, item, arrow.glyph);
            return;
        }
    SetMenuItemCommandKey(menu, item, false,
                          static_cast<unsigned char>(description[std::strlen(description) - 1]));
}

MenuItemIndex appendItem(MenuRef menu, const char* text, MenuItemAttributes attributes)
{
    CFStringRef string = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
    MenuItemIndex item = 0;
    AppendMenuItemTextWithCFString(menu, string ? string : CFSTR(""), attributes, 0, &item);
    if (string) CFRelease(string);
    return item;
}

} // namespace

MenuRef COptionMenu::appendItems(std::vector<MenuRef>& built)
{
    static constexpr unsigned char kTitle[] = {5, 'P', 'o', 'p', 'U', 'p'};
    menuID = UniqueID(kMenuResType);
    MenuRef menu = NewMenu(menuID, kTitle);
    if (!menu) return nullptr;
    built.push_back(menu);

    size_t nextSubMenu = 0;
    for (const Entry& entry : entries) {
        const char* text = entry.text.data();
        MenuItemIndex item;
        if (std::strcmp(text, "-") == 0) {
            item = appendItem(menu, "", kMenuItemAttrSeparator);
        } else if (startsWith(text, "-M")) {
            if (nextSubMenu == subMenus.size()) continue;
            MenuRef subMenu = subMenus[nextSubMenu++]->appendItems(built);
            item = appendItem(menu, text + 2, 0);
            if (subMenu) SetMenuItemHierarchicalMenu(menu, item, subMenu);
        } else if (startsWith(text, "-G")) {
            item = appendItem(menu, text + 2, kMenuItemAttrDisabled);
        } else if (startsWith(text, "-T")) {
            item = appendItem(menu, text + 2, kMenuItemAttrSectionHeader);
        } else {
            item = appendItem(menu, text, 0);
        }
        if (const char* tab = std::strchr(text, '\t')) setShortcut(menu, item, tab + 1);
        if ((style & kCheckStyle) && entry.checked) CheckMenuItem(menu, item, true);
    }
    if (!(style & kCheckStyle) && (style & kCheckCurrentStyle)) CheckMenuItem(menu, currentIndex + 1, true);
    InsertMenu(menu, kInsertHierarchicalMenu);
    return menu;
}

COptionMenu* COptionMenu::menuWithId(MenuID id)
{
    if (menuID == id) return this;
    for (COptionMenu* subMenu : subMenus)
        if (COptionMenu* found = subMenu->menuWithId(id)) return found;
    return nullptr;
}

CPoint COptionMenu::positionInWindow(CDrawContext* context) const
{
    CPoint where;
    if (context) {
        where = context->getScreenOffset();
    } else if (HIViewRef view = pParentFrame->getPlatformControl()) {
        HIRect frame;
        HIViewGetFrame(view, &frame);
        const CGPoint scroll = pParentFrame->getScrollOrigin();
        where = CPoint(static_cast<CCoord>(frame.origin.x + scroll.x),
                       static_cast<CCoord>(frame.origin.y + scroll.y));
    }
    for (CView* parent = pParentView; parent && parent != pParentFrame; parent = parent->getParentView()) {
        CRect rect;
        parent->getViewSize(rect);
        where.offset(rect.left, rect.top);
    }
    return where;
}

void COptionMenu::takeFocus(CDrawContext* context)
{
    CFrame* frame = pParentFrame;
    if (!frame) return;
    lastResult = -1;
    lastMenu = nullptr;

    const CPoint where = positionInWindow(context);
    const long count = getNbEntries();
    if (count == 0) {
        endEdit();
        frame->setFocusView(nullptr);
        return;
    }

    CCoord x = 0, y = 0;
    frame->getPosition(x, y);
    const CCoord left = x + where.h + size.left;
    const CCoord top = y + where.v + (style & kPopupStyle ? size.top : size.bottom);

    std::vector<MenuRef> built;
    MenuRef menu = appendItems(built);
    CalcMenuSize(menu);
    const CCoord menuHeight = GetMenuHeight(menu);
    const CCoord itemHeight = (menuHeight + count - 1) / count;
    setDirty(false);

    Rect screen{};
    GetAvailableWindowPositioningBounds(GetMainDevice(), &screen);
    const CCoord limit = screen.bottom;
    CCoord itemTop = top;
    long popUpItem = 1;
    if (top + menuHeight < limit - itemHeight / 2)
        itemTop = top;
    else if (count * itemHeight < limit)
        itemTop = limit - menuHeight - itemHeight;
    else
        popUpItem = std::min(count, currentIndex + 2);

    // The pop-up runs the event loop: a close arriving there must not free
    // this menu or its frame under us.
    Tracking tracking(this);
    const long result = menu ? PopUpMenuSelect(menu, toolkit::clampTo<short>(int64_t{itemTop}),
                                               toolkit::clampTo<short>(int64_t{left}),
                                               toolkit::clampTo<short>(int64_t{popUpItem}))
                             : 0;
    for (MenuRef platformMenu : built) DisposeMenu(platformMenu);
    if (!tracking.frameOpen()) return;

    const auto chosenMenu = static_cast<MenuID>(result >> 16);
    const long item = result & 0xFFFF;
    lastResult = item - 1;
    if (bgWhenClick) setDirty();

    if (result != 0)
        if (COptionMenu* chosen = menuWithId(chosenMenu)) {
            CDrawContext* choiceContext = context;
            if (choiceContext)
                choiceContext->remember();
            else
                choiceContext = frame->createDrawContext();
            lastMenu = chosen;
            chosen->setValue(static_cast<float>(item - 1));
            if (listener) listener->valueChanged(choiceContext, chosen);
            if (choiceContext) choiceContext->forget();
        }

    if (!tracking.frameOpen()) return;
    frame->setFocusView(nullptr);
    endEdit();
}
