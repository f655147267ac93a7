#pragma once

// A frame in a headless compositing window, driven through scripted input
// on the virtual clock, with an editor that counts edit gestures and a
// listener that records what controls report.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Pixels.h"
#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"
#include "toolkit/CFrame.h"

namespace toolkit::test {

class CountingEditor : public AEffGUIEditor {
  public:
    CountingEditor() : AEffGUIEditor(nullptr) {}

    void beginEdit(long index) override { ++begins[index]; }
    void endEdit(long index) override { ++ends[index]; }

    std::map<long, int> begins;
    std::map<long, int> ends;

    using AEffGUIEditor::frame;
};

class RecordingListener : public CControlListener {
  public:
    struct Change {
        CControl* control;
        float value;
        bool withContext;
    };

    void valueChanged(CDrawContext* context, CControl* control) override
    {
        changes.push_back({control, control->getValue(), context != nullptr});
        if (onChange) onChange(control);
    }
    long controlModifierClicked(CDrawContext*, CControl*, long buttons) override
    {
        modifierClicks.push_back(buttons);
        return consumeModifierClicks;
    }

    std::vector<Change> changes;
    std::vector<long> modifierClicks;
    long consumeModifierClicks = 0;
    std::function<void(CControl*)> onChange;
};

class ControlWindow : public ::testing::Test {
  protected:
    static constexpr CCoord kWidth = 320;
    static constexpr CCoord kHeight = 240;

    void SetUp() override
    {
        platform::useVirtualClock(0);
        const Rect bounds{100, 100, 100 + kHeight, 100 + kWidth};
        ASSERT_EQ(CreateNewWindow(kDocumentWindowClass,
                                  kWindowCompositingAttribute | kWindowStandardHandlerAttribute, &bounds,
                                  &window),
                  noErr);
        ShowWindow(window);
        editor.open(window);
        frame = new CFrame(CRect(0, 0, kWidth, kHeight), window, &editor);
        editor.frame = frame;
        HIViewRef content = nullptr;
        HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
        HIViewAddSubview(content, frame->getPlatformControl());
        HIViewSetVisible(frame->getPlatformControl(), true);
        frame->setBackgroundColor(kBlackCColor);
    }

    void TearDown() override
    {
        platform::headless::clearInput();
        editor.close();
        DisposeWindow(window);
        platform::useRealClock();
        if (!folder.empty()) std::filesystem::remove_all(folder);
    }

    // Adds a control to the frame (which takes it over) and draws.
    template <typename Control> Control* add(Control* control)
    {
        control->setListener(&listener);
        frame->addView(control);
        settle();
        return control;
    }

    // Runs the event loop until the scripted input is taken and the
    // window has drawn what changed.
    void settle()
    {
        RunCurrentEventLoop(1);
        editor.idle();
        RunCurrentEventLoop(0.1);
    }

    void click(CCoord x, CCoord y, UInt32 modifiers = 0, EventMouseButton button = kEventMouseButtonPrimary)
    {
        platform::headless::mouseDown(window, x, y, button, modifiers);
        platform::headless::mouseUp(window, x, y, button, modifiers);
        settle();
    }

    // Presses at the first point, moves through the others and lets go at the last.
    void drag(const std::vector<CPoint>& path, UInt32 modifiers = 0)
    {
        platform::headless::mouseDown(window, path.front().h, path.front().v, kEventMouseButtonPrimary,
                                      modifiers);
        for (size_t i = 1; i < path.size(); ++i)
            platform::headless::mouseMove(window, path[i].h, path[i].v, modifiers);
        platform::headless::mouseUp(window, path.back().h, path.back().v, kEventMouseButtonPrimary,
                                    modifiers);
        settle();
    }

    CColor windowPixel(int x, int y) const
    {
        const uint32_t argb = platform::headless::pixel(window, x, y);
        return CColor{uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24)};
    }

    // How many pixels of area are near colour (text is drawn anti-aliased).
    int pixelsNear(const CRect& area, CColor colour) const
    {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                const CColor c = windowPixel(x, y);
                if (std::abs(c.red - colour.red) < 40 && std::abs(c.green - colour.green) < 40 &&
                    std::abs(c.blue - colour.blue) < 40)
                    ++count;
            }
        return count;
    }

    // A bitmap of a PNG that Cairo writes; the caller holds the reference.
    CBitmap* bitmapOf(int width, int height, const PixelSource& source)
    {
        if (folder.empty()) {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "toolkit-controls-XXXXXX").string();
            EXPECT_NE(mkdtemp(pattern.data()), nullptr);
            folder = pattern;
        }
        const std::string path = (folder / (std::to_string(images++) + ".png")).string();
        writePNG(path, width, height, source);
        CFURLRef url = CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), false);
        auto* bitmap = new CBitmap();
        EXPECT_TRUE(bitmap->loadFromPath(url));
        CFRelease(url);
        return bitmap;
    }

    // Image k of a strip: a colour of its own.
    static CColor imageColour(int k) { return CColor{uint8_t(4 * k), uint8_t(255 - 4 * k), 100, 255}; }

    // A strip of count images of width x height, one above the other or,
    // across, side by side; the caller holds the reference.
    CBitmap* strip(int count, int width = 20, int height = 20, bool across = false)
    {
        if (across)
            return bitmapOf(width * count, height, [width](int x, int) { return imageColour(x / width); });
        return bitmapOf(width, height * count, [height](int, int y) { return imageColour(y / height); });
    }

    // Edit gestures of one tag: begins and ends.
    std::pair<int, int> gestures(long tag) { return {editor.begins[tag], editor.ends[tag]}; }

    WindowRef window = nullptr;
    CountingEditor editor;
    CFrame* frame = nullptr;
    RecordingListener listener;
    std::filesystem::path folder;
    int images = 0;
};

} // namespace toolkit::test
