#pragma once

// A frame in a headless compositing window, opened by a small editor, and
// views that record what reaches them.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

// Fills its size with one colour and records mouse, wheel, keys and focus.
class RecordingView : public CView {
  public:
    struct Click {
        CPoint where;
        long buttons;
    };
    struct Wheel {
        CPoint where;
        CMouseWheelAxis axis;
        float distance;
    };

    RecordingView(const CRect& size, const CColor& colour) : CView(size), colour(colour) {}
    ~RecordingView() override
    {
        if (destroyed) ++*destroyed;
    }

    void draw(CDrawContext* context) override
    {
        ++draws;
        context->setFillColor(colour);
        context->fillRect(size);
        CView::draw(context);
    }
    void mouse(CDrawContext* context, CPoint& where, long buttons) override
    {
        clicks.push_back({where, buttons});
        if (onMouse) onMouse(context, where, buttons);
    }
    bool onWheel(CDrawContext*, const CPoint& where, CMouseWheelAxis axis, float distance) override
    {
        wheels.push_back({where, axis, distance});
        return true;
    }
    long onKeyDown(VstKeyCode& key) override
    {
        keys.push_back(key);
        return keyAnswer;
    }
    void looseFocus(CDrawContext*) override { ++focusLost; }

    CColor colour;
    int draws = 0;
    int focusLost = 0;
    long keyAnswer = 1;
    int* destroyed = nullptr;
    std::vector<Click> clicks;
    std::vector<Wheel> wheels;
    std::vector<VstKeyCode> keys;
    std::function<void(CDrawContext*, CPoint&, long)> onMouse;
};

// Opens a frame of 80 x 60 at (10, 10) of the window.
class TestEditor : public AEffGUIEditor {
  public:
    TestEditor() : AEffGUIEditor(nullptr) {}

    bool open(WindowRef window) override
    {
        AEffGUIEditor::open(window);
        frame = new CFrame(CRect(10, 10, 90, 70), window, this);
        HIViewRef content = nullptr;
        HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
        if (frame->getPlatformControl()) HIViewAddSubview(content, frame->getPlatformControl());
        return true;
    }
    void idle() override
    {
        ++idles;
        AEffGUIEditor::idle();
    }

    int idles = 0;
};

class FrameFixture : public ::testing::Test {
  protected:
    virtual WindowAttributes attributes() const
    {
        return kWindowCompositingAttribute | kWindowStandardHandlerAttribute;
    }
    void SetUp() override
    {
        platform::useVirtualClock(0);
        const Rect bounds{100, 200, 180, 300}; // 100 x 80
        ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, attributes(), &bounds, &window), noErr);
        ShowWindow(window);
        editor = new TestEditor;
        editor->open(window);
        frame = editor->getFrame();
        ASSERT_NE(frame->getPlatformControl(), nullptr);
        frame->setBackgroundColor(kBlueCColor);
    }
    void TearDown() override
    {
        platform::headless::clearInput();
        CFrame::hiToolboxAllowFocusChange = false;
        if (editor) {
            editor->close();
            delete editor;
        }
        DisposeWindow(window);
        platform::useRealClock();
    }

    // Runs the event loop through the scripted input and the redraws.
    static void run(double seconds = 1) { RunCurrentEventLoop(seconds); }
    // A primary click at (x, y) of the window.
    void click(CGFloat x, CGFloat y, UInt32 modifiers = 0, EventMouseButton button = kEventMouseButtonPrimary)
    {
        platform::headless::mouseDown(window, x, y, button, modifiers);
        platform::headless::mouseUp(window, x, y, button, modifiers);
        run();
    }
    // A new event for the frame's view, its direct object; release it.
    EventRef frameEvent(UInt32 eventClass, UInt32 kind) const
    {
        EventRef event = nullptr;
        CreateEvent(nullptr, eventClass, kind, 0, 0, &event);
        HIViewRef control = frame->getPlatformControl();
        SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof control, &control);
        return event;
    }
    OSStatus sendToFrame(EventRef event) const
    {
        return SendEventToEventTarget(event, GetControlEventTarget(frame->getPlatformControl()));
    }
    uint32_t pixel(int x, int y) const { return platform::headless::pixel(window, x, y); }
    // A new view in the frame, which releases it when removing it.
    RecordingView* add(const CRect& size, const CColor& colour = kRedCColor)
    {
        auto* view = new RecordingView(size, colour);
        frame->addView(view);
        return view;
    }

    WindowRef window = nullptr;
    TestEditor* editor = nullptr;
    CFrame* frame = nullptr;
};

inline constexpr uint32_t kBluePixel = 0xFF0000FF, kRedPixel = 0xFFFF0000, kGreenPixel = 0xFF00FF00,
                          kYellowPixel = 0xFFFFFF00;
