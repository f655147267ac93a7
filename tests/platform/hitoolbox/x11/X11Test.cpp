#include "X11Test.h"

#include <chrono>
#include <thread>

namespace {

template <typename T> T parameter(EventRef event, EventParamName name, EventParamType type)
{
    T value{};
    GetEventParameter(event, name, type, nullptr, sizeof value, nullptr, &value);
    return value;
}

OSStatus record(EventHandlerCallRef, EventRef event, void* data)
{
    static_cast<std::vector<Input>*>(data)->push_back(
        {GetEventClass(event), GetEventKind(event),
         parameter<HIPoint>(event, kEventParamWindowMouseLocation, typeHIPoint),
         parameter<EventMouseButton>(event, kEventParamMouseButton, typeMouseButton),
         parameter<UInt32>(event, kEventParamClickCount, typeUInt32),
         parameter<UInt32>(event, kEventParamKeyModifiers, typeUInt32),
         parameter<EventMouseWheelAxis>(event, kEventParamMouseWheelAxis, typeMouseWheelAxis),
         parameter<SInt32>(event, kEventParamMouseWheelDelta, typeSInt32),
         parameter<UInt32>(event, kEventParamKeyCode, typeUInt32),
         parameter<char>(event, kEventParamKeyMacCharCodes, typeChar)});
    return eventNotHandledErr;
}

} // namespace

double seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void X11::SetUp()
{
    ASSERT_TRUE(XServer::get().running()) << XServer::get().failure();
    ASSERT_TRUE(platform::windowsystem::choose(Kind::x11, XServer::get().name().c_str(), scale()));
    ASSERT_EQ(platform::windowsystem::current(), Kind::x11);
    ASSERT_EQ(platform::windowsystem::scale(), scale());
}

void X11::TearDown()
{
    for (WindowRef w : windows) DisposeWindow(w);
    // Before the server goes.
    EXPECT_TRUE(platform::windowsystem::choose(Kind::headless));
}

WindowRef X11::newWindow(const Rect& bounds, const char* title)
{
    WindowRef window = newTestWindow(bounds);
    windows.push_back(window);
    CFStringRef name = CFStringCreateWithCString(nullptr, title, kCFStringEncodingUTF8);
    SetWindowTitleWithCFString(window, name);
    CFRelease(name);
    static const EventTypeSpec types[] = {
        {kEventClassMouse, kEventMouseDown},     {kEventClassMouse, kEventMouseUp},
        {kEventClassMouse, kEventMouseDragged},  {kEventClassMouse, kEventMouseWheelMoved},
        {kEventClassKeyboard, kEventRawKeyDown}, {kEventClassKeyboard, kEventRawKeyUp},
    };
    InstallEventHandler(GetWindowEventTarget(window), record, std::size(types), types, &input, nullptr);
    return window;
}

bool X11::runUntil(const std::function<bool()>& done)
{
    const double end = seconds() + 5;
    while (!done()) {
        if (seconds() > end) return false;
        RunCurrentEventLoop(0.01);
    }
    return true;
}

bool X11::showsAt(int x, int y, uint32_t colour)
{
    return runUntil([&] { return XServer::get().pixel(x, y) == colour; });
}

std::vector<Input> X11::kindOf(UInt32 eventClass, UInt32 kind) const
{
    std::vector<Input> found;
    for (const Input& i : input)
        if (i.eventClass == eventClass && i.kind == kind) found.push_back(i);
    return found;
}

bool screenShows(int x, int y, const std::function<bool(uint32_t)>& colour)
{
    const double end = seconds() + 5;
    while (!colour(XServer::get().pixel(x, y))) {
        if (seconds() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
