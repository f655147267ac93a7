#pragma once

// Memory Manager handles: what the importers' data references travel in.
// A handle is a pointer to a pointer to its bytes; they never move here.

#include <cstddef>

#include "platform/components/Components.h"

using Size = long;

#pragma GCC visibility push(default)
extern "C" {

// A handle of size zeroed bytes; null for a negative size or when memory
// runs out.
Handle NewHandle(Size size);
// Does nothing for null.
void DisposeHandle(Handle handle);
// 0 for null.
Size GetHandleSize(Handle handle);

} // extern "C"
#pragma GCC visibility pop
