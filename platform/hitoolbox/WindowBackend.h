#pragma once

// What a window system gives the toolbox: a place for each window's backing
// store to be seen, and the user's input. Two implement it: the headless
// backend and the X11 one; WindowSystem.h chooses.

#include "platform/hitoolbox/HIToolbox.h"

namespace platform::detail {

// One piece of input, in the coordinates of the window it happened in.
struct InputEvent {
    // close: the user asked for the window to close; activate and
    // deactivate: the window became the one the user works in, or stopped
    // being it.
    enum class Kind {
        mouseDown,
        mouseUp,
        mouseMoved,
        mouseDragged,
        wheel,
        keyDown,
        keyUp,
        close,
        activate,
        deactivate
    };
    Kind kind;
    WindowRef window;
    HIPoint location{};
    EventMouseButton button = kEventMouseButtonPrimary;
    UInt32 clickCount = 1;
    UInt32 modifiers = 0;
    EventMouseWheelAxis axis = kEventMouseWheelAxisY;
    SInt32 delta = 0;
    UInt32 keyCode = 0;
    char charCode = 0;
};

class WindowBackend {
  public:
    virtual ~WindowBackend() = default;

    // A window was made (false when it cannot be shown: it is then not
    // made) or is about to go; its state (visibility, bounds, title)
    // changed.
    virtual bool windowCreated(WindowRef window) = 0;
    virtual void windowDisposed(WindowRef window) = 0;
    virtual void windowChanged(WindowRef window) = 0;
    // The window's backing store changed in the last pass.
    virtual void present(WindowRef window) = 0;

    // When the next input will be there (infinity when none is known).
    virtual CFAbsoluteTime nextInputTime() = 0;
    // Takes the next input that is there by `now`; false when there is none.
    virtual bool takeInput(CFAbsoluteTime now, InputEvent& input) = 0;
    // Nothing else is to be done for `seconds`: wait that long, or less when
    // input arrives. While the run loop waits for a timer instead, a backend
    // whose input arrives on its own wakes it with wakeEventLoop (any
    // thread).
    virtual void wait(CFTimeInterval seconds) = 0;
    // Ends a wait in progress, or the next one, early. Any thread.
    virtual void wake() = 0;
    // The file descriptor that becomes readable when input arrives; -1 when
    // there is none.
    virtual int connectionNumber() = 0;
    // Screen pixels per point.
    virtual int scale() = 0;

    // Shows the menu (see Menu.h) with item popUpItem (1-based, valid) at
    // the global point and lets the user choose, modally: the chosen menu's
    // id (the menu's or one of its sub-menus') in the high 16 bits and the
    // item in the low 16 bits, 0 when dismissed. The caller checks that the
    // item can be chosen.
    virtual SInt32 popUpMenu(MenuRef menu, Point globalAnchor, MenuItemIndex popUpItem) = 0;
    // The process's cursor (a listed theme cursor).
    virtual void setCursor(ThemeCursor cursor) = 0;
    // The screen, and the part of it for windows and menus, global.
    virtual Rect screenBounds() = 0;
    virtual Rect availableBounds() = 0;
};

// The backend in use: the headless one until another is chosen. Any thread.
WindowBackend& windowBackend();
WindowBackend& headlessBackend();

} // namespace platform::detail
