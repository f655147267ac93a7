#pragma once

// Bundle construction shared by the implementation files.

#include "platform/corefoundation/CoreFoundation.h"

namespace platform::detail {

// A bundle at url with the given information dictionary; takes over the
// caller's references to both.
CFBundleRef createBundle(CFURLRef url, CFDictionaryRef info);

} // namespace platform::detail
