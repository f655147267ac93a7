#include "platform/hitoolbox/X11PopUp.h"

#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <poll.h>

#include <algorithm>
#include <string>

#include "platform/graphics/FontFace.h"

namespace {

// Answers that close the menu without a choice; 0 keeps it open.
constexpr SInt32 kDismissed = -1;
// How long the press that opened the menu may be held without choosing.
constexpr Time kClickMilliseconds = 400;

constexpr double kBackground = 0.97, kBorder = 0.6, kSeparator = 0.78, kDisabled = 0.6, kSectionTitle = 0.45;
constexpr double kHighlight[] = {0.22, 0.45, 0.85};

bool selectable(MenuRef menu, MenuItemIndex index)
{
    if (index < 1 || index > menu->items.size() || !menu->enabled) return false;
    constexpr MenuItemAttributes kNot =
        kMenuItemAttrDisabled | kMenuItemAttrHidden | kMenuItemAttrSeparator | kMenuItemAttrSectionHeader;
    return !(menu->items[index - 1].attributes & kNot);
}

std::string markText(CharParameter mark)
{
    if (mark == checkMark) return "✓";
    if (mark == diamondMark) return "◆";
    if (mark > ' ' && mark < 0x7F) return std::string(1, static_cast<char>(mark));
    return {};
}

} // namespace

namespace platform::detail {

X11PopUp::X11PopUp(Display* d, int s, const Rect& a, Time now, std::function<void(XEvent&)> o)
    : display(d), scale(s), available(a), other(std::move(o)), openedAt(now)
{
}

X11PopUp::~X11PopUp()
{
    closeAfter(0);
    if (!levels.empty()) {
        cairo_surface_destroy(levels[0].surface);
        XDestroyWindow(display, levels[0].xid);
    }
    XUngrabPointer(display, CurrentTime);
    XUngrabKeyboard(display, CurrentTime);
    XFlush(display);
}

SInt32 X11PopUp::run(MenuRef menu, Point anchor, MenuItemIndex item)
{
    open(menu, anchor.h, anchor.v - itemTop(menu, item));
    const Window grab = levels[0].xid;
    XSync(display, False);
    XGrabPointer(display, grab, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(display, grab, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    // The pointer may be over an item already.
    Window root = 0, child = 0;
    int x = 0, y = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    if (XQueryPointer(display, grab, &root, &child, &x, &y, &wx, &wy, &mask)) point(x / scale, y / scale);
    for (;;) {
        if (!XPending(display)) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        const auto mine = std::find_if(levels.begin(), levels.end(),
                                       [&](const Level& l) { return l.xid == event.xany.window; });
        if (mine == levels.end()) {
            other(event);
            continue;
        }
        SInt32 result = 0;
        switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) draw(*mine);
            break;
        case MotionNotify:
            if (event.xmotion.time - openedAt > kClickMilliseconds) armed = true;
            point(event.xmotion.x_root / scale, event.xmotion.y_root / scale);
            break;
        case ButtonPress:
        case ButtonRelease:
            result = button(event.xbutton);
            break;
        case KeyPress:
            result = key(event.xkey);
            break;
        default:
            break;
        }
        if (result) return result == kDismissed ? 0 : result;
    }
}

void X11PopUp::open(MenuRef menu, int left, int top)
{
    const int width = GetMenuWidth(menu), height = GetMenuHeight(menu);
    left = std::max<int>(available.left, std::min<int>(left, available.right - width));
    top = std::max<int>(available.top, std::min<int>(top, available.bottom - height));
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | KeyReleaseMask;
    const Window xid = XCreateWindow(
        display, RootWindow(display, screen), left * scale, top * scale, static_cast<unsigned>(width * scale),
        static_cast<unsigned>(height * scale), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWOverrideRedirect | CWSaveUnder | CWEventMask, &attributes);
    cairo_surface_t* surface = cairo_xlib_surface_create(display, xid, DefaultVisual(display, screen),
                                                         width * scale, height * scale);
    levels.push_back({menu, left, top, width, height, xid, surface});
    // Drawn on exposure: once the first level is, the grabs are in place.
    XMapRaised(display, xid);
}

void X11PopUp::closeAfter(size_t level)
{
    while (levels.size() > level + 1) {
        cairo_surface_destroy(levels.back().surface);
        XDestroyWindow(display, levels.back().xid);
        levels.pop_back();
    }
}

void X11PopUp::draw(const Level& level)
{
    cairo_t* cr = cairo_create(level.surface);
    cairo_scale(cr, scale, scale);
    cairo_set_source_rgb(cr, kBackground, kBackground, kBackground);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, kBorder, kBorder, kBorder);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, level.width - 1, level.height - 1);
    cairo_stroke(cr);
    cairo_set_font_face(cr, fontFace(kMenuFont, false, false));
    cairo_set_font_size(cr, kMenuFontSize);
    const MenuRef menu = level.menu;
    for (MenuItemIndex i = 1; i <= menu->items.size(); ++i) {
        const OpaqueMenuRef::Item& item = menu->items[i - 1];
        const int top = itemTop(menu, i), height = itemHeight(item);
        if (height == 0) continue;
        if (item.attributes & kMenuItemAttrSeparator) {
            cairo_set_source_rgb(cr, kSeparator, kSeparator, kSeparator);
            cairo_move_to(cr, kMenuMargin, top + height / 2 + 0.5);
            cairo_line_to(cr, level.width - kMenuMargin, top + height / 2 + 0.5);
            cairo_stroke(cr);
            continue;
        }
        const bool lit = i == level.highlighted;
        if (lit) {
            cairo_set_source_rgb(cr, kHighlight[0], kHighlight[1], kHighlight[2]);
            cairo_rectangle(cr, 1, top, level.width - 2, height);
            cairo_fill(cr);
        }
        const double grey = lit                                            ? 1.0
                            : item.attributes & kMenuItemAttrSectionHeader ? kSectionTitle
                            : selectable(menu, i)                          ? 0.0
                                                                           : kDisabled;
        cairo_set_source_rgb(cr, grey, grey, grey);
        const double baseline = top + height / 2.0 + kMenuFontSize * 0.35;
        cairo_move_to(cr, 6, baseline);
        cairo_show_text(cr, markText(item.mark).c_str());
        cairo_move_to(cr, kMenuMarkColumn, baseline);
        cairo_show_text(cr, item.text.c_str());
        const std::string right = item.submenu ? "▸" : commandKeyText(item);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, right.c_str(), &extents);
        cairo_move_to(cr, level.width - 8 - extents.x_advance, baseline);
        cairo_show_text(cr, right.c_str());
    }
    cairo_destroy(cr);
    cairo_surface_flush(level.surface);
    XFlush(display);
}

int X11PopUp::levelAt(int x, int y) const
{
    for (int i = static_cast<int>(levels.size()) - 1; i >= 0; --i) {
        const Level& l = levels[static_cast<size_t>(i)];
        if (x >= l.left && x < l.left + l.width && y >= l.top && y < l.top + l.height) return i;
    }
    return -1;
}

void X11PopUp::point(int x, int y)
{
    const int found = levelAt(x, y);
    if (found < 0) {
        // Off the menus: the deepest level loses its highlight.
        if (levels.back().highlighted) armed = true;
        highlight(levels.size() - 1, 0);
        return;
    }
    const auto level = static_cast<size_t>(found);
    const MenuItemIndex item = itemAt(levels[level].menu, y - levels[level].top);
    const MenuItemIndex lit = selectable(levels[level].menu, item) ? item : 0;
    if (lit == levels[level].highlighted && levels.size() > level + 1) return;
    if (lit != levels[level].highlighted && levels[level].highlighted) armed = true;
    highlight(level, lit);
    openSubmenu(level);
}

void X11PopUp::highlight(size_t level, MenuItemIndex item)
{
    closeAfter(level);
    if (levels[level].highlighted == item) return;
    levels[level].highlighted = item;
    draw(levels[level]);
}

void X11PopUp::openSubmenu(size_t level)
{
    const Level& l = levels[level];
    if (!l.highlighted || levels.size() > level + 1) return;
    const MenuRef submenu = l.menu->items[l.highlighted - 1].submenu;
    if (!submenu || !isMenu(submenu) || submenu->items.empty()) return;
    // To the right of the item, or to the left where the screen ends.
    const int width = GetMenuWidth(submenu);
    int left = l.left + l.width - 2;
    if (left + width > available.right) left = l.left - width + 2;
    open(submenu, left, l.top + itemTop(l.menu, l.highlighted) - kMenuMargin);
}

SInt32 X11PopUp::answer(size_t level) const
{
    const Level& l = levels[level];
    if (!choosable(l.menu, l.highlighted)) return 0;
    return static_cast<SInt32>((static_cast<UInt32>(static_cast<UInt16>(l.menu->id)) << 16) | l.highlighted);
}

SInt32 X11PopUp::button(const XButtonEvent& event)
{
    const int x = event.x_root / scale, y = event.y_root / scale;
    const int found = levelAt(x, y);
    if (event.type == ButtonPress) {
        armed = true;
        return found < 0 ? kDismissed : 0;
    }
    if (!armed && event.time - openedAt <= kClickMilliseconds) return 0;
    if (found < 0) return kDismissed;
    point(x, y);
    const auto level = static_cast<size_t>(found);
    const MenuItemIndex item = levels[level].highlighted;
    if (item && levels[level].menu->items[item - 1].submenu && !choosable(levels[level].menu, item)) return 0;
    const SInt32 chosen = answer(level);
    return chosen ? chosen : kDismissed;
}

void X11PopUp::step(size_t level, bool down)
{
    Level& l = levels[level];
    const auto count = static_cast<int>(l.menu->items.size());
    int item = l.highlighted ? l.highlighted : (down ? 0 : count + 1);
    do item += down ? 1 : -1;
    while (item >= 1 && item <= count && !selectable(l.menu, static_cast<MenuItemIndex>(item)));
    if (item >= 1 && item <= count) highlight(level, static_cast<MenuItemIndex>(item));
}

void X11PopUp::enterSubmenu(size_t level)
{
    openSubmenu(level);
    if (levels.size() > level + 1) step(level + 1, true);
}

SInt32 X11PopUp::key(XKeyEvent& event)
{
    const KeySym keysym = XLookupKeysym(&event, 0);
    const size_t level = levels.size() - 1;
    const Level& l = levels[level];
    switch (keysym) {
    case XK_Escape:
        return kDismissed;
    case XK_Down:
    case XK_Up:
        step(level, keysym == XK_Down);
        return 0;
    case XK_Right:
        enterSubmenu(level);
        return 0;
    case XK_Left:
        if (level > 0) closeAfter(level - 1);
        return 0;
    case XK_Return:
    case XK_KP_Enter:
    case XK_space:
        if (!l.highlighted) return 0;
        if (l.menu->items[l.highlighted - 1].submenu && !choosable(l.menu, l.highlighted)) {
            enterSubmenu(level);
            return 0;
        }
        return answer(level) ? answer(level) : kDismissed;
    default:
        return 0;
    }
}

} // namespace platform::detail
