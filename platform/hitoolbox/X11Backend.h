#pragma once

// The X11 backend, kept apart from X11's own headers.

#include <memory>

#include "platform/hitoolbox/WindowBackend.h"

namespace platform::detail {

// Null when the display does not open. scale 0: the screen's.
std::unique_ptr<WindowBackend> openX11Backend(const char* displayName, int scale);

} // namespace platform::detail
