#pragma once

// The drag handlers installed for a window.

#include "platform/hitoolbox/DragManager.h"

namespace platform::detail {

// Removes the handlers installed for the window, as it goes.
void forgetDragHandlers(WindowRef window);

} // namespace platform::detail
