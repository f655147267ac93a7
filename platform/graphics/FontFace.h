#pragma once

// The face fontconfig matches to a family and style ("Helvetica" resolves
// to a metric-compatible face), made once per process and kept: what
// Quartz text is drawn with, and the toolbox's menus and text fields.

#include <cairo.h>

#include <string>

namespace platform::detail {

[[gnu::visibility("default")]] cairo_font_face_t* fontFace(const std::string& family, bool bold, bool italic);

} // namespace platform::detail
