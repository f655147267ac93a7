#pragma once

// The headless window backend's controls, for tests and for hosts that draw
// windows without a display: scripted input and pictures of windows.
//
// Scripted input is queued in order; each piece comes due one input
// interval after the one queued before it, or at once when none is queued
// or that time has passed,
// so that a loop running on the virtual clock sees it arrive over time, as
// a tracking loop would. Locations are in the window's coordinates; key
// codes are the Macintosh keyboard's.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/hitoolbox/HIToolbox.h"

namespace platform::headless {

// The time between two scripted pieces of input.
inline constexpr CFTimeInterval kInputInterval = 0.01;

[[gnu::visibility("default")]] void mouseDown(WindowRef window, CGFloat x, CGFloat y,
                                              EventMouseButton button = kEventMouseButtonPrimary,
                                              UInt32 modifiers = 0, UInt32 clickCount = 1);
[[gnu::visibility("default")]] void mouseUp(WindowRef window, CGFloat x, CGFloat y,
                                            EventMouseButton button = kEventMouseButtonPrimary,
                                            UInt32 modifiers = 0);
// A drag while a scripted button is down.
[[gnu::visibility("default")]] void mouseMove(WindowRef window, CGFloat x, CGFloat y, UInt32 modifiers = 0);
[[gnu::visibility("default")]] void wheel(WindowRef window, CGFloat x, CGFloat y, EventMouseWheelAxis axis,
                                          SInt32 delta, UInt32 modifiers = 0);
[[gnu::visibility("default")]] void keyDown(WindowRef window, UInt32 keyCode, char charCode,
                                            UInt32 modifiers = 0);
[[gnu::visibility("default")]] void keyUp(WindowRef window, UInt32 keyCode, char charCode,
                                          UInt32 modifiers = 0);
// The user closing the window: the window close event.
[[gnu::visibility("default")]] void close(WindowRef window);
// The next piece of input comes `seconds` later than it would.
[[gnu::visibility("default")]] void pause(CFTimeInterval seconds);
// Scripted input not yet taken by the event loop.
[[gnu::visibility("default")]] size_t pendingInput();
// Drops it.
[[gnu::visibility("default")]] void clearInput();

// How many times the window's backing store was presented: once after
// each pass of the event loop that drew into it while it was visible.
[[gnu::visibility("default")]] unsigned presentations(WindowRef window);

// The pixel at (x, y) of the window's backing store as 0xAARRGGBB,
// premultiplied; 0 outside it.
[[gnu::visibility("default")]] uint32_t pixel(WindowRef window, int x, int y);
// Writes the backing store to a PNG file.
[[gnu::visibility("default")]] bool writePNG(WindowRef window, const char* path);

// The user activating or deactivating a window.
[[gnu::visibility("default")]] void activate(WindowRef window, bool active = true);

// Pop-up menus take their answers from a queue, in order: the menu id and
// item the user chooses (a sub-menu's id for a sub-menu item), or a
// dismissal. With no answer queued the pop-up is dismissed. An answer
// naming an item that cannot be chosen, or a menu not in the pop-up's
// tree, is a dismissal too.
[[gnu::visibility("default")]] void answerPopUp(MenuID menuID, MenuItemIndex item);
[[gnu::visibility("default")]] void dismissPopUp();
[[gnu::visibility("default")]] size_t pendingPopUpAnswers();
// Runs once inside the next pop-up, before it answers: what the user's
// other windows or timers might do while a menu is open.
[[gnu::visibility("default")]] void whilePoppedUp(std::function<void()> action);

// What a pop-up showed, copied when it opened.
struct PoppedItem;
struct PoppedMenu {
    MenuID id = 0;
    std::string title;
    std::vector<PoppedItem> items;
};
struct PoppedItem {
    std::string text;
    bool enabled = true;
    bool separator = false;
    bool sectionTitle = false;
    CharParameter mark = noMark;
    // As GetMenuItemCommandKey gives it, with virtualKey telling which.
    UInt16 commandKey = 0;
    bool virtualKey = false;
    UInt8 modifiers = kMenuNoModifiers;
    SInt16 glyph = kMenuNullGlyph;
    std::shared_ptr<PoppedMenu> submenu;
};
struct PopUp {
    PoppedMenu menu;
    Point anchor{};
    MenuItemIndex popUpItem = 0;
};
[[gnu::visibility("default")]] unsigned popUpCount();
// The last pop-up; null before the first.
[[gnu::visibility("default")]] const PopUp* lastPopUp();

// The cursor last set.
[[gnu::visibility("default")]] ThemeCursor cursor();

// The screen (default 0, 0 to 1920 by 1080) and the part of it for
// windows (default: the screen less 22 pixels at the top).
[[gnu::visibility("default")]] void setScreen(const Rect& screen, const Rect& available);

} // namespace platform::headless
