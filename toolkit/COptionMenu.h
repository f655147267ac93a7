#pragma once

// A value display that pops up a menu of text entries when clicked; the
// value is the index of the chosen entry in the full list (separators and
// titles included). Entries carry markup in their first characters:
// "-" a separator, "-M" a sub-menu, "-G" a disabled item, "-T" a section
// title; text after a tab names a keyboard shortcut ("Ctrl", "Alt",
// "Shift", "Apple" anywhere, and "Del", "Left", "Right", "Up", "Down" or a
// last character as the key).

#include <array>
#include <vector>

#include "platform/hitoolbox/HIToolbox.h"
#include "toolkit/CParamDisplay.h"

class COptionMenuScheme;

class COptionMenu : public CParamDisplay {
  public:
    static constexpr long kMaxEntries = 1024;
    // An entry's text and the buffers handed to getEntry and getCurrent hold
    // this many characters, the terminator included.
    static constexpr int kEntrySize = 256;

    COptionMenu(const CRect& size, CControlListener* listener, long tag, CBitmap* background = nullptr,
                CBitmap* bgWhenClick = nullptr, long style = 0);
    ~COptionMenu() override;

    // Appends a sub-menu entry titled title; refuses a menu that would contain itself.
    virtual bool addEntry(COptionMenu* subMenu, const char* title);
    // At index (the end when negative), text cut to 255 characters.
    virtual bool addEntry(const char* text, long index = -1);
    // -1 without a current entry; with countSeparator false, separators and
    // titles are not counted.
    virtual long getCurrent(char* text = nullptr, bool countSeparator = true) const;
    virtual bool setCurrent(long index, bool countSeparator = true);
    virtual bool getEntry(long index, char* text) const;
    virtual bool setEntry(long index, const char* text);
    virtual bool removeEntry(long index);
    virtual bool removeAllEntry();
    virtual long getNbEntries() const { return static_cast<long>(entries.size()); }
    // The first entry equal to text, or -1.
    virtual long getIndex(const char* text) const;
    virtual bool checkEntry(long index, bool checked);
    virtual bool checkEntryAlone(long index);
    virtual bool isCheckEntry(long index) const;
    virtual void setNbItemsPerColumn(long val) { nbItemsPerColumn = val; }
    virtual long getNbItemsPerColumn() const { return nbItemsPerColumn; }
    virtual COptionMenuScheme* getScheme() const { return scheme; }
    // 0 or the width of a position prefix: 2, 3 or 4.
    virtual void setPrefixNumbers(long val) { prefixNumbers = val; }

    // Not held: whoever made the scheme keeps it.
    void setScheme(COptionMenuScheme* val) { scheme = val; }

    void setValue(float val) override;
    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    // Pops the menu up and takes the choice.
    void takeFocus(CDrawContext* context = nullptr) override;
    bool isTypeOf(const char* name) const override;

    // The index chosen in the last pop-up (-1 for none) and the (sub-)menu it was chosen from.
    long getLastResult() const { return lastResult; }
    COptionMenu* getLastItemMenu(long& index) const;
    long getLastButton() const { return lastButton; }

  protected:
    struct Entry {
        std::array<char, kEntrySize> text;
        bool checked = false;
    };

    bool isSeparatorOrTitle(long index) const;
    // The current entry's text as shown: the position prefix skipped.
    const char* shownText() const;
    // Whether menu is this one or one of its sub-menus, at any depth.
    bool contains(const COptionMenu* menu) const;
    // Builds the platform menu of this menu and its sub-menus, adding each
    // menu made to built.
    MenuRef appendItems(std::vector<MenuRef>& built);
    // The control's origin in the window: the frame's place plus the
    // enclosing containers' origins.
    CPoint positionInWindow(CDrawContext* context) const;
    // The menu (this or a sub-menu) that was built with the id.
    COptionMenu* menuWithId(MenuID id);

    std::vector<Entry> entries;
    std::vector<COptionMenu*> subMenus; // held
    long currentIndex = -1;
    long prefixNumbers = 0;
    long nbItemsPerColumn = -1;
    COptionMenuScheme* scheme = nullptr;
    CBitmap* bgWhenClick = nullptr;
    long lastButton = kSecondaryButton;
    MenuID menuID = 0;
    long lastResult = -1;
    COptionMenu* lastMenu = nullptr;
};
