#pragma once

// A structural check of binary property-list bytes, run before libplist
// sees them. libplist 2.2 trusts the structure: its reader takes time
// quadratic in the nesting depth, and it copies an object once per reference
// to it, so a few hundred bytes of shared references expand without bound.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/corefoundation/PropertyListLimits.h"

namespace platform::detail {

// Checks the trailer, the offset table and every object reachable from the
// top one: each lies within the bytes, each reference names an object, no
// container holds itself, nesting stays within kMaxPropertyListDepth and
// the expanded tree within kMaxPropertyListObjects. Returns an empty string
// when the bytes pass, else what is wrong, to follow "The binary property
// list ".
std::string checkBinaryPropertyList(const uint8_t* bytes, size_t length);

} // namespace platform::detail
