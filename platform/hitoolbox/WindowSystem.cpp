#include "platform/hitoolbox/WindowSystem.h"

#include <atomic>

#include "platform/hitoolbox/Window.h"
#include "platform/hitoolbox/X11Backend.h"

namespace {

using platform::detail::WindowBackend;

// Null: headless. Read from any thread by wakeEventLoop.
std::atomic<WindowBackend*> chosen{nullptr};

std::unique_ptr<WindowBackend>& displayBackend()
{
    static std::unique_ptr<WindowBackend> backend;
    return backend;
}

void use(std::unique_ptr<WindowBackend> backend)
{
    chosen.store(backend.get(), std::memory_order_release);
    displayBackend() = std::move(backend);
}

} // namespace

namespace platform::detail {

WindowBackend& windowBackend()
{
    WindowBackend* backend = chosen.load(std::memory_order_acquire);
    return backend ? *backend : headlessBackend();
}

} // namespace platform::detail

namespace platform::windowsystem {

bool choose(Kind kind, const char* displayName, int scale)
{
    if (platform::detail::anyWindow()) return false;
    if (kind == Kind::headless) {
        use(nullptr);
        return true;
    }
    auto backend = platform::detail::openX11Backend(displayName, scale);
    if (!backend && kind == Kind::x11) return false;
    use(std::move(backend));
    return true;
}

Kind current()
{
    return chosen.load() ? Kind::x11 : Kind::headless;
}

int scale()
{
    return platform::detail::windowBackend().scale();
}

int connectionNumber()
{
    return platform::detail::windowBackend().connectionNumber();
}

void processPending()
{
    RunCurrentEventLoop(kEventDurationNoWait);
}

OSStatus createEmbeddedWindow(uintptr_t parent, WindowClass windowClass, WindowAttributes attributes,
                              const Rect* contentBounds, WindowRef* outWindow)
{
    if (!parent) return paramErr;
    return platform::detail::createWindow(windowClass, attributes, contentBounds, parent, outWindow);
}

} // namespace platform::windowsystem
