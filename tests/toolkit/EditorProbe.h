#pragma once

// What the probe bundle exports: stand-ins for an editor's construction and
// destruction, and a look at the bundle's own gBundleRef.

#include "platform/corefoundation/CoreFoundation.h"

extern "C" {
using ProbeOpenEditor = void* (*)();
using ProbeCloseEditor = void (*)(void* editor);
using ProbeBundleRef = CFBundleRef (*)();
}
