// The window backend on an X11 display: each toolbox window is an X11
// window showing its backing store at the backend's scale, and X11 input
// becomes the toolbox's.

#include "platform/hitoolbox/X11Backend.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/hitoolbox/EventLoop.h"
#include "platform/hitoolbox/Strings.h"
#include "platform/hitoolbox/Window.h"
#include "platform/hitoolbox/X11Keys.h"
#include "platform/hitoolbox/X11PopUp.h"

namespace {

using platform::detail::InputEvent;

// Errors on our connection (a foreign parent gone, a window destroyed
// with it) are no reason to end the program, which Xlib's own handler does.
std::atomic<Display*> ourDisplay{nullptr};
XErrorHandler previousErrorHandler = nullptr;
std::atomic<int> lastErrorCode{0};

int onError(Display* display, XErrorEvent* error)
{
    if (display == ourDisplay.load()) {
        lastErrorCode = error->error_code;
        return 0;
    }
    return previousErrorHandler ? previousErrorHandler(display, error) : 0;
}

UInt32 modifiersOf(unsigned state)
{
    UInt32 modifiers = 0;
    if (state & ShiftMask) modifiers |= shiftKey;
    if (state & LockMask) modifiers |= alphaLock;
    if (state & ControlMask) modifiers |= controlKey;
    if (state & Mod1Mask) modifiers |= optionKey;
    if (state & Mod4Mask) modifiers |= cmdKey;
    return modifiers;
}

bool isModifierKey(KeySym keysym)
{
    return IsModifierKey(keysym) || keysym == XK_ISO_Level3_Shift || keysym == XK_Super_L ||
           keysym == XK_Super_R || keysym == XK_Hyper_L || keysym == XK_Hyper_R;
}

// The scale the screen asks for through its Xft.dpi resource.
int screenScale(Display* display)
{
    const char* resources = XResourceManagerString(display);
    if (!resources) return 1;
    XrmDatabase database = XrmGetStringDatabase(resources);
    char* type = nullptr;
    XrmValue value{};
    int scale = 1;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
        scale = std::clamp(static_cast<int>(std::lround(std::atof(value.addr) / 96)), 1, 4);
    XrmDestroyDatabase(database);
    return scale;
}

class X11Backend final : public platform::detail::WindowBackend {
  public:
    X11Backend(Display* d, int s)
        : display(d), screen(DefaultScreen(d)), factor(s), wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
          stopFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
        ourDisplay = display;
        previousErrorHandler = XSetErrorHandler(onError);
        // Held keys repeat as presses alone, without releases between them.
        XkbSetDetectableAutoRepeat(display, True, nullptr);
        wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
        wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
        netWmName = XInternAtom(display, "_NET_WM_NAME", False);
        utf8String = XInternAtom(display, "UTF8_STRING", False);
        watcher = std::thread([this] { watch(); });
    }

    ~X11Backend() override
    {
        {
            std::lock_guard lock(readMutex);
            stopping = true;
        }
        readDone.notify_all();
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = write(stopFd, &one, sizeof one);
        watcher.join();
        for (auto& entry : shown) destroy(entry.second);
        for (auto& entry : cursors) XFreeCursor(display, entry.second);
        // Errors still to come are ours.
        XSync(display, False);
        XSetErrorHandler(previousErrorHandler);
        ourDisplay = nullptr;
        XCloseDisplay(display);
        close(wakeFd);
        close(stopFd);
    }

    X11Backend(const X11Backend&) = delete;
    X11Backend& operator=(const X11Backend&) = delete;

    bool windowCreated(WindowRef window) override
    {
        const bool embedded = window->nativeParent != 0;
        const Window parent =
            embedded ? static_cast<Window>(window->nativeParent) : RootWindow(display, screen);
        XWindowAttributes parentAttributes{};
        lastErrorCode = 0;
        if (!XGetWindowAttributes(display, parent, &parentAttributes) || lastErrorCode) return false;

        XSetWindowAttributes attributes{};
        attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask;
        attributes.background_pixmap = None;
        attributes.bit_gravity = NorthWestGravity;
        const Rect& b = window->bounds;
        Shown s{};
        s.xid = XCreateWindow(
            display, parent, b.left * factor, b.top * factor, static_cast<unsigned>(window->width() * factor),
            static_cast<unsigned>(window->height() * factor), 0, CopyFromParent, InputOutput, CopyFromParent,
            CWEventMask | CWBackPixmap | CWBitGravity, &attributes);
        s.embedded = embedded;
        s.bounds = b;
        s.surface = cairo_xlib_surface_create(display, s.xid, parentAttributes.visual,
                                              window->width() * factor, window->height() * factor);
        if (cursor) XDefineCursor(display, s.xid, cursor);
        if (!embedded) {
            XSetWMProtocols(display, s.xid, &wmDeleteWindow, 1);
            setSizeHints(window, s);
        }
        shown.emplace(window, s);
        windowChanged(window);
        XSync(display, False);
        return true;
    }

    void windowDisposed(WindowRef window) override
    {
        const auto found = shown.find(window);
        if (found == shown.end()) return;
        destroy(found->second);
        shown.erase(found);
        std::erase_if(pending, [&](const InputEvent& input) { return input.window == window; });
        XFlush(display);
    }

    void windowChanged(WindowRef window) override
    {
        const auto found = shown.find(window);
        if (found == shown.end() || found->second.gone) return;
        Shown& s = found->second;
        const Rect& b = window->bounds;
        const bool resized = b.right - b.left != s.bounds.right - s.bounds.left ||
                             b.bottom - b.top != s.bounds.bottom - s.bounds.top;
        if (resized || b.left != s.bounds.left || b.top != s.bounds.top) {
            s.bounds = b;
            if (!s.embedded) setSizeHints(window, s);
            XMoveResizeWindow(display, s.xid, b.left * factor, b.top * factor,
                              static_cast<unsigned>(window->width() * factor),
                              static_cast<unsigned>(window->height() * factor));
            if (resized)
                cairo_xlib_surface_set_size(s.surface, window->width() * factor, window->height() * factor);
        }
        const std::string title = platform::detail::utf8Of(window->title);
        if (!s.embedded && title != s.title) {
            s.title = title;
            XStoreName(display, s.xid, title.c_str());
            XChangeProperty(display, s.xid, netWmName, utf8String, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(title.data()),
                            static_cast<int>(title.size()));
        }
        const bool mapped = window->visible && !window->collapsed;
        if (mapped != s.mapped) {
            s.mapped = mapped;
            if (mapped)
                XMapRaised(display, s.xid);
            else if (window->collapsed && !s.embedded)
                XIconifyWindow(display, s.xid, screen);
            else
                XUnmapWindow(display, s.xid);
        }
        XFlush(display);
    }

    void present(WindowRef window) override
    {
        const auto found = shown.find(window);
        if (found == shown.end() || found->second.gone) return;
        paint(window, found->second);
        XFlush(display);
    }

    CFAbsoluteTime nextInputTime() override
    {
        return pending.empty() && readConnection() == 0 ? std::numeric_limits<CFAbsoluteTime>::infinity()
                                                        : CFAbsoluteTimeGetCurrent();
    }

    bool takeInput(CFAbsoluteTime, InputEvent& input) override
    {
        while (pending.empty() && readConnection() > 0) {
            XEvent event;
            XNextEvent(display, &event);
            translate(event);
        }
        if (pending.empty()) return false;
        input = pending.front();
        pending.pop_front();
        return true;
    }

    void wait(CFTimeInterval seconds) override
    {
        if (!pending.empty() || XEventsQueued(display, QueuedAfterFlush) > 0) return;
        pollfd fds[] = {{ConnectionNumber(display), POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const double ms = std::ceil(seconds * 1000);
        poll(fds, 2, ms >= INT_MAX ? -1 : static_cast<int>(ms));
        uint64_t count = 0;
        [[maybe_unused]] const auto taken = ::read(wakeFd, &count, sizeof count);
    }

    void wake() override
    {
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd, &one, sizeof one);
    }

    int connectionNumber() override { return ConnectionNumber(display); }
    int scale() override { return factor; }

    SInt32 popUpMenu(MenuRef menu, Point globalAnchor, MenuItemIndex popUpItem) override
    {
        SInt32 answer = 0;
        {
            platform::detail::X11PopUp popUp(display, factor, availableBounds(), lastTime,
                                             [this](XEvent& event) { translate(event); });
            answer = popUp.run(menu, globalAnchor, popUpItem);
        }
        releaseButtons();
        return answer;
    }

    void setCursor(ThemeCursor theme) override
    {
        static constexpr unsigned shapes[] = {
            XC_left_ptr,    XC_left_ptr,
            XC_left_ptr,    XC_left_ptr,
            XC_xterm,       XC_crosshair,
            XC_plus,        XC_watch,
            XC_fleur,       XC_hand1,
            XC_hand2,       XC_hand2,
            XC_hand2,       XC_hand2,
            XC_watch,       XC_left_side,
            XC_right_side,  XC_sb_h_double_arrow,
            XC_X_cursor,    XC_top_side,
            XC_bottom_side, XC_sb_v_double_arrow,
            XC_pirate,
        };
        const unsigned shape = theme < std::size(shapes) ? shapes[theme] : XC_left_ptr;
        auto found = cursors.find(shape);
        if (found == cursors.end()) found = cursors.emplace(shape, XCreateFontCursor(display, shape)).first;
        cursor = found->second;
        for (auto& entry : shown)
            if (!entry.second.gone) XDefineCursor(display, entry.second.xid, cursor);
        XFlush(display);
    }

    Rect screenBounds() override
    {
        return {0, 0, static_cast<int16_t>(DisplayHeight(display, screen) / factor),
                static_cast<int16_t>(DisplayWidth(display, screen) / factor)};
    }

    // The window manager's work area, where it says.
    Rect availableBounds() override
    {
        const Rect all = screenBounds();
        const Atom workArea = XInternAtom(display, "_NET_WORKAREA", True);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (!workArea || XGetWindowProperty(display, RootWindow(display, screen), workArea, 0, 4, False,
                                            XA_CARDINAL, &type, &format, &count, &after, &data) != Success)
            return all;
        Rect area = all;
        if (type == XA_CARDINAL && format == 32 && count == 4) {
            const auto* v = reinterpret_cast<const long*>(data);
            area = {static_cast<int16_t>(v[1] / factor), static_cast<int16_t>(v[0] / factor),
                    static_cast<int16_t>((v[1] + v[3]) / factor),
                    static_cast<int16_t>((v[0] + v[2]) / factor)};
        }
        if (data) XFree(data);
        return area;
    }

  private:
    struct Shown {
        Window xid = 0;
        cairo_surface_t* surface = nullptr;
        // What the X11 window was last given.
        Rect bounds{};
        std::string title;
        bool mapped = false;
        bool embedded = false;
        // Destroyed with its foreign parent.
        bool gone = false;
    };

    // A menu may have taken the release of the press that opened it: the
    // toolbox hears of the buttons that are up by now.
    void releaseButtons()
    {
        Window root = 0, child = 0;
        int x = 0, y = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        if (!last.window || !shown.count(last.window) ||
            !XQueryPointer(display, shown[last.window].xid, &root, &child, &x, &y, &wx, &wy, &mask))
            return;
        static constexpr struct {
            unsigned mask;
            EventMouseButton button;
        } buttons[] = {{Button1Mask, kEventMouseButtonPrimary},
                       {Button2Mask, kEventMouseButtonTertiary},
                       {Button3Mask, kEventMouseButtonSecondary}};
        for (const auto& b : buttons) {
            if ((mask & b.mask) || !(GetCurrentEventButtonState() & (1u << (b.button - 1)))) continue;
            InputEvent up{InputEvent::Kind::mouseUp, last.window};
            up.location = pointOf(wx, wy);
            up.button = b.button;
            up.modifiers = modifiersOf(mask);
            pending.push_back(up);
        }
    }

    void destroy(Shown& s)
    {
        cairo_surface_destroy(s.surface);
        if (!s.gone) XDestroyWindow(display, s.xid);
    }

    void setSizeHints(WindowRef window, const Shown& s)
    {
        XSizeHints* hints = XAllocSizeHints();
        hints->flags = USPosition | PPosition;
        hints->x = s.bounds.left * factor;
        hints->y = s.bounds.top * factor;
        if (!(window->attributes & kWindowResizableAttribute)) {
            hints->flags |= PMinSize | PMaxSize;
            hints->min_width = hints->max_width = window->width() * factor;
            hints->min_height = hints->max_height = window->height() * factor;
        }
        XSetWMNormalHints(display, s.xid, hints);
        XFree(hints);
    }

    // The backing store, each of its pixels a square of factor × factor.
    void paint(WindowRef window, Shown& s)
    {
        cairo_surface_mark_dirty(window->backingStore);
        cairo_t* cr = cairo_create(s.surface);
        cairo_scale(cr, factor, factor);
        cairo_set_source_surface(cr, window->backingStore, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(s.surface);
    }

    // Reads what the server sent; the events queued. Lets the watcher look
    // at the connection again.
    int readConnection()
    {
        const int queued = XEventsQueued(display, QueuedAfterReading);
        {
            std::lock_guard lock(readMutex);
            ++reads;
        }
        readDone.notify_all();
        return queued;
    }

    // While the event loop waits in its run loop for a timer, input arriving
    // on the connection wakes it; the watcher then waits until the loop has
    // read the connection.
    void watch()
    {
        for (;;) {
            unsigned seen = 0;
            {
                std::lock_guard lock(readMutex);
                seen = reads;
            }
            pollfd fds[] = {{ConnectionNumber(display), POLLIN, 0}, {stopFd, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) continue;
            if (fds[1].revents) return;
            platform::detail::wakeEventLoop();
            std::unique_lock lock(readMutex);
            readDone.wait(lock, [&] { return reads != seen || stopping; });
            if (stopping) return;
        }
    }

    WindowRef windowOf(Window xid)
    {
        for (auto& [window, s] : shown)
            if (s.xid == xid) return window;
        return nullptr;
    }

    HIPoint pointOf(int x, int y) const
    {
        return {std::floor(CGFloat(x) / factor), std::floor(CGFloat(y) / factor)};
    }

    void translate(XEvent& event)
    {
        WindowRef window = windowOf(event.xany.window);
        if (!window) return;
        if (event.type == ButtonPress || event.type == ButtonRelease) lastTime = event.xbutton.time;
        if (event.type == KeyPress || event.type == KeyRelease) lastTime = event.xkey.time;
        if (event.type == MotionNotify) lastTime = event.xmotion.time;
        switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0 && !shown[window].gone) paint(window, shown[window]);
            break;
        case ConfigureNotify:
            moved(window);
            break;
        case DestroyNotify:
            shown[window].gone = true;
            break;
        case ButtonPress:
        case ButtonRelease:
            button(window, event.xbutton);
            break;
        case MotionNotify: {
            if (laterMotion(event.xmotion)) break;
            const bool down = event.xmotion.state & (Button1Mask | Button2Mask | Button3Mask);
            InputEvent input{down ? InputEvent::Kind::mouseDragged : InputEvent::Kind::mouseMoved, window};
            input.location = pointOf(event.xmotion.x, event.xmotion.y);
            input.modifiers = modifiersOf(event.xmotion.state);
            pending.push_back(input);
            break;
        }
        case KeyPress:
        case KeyRelease:
            key(window, event.xkey);
            break;
        case FocusIn:
        case FocusOut:
            // Only the keyboard focus coming or going, not the pointer's
            // window while nothing has it.
            if (event.xfocus.detail <= NotifyNonlinearVirtual && event.xfocus.detail != NotifyInferior &&
                event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab)
                pending.push_back(InputEvent{event.type == FocusIn ? InputEvent::Kind::activate
                                                                   : InputEvent::Kind::deactivate,
                                             window});
            break;
        case ClientMessage:
            if (event.xclient.message_type == wmProtocols &&
                static_cast<Atom>(event.xclient.data.l[0]) == wmDeleteWindow)
                pending.push_back(InputEvent{InputEvent::Kind::close, window});
            break;
        default:
            break;
        }
    }

    // Only the last of a run of moves with the same buttons and modifiers
    // counts: a loop that falls behind catches up at once.
    bool laterMotion(const XMotionEvent& motion)
    {
        if (XEventsQueued(display, QueuedAlready) == 0) return false;
        XEvent next;
        XPeekEvent(display, &next);
        return next.type == MotionNotify && next.xmotion.window == motion.window &&
               next.xmotion.state == motion.state;
    }

    // A window moved by its window manager is where the toolbox says it is.
    void moved(WindowRef window)
    {
        Shown& s = shown[window];
        if (s.embedded || s.gone) return;
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display, s.xid, RootWindow(display, screen), 0, 0, &x, &y, &child);
        const auto left = static_cast<int16_t>(x / factor), top = static_cast<int16_t>(y / factor);
        Rect& b = window->bounds;
        b = {top, left, static_cast<int16_t>(top + window->height()),
             static_cast<int16_t>(left + window->width())};
        s.bounds = b;
    }

    void button(WindowRef window, const XButtonEvent& e)
    {
        const bool press = e.type == ButtonPress;
        InputEvent input{press ? InputEvent::Kind::mouseDown : InputEvent::Kind::mouseUp, window};
        input.location = pointOf(e.x, e.y);
        input.modifiers = modifiersOf(e.state);
        switch (e.button) {
        case Button1:
            input.button = kEventMouseButtonPrimary;
            break;
        case Button2:
            input.button = kEventMouseButtonTertiary;
            break;
        case Button3:
            input.button = kEventMouseButtonSecondary;
            break;
        case 4:
        case 5:
        case 6:
        case 7:
            if (!press) return;
            input.kind = InputEvent::Kind::wheel;
            input.axis = e.button < 6 ? kEventMouseWheelAxisY : kEventMouseWheelAxisX;
            input.delta = e.button % 2 == 0 ? 1 : -1;
            pending.push_back(input);
            return;
        default:
            return;
        }
        if (press) {
            if (shown[window].embedded) XSetInputFocus(display, e.window, RevertToParent, e.time);
            input.clickCount = countClick(window, e);
        }
        pending.push_back(input);
    }

    // Presses of one button close in time and place count on.
    UInt32 countClick(WindowRef window, const XButtonEvent& e)
    {
        const Time interval = GetDblTime() * 1000 / 60;
        const bool again = window == last.window && e.button == last.button &&
                           e.time - last.time <= interval && std::abs(e.x - last.x) <= 4 * factor &&
                           std::abs(e.y - last.y) <= 4 * factor;
        last = {window, e.button, e.time, e.x, e.y, again ? last.count + 1 : 1};
        return last.count;
    }

    void key(WindowRef window, XKeyEvent& e)
    {
        const KeySym plain = XLookupKeysym(&e, 0);
        if (isModifierKey(plain)) return;
        char typed[8] = {};
        KeySym keysym = 0;
        const int length = XLookupString(&e, typed, sizeof typed, &keysym, nullptr);
        const platform::detail::MacKey mac = platform::detail::macKeyOf(plain);
        InputEvent input{e.type == KeyPress ? InputEvent::Kind::keyDown : InputEvent::Kind::keyUp, window};
        input.keyCode = mac.code;
        // The keypad types digits only with num lock, as X says.
        const bool keypad = IsKeypadKey(plain) || (plain >= XK_KP_Home && plain <= XK_KP_Delete);
        if (mac.character && !(keypad && length == 0))
            input.charCode = mac.character;
        else if (length == 1 && static_cast<unsigned char>(typed[0]) < 0x80)
            input.charCode = typed[0];
        input.modifiers = modifiersOf(e.state);
        pending.push_back(input);
    }

    Display* display;
    int screen;
    int factor;
    int wakeFd, stopFd;
    Atom wmProtocols = 0, wmDeleteWindow = 0, netWmName = 0, utf8String = 0;
    std::map<WindowRef, Shown> shown;
    // By font cursor shape; the one windows show.
    std::map<unsigned, Cursor> cursors;
    Cursor cursor = 0;
    // Of the last input, in the server's milliseconds.
    Time lastTime = 0;
    std::deque<InputEvent> pending;
    struct {
        WindowRef window = nullptr;
        unsigned button = 0;
        Time time = 0;
        int x = 0, y = 0;
        UInt32 count = 0;
    } last;

    std::thread watcher;
    std::mutex readMutex;
    std::condition_variable readDone;
    unsigned reads = 0;
    bool stopping = false;
};

} // namespace

namespace platform::detail {

std::unique_ptr<WindowBackend> openX11Backend(const char* displayName, int scale)
{
    Display* display = XOpenDisplay(displayName);
    if (!display) return nullptr;
    return std::make_unique<X11Backend>(display, scale > 0 ? scale : screenScale(display));
}

} // namespace platform::detail
