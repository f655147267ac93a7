#pragma once

// XML property-list bytes to CF objects, read with expat as they stream in.
// libplist's own XML reader takes time quadratic in the number of keys of a
// dictionary (320,000 keys: 17 s), so untrusted XML does not go through it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/corefoundation/CoreFoundation.h"

namespace platform::detail {

// The tree the bytes hold: a <plist> holding one dictionary, array, string,
// integer, real, boolean or data value, nested at most kMaxPropertyListDepth
// containers deep and with at most kMaxPropertyListObjects values and keys.
// Returns null and sets problem to a sentence saying why otherwise.
CFPropertyListRef readXMLPropertyList(const uint8_t* bytes, size_t length, std::string& problem);

} // namespace platform::detail
