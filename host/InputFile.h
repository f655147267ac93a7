#pragma once

// Reading a small input file (automation, saved state) whole, refusing what
// is not a regular file or is too large before reading it.

#include <cstddef>
#include <string>
#include <string_view>

// The contents of the regular file `path` of at most `maxBytes` bytes.
// HostError naming the file as `role` ("automation file") and saying what is
// wrong otherwise: missing, a directory, a device or pipe, too large.
std::string readInputFile(const std::string& path, std::string_view role, size_t maxBytes);
