#pragma once

// Finding a bundle by identifier and a function in it by name.
//
// The bundles found by identifier are the platform's own libraries, each
// registered under the identifier of the system framework it stands in for:
//   "com.apple.CoreGraphics"   the graphics library (libvok_graphics.so)
// A built-in bundle is loaded on first lookup and lives until the process
// ends; its URL is the folder holding the library and its information
// dictionary holds only its identifier. Bundles made with CFBundleCreate are
// not registered: their code is reached through the Component Manager.

#include "platform/corefoundation/CoreFoundation.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma GCC visibility push(default)

// The built-in bundle with that identifier (not owned by the caller), or
// NULL when there is none or its library cannot be loaded.
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
// The exported function of that name in a built-in bundle's library; NULL
// when it lacks one, and for every other bundle.
void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName);

#pragma GCC visibility pop

#ifdef __cplusplus
}
#endif
