#pragma once

// PNG (by libpng), BMP and JPEG (by gdk-pixbuf) files decoded into Quartz
// images, refusing what is too large before any pixels are allocated.

#include "platform/graphics/QuickTime.h"

namespace platform::detail {

// Most pixels a decoded file may have (64 MiB of them).
inline constexpr size_t kMaxImagePixels = size_t{1} << 24;

// The image in the file at path, read as fileType (kQTFileTypePNG, BMP or
// JPEG), premultiplied; PNG keeps its alpha, the others are opaque. Null,
// with *status codecErr, when the file cannot be read or decoded as that
// type or is larger than kMaxImageSide on a side or kMaxImagePixels;
// memFullErr when memory runs out.
CGImageRef decodeImageFile(const char* path, OSType fileType, OSErr* status);

} // namespace platform::detail
