#pragma once

// The fixture of the X11 tests: the X11 window system on the tests' own
// server, windows whose input is recorded, and loops that run until
// something shows.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "../TestView.h"
#include "XServer.h"
#include "platform/hitoolbox/WindowSystem.h"

using platform::windowsystem::Kind;

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
// The window's background, 0.93 grey.
constexpr uint32_t kBackground = 0xEEEEEE;

// The window's own input, as the event loop hands it out.
struct Input {
    UInt32 eventClass, kind;
    HIPoint where;
    EventMouseButton button;
    UInt32 clicks, modifiers;
    EventMouseWheelAxis axis;
    SInt32 delta;
    UInt32 keyCode;
    char character;
};

// Steady seconds.
double seconds();

class X11 : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    virtual int scale() const { return 1; }

    // Compositing, titled, shown; its input recorded.
    WindowRef newWindow(const Rect& bounds, const char* title);
    // Runs the event loop until `done`; false after a few seconds.
    bool runUntil(const std::function<bool()>& done);
    bool showsAt(int x, int y, uint32_t colour);
    std::vector<Input> kindOf(UInt32 eventClass, UInt32 kind) const;

    TestViewClass viewClass;
    std::vector<WindowRef> windows;
    std::vector<Input> input;
};

// Waits (without running the event loop) until the screen shows the colour
// there; false after a few seconds.
bool screenShows(int x, int y, const std::function<bool(uint32_t)>& colour);
