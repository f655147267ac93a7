#pragma once

#include <cstddef>

namespace testsupport {

// Heap allocations made by this process so far, counted by the test
// binary's replacement of the global allocation functions.
std::size_t allocationCount();

} // namespace testsupport
