#pragma once

// A pop-up menu on an X11 display: each open level (the menu, then the
// sub-menus opened from it) an override-redirect window drawn with Cairo,
// the pointer and keyboard grabbed until the user chooses or dismisses.

#include <X11/Xlib.h>
#include <cairo.h>

#include <functional>
#include <vector>

#include "platform/hitoolbox/Menu.h"

namespace platform::detail {

class X11PopUp {
  public:
    // Events for other windows that arrive meanwhile go to `other`. `now`:
    // the time of the input that opens the menu.
    X11PopUp(Display* display, int scale, const Rect& available, Time now,
             std::function<void(XEvent&)> other);
    ~X11PopUp();
    X11PopUp(const X11PopUp&) = delete;
    X11PopUp& operator=(const X11PopUp&) = delete;

    // Item `item` of `menu` with its top at the global point; the answer of
    // WindowBackend::popUpMenu.
    SInt32 run(MenuRef menu, Point anchor, MenuItemIndex item);

  private:
    struct Level {
        MenuRef menu;
        // Global, in points.
        int left, top, width, height;
        Window xid;
        cairo_surface_t* surface;
        MenuItemIndex highlighted = 0;
    };

    void open(MenuRef menu, int left, int top);
    void closeAfter(size_t level);
    void draw(const Level& level);
    // The deepest level under the global point, or -1.
    int levelAt(int x, int y) const;
    // Highlights the item of the level under the pointer, opening its
    // sub-menu.
    void point(int x, int y);
    void highlight(size_t level, MenuItemIndex item);
    void openSubmenu(size_t level);
    // Opens the highlighted item's sub-menu and highlights its first item.
    void enterSubmenu(size_t level);
    // Highlights the next (or previous) item that can be highlighted.
    void step(size_t level, bool down);
    // 0 while the menu stays open, else the answer (kDismissed for none).
    SInt32 button(const XButtonEvent& event);
    SInt32 key(XKeyEvent& event);
    SInt32 answer(size_t level) const;

    Display* display;
    int scale;
    Rect available;
    std::function<void(XEvent&)> other;
    std::vector<Level> levels;
    // A release chooses only once the user has pressed, moved on to
    // another item or waited: the release of the press that opened the
    // menu leaves it open.
    bool armed = false;
    Time openedAt = 0;
};

} // namespace platform::detail
