// The window backend without a display: windows exist only as their backing
// stores, input comes from a script, waiting moves the virtual clock.

#include <algorithm>
#include <chrono>
#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <thread>
#include <utility>

#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/EventLoop.h"
#include "platform/hitoolbox/Headless.h"
#include "platform/hitoolbox/Menu.h"
#include "platform/hitoolbox/Window.h"
#include "platform/hitoolbox/WindowBackend.h"

namespace {

using platform::detail::InputEvent;
using platform::headless::PoppedItem;
using platform::headless::PoppedMenu;

PoppedMenu snapshot(MenuRef menu)
{
    PoppedMenu popped{menu->id, menu->title, {}};
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const OpaqueMenuRef::Item& item = menu->items[i];
        PoppedItem out;
        out.text = item.text;
        out.enabled = menu->enabled && !(item.attributes & kMenuItemAttrDisabled);
        out.separator = (item.attributes & kMenuItemAttrSeparator) != 0;
        out.sectionTitle = (item.attributes & kMenuItemAttrSectionHeader) != 0;
        out.mark = item.mark;
        out.commandKey = item.commandKey;
        out.virtualKey = item.virtualKey;
        out.modifiers = item.modifiers;
        out.glyph = item.glyph;
        if (item.submenu) out.submenu = std::make_shared<PoppedMenu>(snapshot(item.submenu));
        popped.items.push_back(std::move(out));
    }
    return popped;
}

class HeadlessBackend final : public platform::detail::WindowBackend {
  public:
    bool windowCreated(WindowRef) override { return true; }
    void windowDisposed(WindowRef window) override
    {
        std::erase_if(script, [&](const Scripted& s) { return s.input.window == window; });
        presented.erase(window);
    }
    void windowChanged(WindowRef) override {}
    void present(WindowRef window) override { ++presented[window]; }

    CFAbsoluteTime nextInputTime() override
    {
        return script.empty() ? std::numeric_limits<CFAbsoluteTime>::infinity() : script.front().due;
    }

    bool takeInput(CFAbsoluteTime now, InputEvent& input) override
    {
        if (script.empty() || script.front().due > now) return false;
        input = script.front().input;
        script.pop_front();
        return true;
    }

    void wait(CFTimeInterval seconds) override
    {
        if (platform::usingVirtualClock())
            platform::advanceVirtualClock(seconds);
        else
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
    // Its input comes from the script on the main thread; nothing waits for
    // it.
    void wake() override {}
    int connectionNumber() override { return -1; }
    int scale() override { return 1; }

    SInt32 popUpMenu(MenuRef menu, Point globalAnchor, MenuItemIndex popUpItem) override
    {
        lastPopUp = {snapshot(menu), globalAnchor, popUpItem};
        ++popUps;
        if (duringPopUp) std::exchange(duringPopUp, nullptr)();
        if (answers.empty()) return 0;
        const SInt32 answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void setCursor(ThemeCursor cursor) override { currentCursor = cursor; }
    Rect screenBounds() override { return screen; }
    Rect availableBounds() override { return available; }

    void add(const InputEvent& input)
    {
        if (!platform::detail::isWindow(input.window)) return;
        const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
        const CFAbsoluteTime due =
            script.empty() ? now + delay
                           : std::max(now, script.back().due + platform::headless::kInputInterval + delay);
        delay = 0;
        script.push_back({due, input});
        platform::detail::wakeEventLoop();
    }

    struct Scripted {
        CFAbsoluteTime due;
        InputEvent input;
    };
    std::deque<Scripted> script;
    CFTimeInterval delay = 0;
    // Buttons held down by the script so far.
    UInt32 buttons = 0;
    std::map<WindowRef, unsigned> presented;
    std::deque<SInt32> answers;
    std::optional<platform::headless::PopUp> lastPopUp;
    std::function<void()> duringPopUp;
    unsigned popUps = 0;
    ThemeCursor currentCursor = kThemeArrowCursor;
    Rect screen{0, 0, 1080, 1920};
    Rect available{22, 0, 1080, 1920};
};

HeadlessBackend& theBackend()
{
    static HeadlessBackend backend;
    return backend;
}

InputEvent mouse(InputEvent::Kind kind, WindowRef window, CGFloat x, CGFloat y, UInt32 modifiers)
{
    InputEvent input{kind, window};
    input.location = {x, y};
    input.modifiers = modifiers;
    return input;
}

InputEvent key(InputEvent::Kind kind, WindowRef window, UInt32 keyCode, char charCode, UInt32 modifiers)
{
    InputEvent input{kind, window};
    input.keyCode = keyCode;
    input.charCode = charCode;
    input.modifiers = modifiers;
    return input;
}

} // namespace

namespace platform::detail {

WindowBackend& headlessBackend()
{
    return theBackend();
}

} // namespace platform::detail

namespace platform::headless {

void mouseDown(WindowRef window, CGFloat x, CGFloat y, EventMouseButton button, UInt32 modifiers,
               UInt32 clickCount)
{
    InputEvent input = mouse(InputEvent::Kind::mouseDown, window, x, y, modifiers);
    input.button = button;
    input.clickCount = clickCount;
    theBackend().buttons |= 1u << (button - 1);
    theBackend().add(input);
}

void mouseUp(WindowRef window, CGFloat x, CGFloat y, EventMouseButton button, UInt32 modifiers)
{
    InputEvent input = mouse(InputEvent::Kind::mouseUp, window, x, y, modifiers);
    input.button = button;
    theBackend().buttons &= ~(1u << (button - 1));
    theBackend().add(input);
}

void mouseMove(WindowRef window, CGFloat x, CGFloat y, UInt32 modifiers)
{
    const bool dragging = theBackend().buttons != 0;
    theBackend().add(mouse(dragging ? InputEvent::Kind::mouseDragged : InputEvent::Kind::mouseMoved, window,
                           x, y, modifiers));
}

void wheel(WindowRef window, CGFloat x, CGFloat y, EventMouseWheelAxis axis, SInt32 delta, UInt32 modifiers)
{
    InputEvent input = mouse(InputEvent::Kind::wheel, window, x, y, modifiers);
    input.axis = axis;
    input.delta = delta;
    theBackend().add(input);
}

void keyDown(WindowRef window, UInt32 keyCode, char charCode, UInt32 modifiers)
{
    theBackend().add(key(InputEvent::Kind::keyDown, window, keyCode, charCode, modifiers));
}

void keyUp(WindowRef window, UInt32 keyCode, char charCode, UInt32 modifiers)
{
    theBackend().add(key(InputEvent::Kind::keyUp, window, keyCode, charCode, modifiers));
}

void close(WindowRef window)
{
    theBackend().add(InputEvent{InputEvent::Kind::close, window});
}

void activate(WindowRef window, bool active)
{
    theBackend().add(InputEvent{active ? InputEvent::Kind::activate : InputEvent::Kind::deactivate, window});
}

void answerPopUp(MenuID menuID, MenuItemIndex item)
{
    theBackend().answers.push_back(static_cast<SInt32>((static_cast<UInt32>(menuID) << 16) | item));
}

void dismissPopUp()
{
    theBackend().answers.push_back(0);
}

size_t pendingPopUpAnswers()
{
    return theBackend().answers.size();
}

void whilePoppedUp(std::function<void()> action)
{
    theBackend().duringPopUp = std::move(action);
}

unsigned popUpCount()
{
    return theBackend().popUps;
}

const PopUp* lastPopUp()
{
    return theBackend().lastPopUp ? &*theBackend().lastPopUp : nullptr;
}

ThemeCursor cursor()
{
    return theBackend().currentCursor;
}

void setScreen(const Rect& screen, const Rect& available)
{
    theBackend().screen = screen;
    theBackend().available = available;
}

void pause(CFTimeInterval seconds)
{
    if (seconds > 0) theBackend().delay += seconds;
}

size_t pendingInput()
{
    return theBackend().script.size();
}

void clearInput()
{
    theBackend().script.clear();
    theBackend().buttons = 0;
    theBackend().delay = 0;
}

unsigned presentations(WindowRef window)
{
    const auto found = theBackend().presented.find(window);
    return found == theBackend().presented.end() ? 0 : found->second;
}

uint32_t pixel(WindowRef window, int x, int y)
{
    if (!platform::detail::isWindow(window) || x < 0 || y < 0 || x >= window->width() ||
        y >= window->height())
        return 0;
    cairo_surface_t* store = window->backingStore;
    const unsigned char* row =
        cairo_image_surface_get_data(store) + static_cast<size_t>(y) * cairo_image_surface_get_stride(store);
    return reinterpret_cast<const uint32_t*>(row)[x];
}

bool writePNG(WindowRef window, const char* path)
{
    if (!platform::detail::isWindow(window) || !path) return false;
    cairo_surface_mark_dirty(window->backingStore);
    return cairo_surface_write_to_png(window->backingStore, path) == CAIRO_STATUS_SUCCESS;
}

} // namespace platform::headless
