// Pop-up menus on a real X server, chosen from with xdotool while the
// pop-up holds the main thread.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "X11Test.h"
#include "platform/hitoolbox/Menus.h"

namespace {

constexpr MenuID kMenuID = 200, kSubmenuID = 201;
constexpr uint32_t kMenuBackground = 0xF8F8F8;
// The menu's first item has its top here.
constexpr int kLeft = 200, kTop = 150;
// Items: One (checked), Two (command key T), a separator, Four (disabled),
// More (the sub-menu: Sub A, Sub B). Centres of their rows on the screen.
constexpr int kTwoY = kTop + 18 + 9, kMoreY = kTop + 18 + 18 + 12 + 18 + 9;
constexpr int kSubBY = kMoreY + 18;

bool highlighted(uint32_t pixel)
{
    return (pixel & 0xFF) > ((pixel >> 16) & 0xFF) + 80;
}

void append(MenuRef menu, const char* text, MenuItemAttributes attributes = 0)
{
    CFStringRef string = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
    AppendMenuItemTextWithCFString(menu, string, attributes, 0, nullptr);
    CFRelease(string);
}

class X11Menu : public X11 {
  protected:
    void SetUp() override
    {
        X11::SetUp();
        CreateNewMenu(kMenuID, 0, &menu);
        CreateNewMenu(kSubmenuID, 0, &submenu);
        append(menu, "One");
        CheckMenuItem(menu, 1, true);
        append(menu, "Two");
        SetItemCmd(menu, 2, 'T');
        append(menu, "", kMenuItemAttrSeparator);
        append(menu, "Four", kMenuItemAttrDisabled);
        append(menu, "More");
        append(submenu, "Sub A");
        append(submenu, "Sub B");
        SetMenuItemHierarchicalMenu(menu, 5, submenu);
        InsertMenu(submenu, kInsertHierarchicalMenu);
        width = GetMenuWidth(menu);
    }
    void TearDown() override
    {
        DisposeMenu(submenu);
        DisposeMenu(menu);
        X11::TearDown();
    }

    // Pops the menu up with item 1 at (kLeft, kTop) while `user` acts on
    // another thread.
    long popUp(const std::function<void()>& user)
    {
        std::atomic<bool> done{false};
        std::thread acting([&] {
            user();
            escapeUnless(done);
        });
        const long chosen = PopUpMenuSelect(menu, kTop, kLeft, 1);
        done = true;
        acting.join();
        return chosen;
    }
    // A pop-up the user failed to end is ended, so that the test does.
    static void escapeUnless(const std::atomic<bool>& done)
    {
        const double end = seconds() + 2;
        while (!done && seconds() < end) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!done) xdotool("key Escape");
    }
    static bool shown()
    {
        const bool menu = screenShows(kLeft + 3, kTwoY, [](uint32_t p) { return p == kMenuBackground; });
        EXPECT_TRUE(menu) << std::hex << XServer::get().pixel(kLeft + 3, kTwoY);
        return menu;
    }

    MenuRef menu = nullptr, submenu = nullptr;
    int width = 0;
};

TEST_F(X11Menu, PointerHighlightsOpensTheSubmenuToTheSideAndChooses)
{
    bool lit = false, subShown = false, subLit = false;
    const int subLeft = kLeft + width - 2;
    const long chosen = popUp([&] {
        if (!shown()) return;
        EXPECT_EQ(xdotool("mousemove " + std::to_string(kLeft + 30) + " " + std::to_string(kTwoY)), 0);
        lit = screenShows(kLeft + 3, kTwoY, highlighted);
        xdotool("mousemove " + std::to_string(kLeft + 30) + " " + std::to_string(kMoreY));
        subShown = screenShows(subLeft + 3, kSubBY, [](uint32_t p) { return p == kMenuBackground; });
        xdotool("mousemove " + std::to_string(subLeft + 20) + " " + std::to_string(kSubBY));
        subLit = screenShows(subLeft + 3, kSubBY, highlighted);
        xdotool("click 1");
    });
    EXPECT_TRUE(lit);
    EXPECT_TRUE(subShown);
    EXPECT_TRUE(subLit);
    EXPECT_EQ(chosen, (long(kSubmenuID) << 16) | 2);
    // The menus are gone from the screen.
    EXPECT_TRUE(screenShows(kLeft + 3, kTwoY, [](uint32_t p) { return p != kMenuBackground; }));
}

TEST_F(X11Menu, KeysMoveOverWhatCannotBeChosenAndIntoSubmenus)
{
    long chosen = popUp([&] {
        if (shown()) xdotool("key Down Down Down Right Down Return");
    });
    EXPECT_EQ(chosen, (long(kSubmenuID) << 16) | 2);
    chosen = popUp([&] {
        if (shown()) xdotool("key Down Down Return");
    });
    EXPECT_EQ(chosen, (long(kMenuID) << 16) | 2);
    // Escape and a click elsewhere dismiss it.
    chosen = popUp([&] {
        if (shown()) xdotool("key Down Escape");
    });
    EXPECT_EQ(chosen, 0);
    chosen = popUp([&] {
        if (shown()) xdotool("mousemove 700 500 click 1");
    });
    EXPECT_EQ(chosen, 0);
    // A click on an item that cannot be chosen chooses nothing.
    chosen = popUp([&] {
        if (shown())
            xdotool("mousemove " + std::to_string(kLeft + 30) + " " + std::to_string(kMoreY - 18) +
                    " click 1");
    });
    EXPECT_EQ(chosen, 0);
}

TEST_F(X11Menu, MenuOpenedByAPressIsChosenByItsReleaseAndTheButtonIsUpAfter)
{
    WindowRef window = newWindow({100, 100, 200, 300}, "menu owner");
    TestView view;
    viewClass.create(view, window, {10, 10, 50, 90});
    ASSERT_TRUE(showsAt(100 + 20, 100 + 20, kRed));
    long chosen = -1;
    std::thread acting;
    view.track = [&] {
        acting = std::thread([&] {
            if (!screenShows(100 + 20 + 3, 100 + 20 + 18 + 9,
                             [](uint32_t p) { return p == kMenuBackground; }))
                return;
            // Held past a click: the release chooses.
            xdotool("sleep 0.5 mouseup 1");
        });
        Point where{};
        GetGlobalMouse(&where);
        chosen = PopUpMenuSelect(menu, where.v, where.h, 1);
    };
    ASSERT_EQ(xdotool("mousemove 120 120 mousedown 1"), 0);
    ASSERT_TRUE(runUntil([&] { return chosen != -1; }));
    acting.join();
    EXPECT_EQ(chosen, (long(kMenuID) << 16) | 1);
    EXPECT_TRUE(runUntil([] { return !Button(); }));
}

TEST_F(X11Menu, ScreenBoundsAreTheRootWindowsInPoints)
{
    Rect available{};
    ASSERT_EQ(GetAvailableWindowPositioningBounds(GetMainDevice(), &available), noErr);
    EXPECT_EQ(available.right, 800);
    EXPECT_EQ(available.bottom, 600);
}

class X11MenuAtScale2 : public X11Menu {
  protected:
    int scale() const override { return 2; }
};

TEST_F(X11MenuAtScale2, ScreenBoundsAreTheRootWindowsInPoints)
{
    Rect available{};
    ASSERT_EQ(GetAvailableWindowPositioningBounds(GetMainDevice(), &available), noErr);
    EXPECT_EQ(available.right, 400);
    EXPECT_EQ(available.bottom, 300);
}

} // namespace
