#pragma once

// A private X server for the tests: Xvfb on a display number it picks
// itself, started by the first test that asks and stopped when the tests
// end, with a connection of the tests' own for reading the screen and
// sending what a window manager would. xdotool drives its pointer and
// keyboard.

#include <sys/types.h>

#include <cstdint>
#include <string>

// Xlib's names, without its macros, which clash with gtest's.
typedef struct _XDisplay Display;
using XWindow = unsigned long;

class XServer {
  public:
    // Started on first use; $DISPLAY names it from then on.
    static XServer& get();

    bool running() const { return display != nullptr; }
    // Why it is not running.
    const std::string& failure() const { return why; }
    const std::string& name() const { return displayName; }
    Display* connection() const { return display; }

    // The screen's pixel at (x, y) as 0xRRGGBB.
    uint32_t pixel(int x, int y) const;
    struct Geometry {
        int left, top, width, height;
        bool operator==(const Geometry&) const = default;
    };
    // Relative to its parent; zeros for a window that is not there.
    Geometry geometry(XWindow window) const;
    // The top-level window with this name, or 0.
    XWindow windowNamed(const std::string& title) const;
    // What a window manager sends when the window's close button is
    // pressed.
    void requestClose(XWindow window) const;

    void stop();

  private:
    XServer();
    pid_t server = -1;
    Display* display = nullptr;
    std::string displayName, why;
};

// Runs xdotool with these space-separated arguments and waits for it; its
// exit status.
int xdotool(const std::string& arguments);
// Starts it without waiting; finish() waits and gives the exit status.
pid_t startXdotool(const std::string& arguments);
int finish(pid_t process);
