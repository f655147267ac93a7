#pragma once

// A custom view class for the tests: each instance records the events it
// gets and draws itself in one colour.

#include <functional>
#include <string>
#include <vector>

#include "platform/hitoolbox/HIToolbox.h"

struct TestView {
    struct Received {
        UInt32 eventClass, kind;
        HIPoint location;
        ControlPartCode part;
        EventMouseButton button;
    };

    ControlRef ref = nullptr;
    std::vector<Received> received;
    int draws = 0;
    // The bounds of the last draw event's region; empty without one.
    Rect drawRegion{};
    // 0xRRGGBB, filled over the bounds (and `overdraw` pixels around, to
    // test clipping).
    uint32_t colour = 0xFF0000;
    CGFloat overdraw = 0;
    ControlPartCode hitPart = kControlIndicatorPart;
    bool handlesClick = false;
    bool handlesKeys = true;
    UInt32 features = 0;
    bool focused = false;
    // Answered to the get-focus-part event when not 0.
    ControlPartCode focusPartAnswer = 0;
    // Runs on the track event.
    std::function<void()> track;

    std::vector<UInt32> kinds(UInt32 eventClass = kEventClassControl) const;
};

// The class, registered for the life of the object.
class TestViewClass {
  public:
    TestViewClass();
    ~TestViewClass();
    TestViewClass(const TestViewClass&) = delete;
    TestViewClass& operator=(const TestViewClass&) = delete;

    // Creates the view's control in window (may be null) with these bounds.
    ControlRef create(TestView& view, WindowRef window, const Rect& bounds);

  private:
    HIObjectClassRef classRef = nullptr;
    TestView* constructing = nullptr;
};

// A compositing window with the given content bounds, shown.
WindowRef newTestWindow(const Rect& bounds);
