#pragma once

// A bitmap context: Cairo draws into a mirror surface in its own layout, and
// every drawing call copies the area it can touch from the caller's memory
// to the mirror before drawing and back after, so that the memory is always
// the truth, in the caller's layout, and may be changed between calls.

#include <cairo.h>

#include <string>
#include <vector>

#include "platform/graphics/CGImage.h"
#include "platform/graphics/CoreGraphics.h"
#include "platform/graphics/PixelFormat.h"
#include "platform/graphics/RefCounted.h"

struct CGContext : platform::detail::RefCounted {
    struct Colour {
        double red = 0, green = 0, blue = 0, alpha = 1;
    };

    // What Quartz's graphics state holds beyond Cairo's (CTM, clip, line
    // style).
    struct State {
        Colour fill, stroke;
        double alpha = 1;
        bool antialias = true;
        std::string fontFamily = "Helvetica";
        bool bold = false, italic = false, underline = false;
        double fontSize = 12;
        CGTextEncoding encoding = kCGEncodingMacRoman;
        CGTextDrawingMode textMode = kCGTextFill;
    };

    // Device pixels, top-down, half-open.
    struct Box {
        int left, top, right, bottom;
        bool empty() const { return left >= right || top >= bottom; }
    };

    platform::detail::PixelMemory memory{};
    bool ownsMemory = false;
    CGBitmapInfo bitmapInfo = 0;
    cairo_surface_t* mirror = nullptr;
    cairo_t* cr = nullptr;

    State state;
    std::vector<State> saved;
    CGAffineTransform textMatrix = {1, 0, 0, 1, 0, 0};

    ~CGContext() override;

    // The device box of a user-space rectangle under the current CTM, grown
    // by a pixel for anti-aliasing and cut to the clip and the surface.
    Box userBox(double x1, double y1, double x2, double y2) const;
    // Runs draw with the mirror up to date inside box, then copies box back.
    template <typename Draw> void paint(const Box& box, Draw draw);

    void setSource(const Colour& colour) const;
    // Fill or stroke the current path, using it up.
    void fill(cairo_fill_rule_t rule);
    void stroke();
};

template <typename Draw> void CGContext::paint(const Box& box, Draw draw)
{
    const platform::detail::PixelMemory mirrorPixels = platform::detail::surfacePixels(mirror);
    const int width = box.right - box.left, height = box.bottom - box.top;
    if (!box.empty()) {
        cairo_surface_flush(mirror);
        platform::detail::copyPixels(memory, mirrorPixels, box.left, box.top, width, height);
        cairo_surface_mark_dirty_rectangle(mirror, box.left, box.top, width, height);
    }
    draw();
    if (!box.empty()) {
        cairo_surface_flush(mirror);
        platform::detail::copyPixels(mirrorPixels, memory, box.left, box.top, width, height);
    }
}

// Keeps the current path across drawing that builds its own (text, images),
// which Quartz keeps apart from the path.
class PathKeeper {
  public:
    explicit PathKeeper(cairo_t* cr);
    ~PathKeeper();
    PathKeeper(const PathKeeper&) = delete;
    PathKeeper& operator=(const PathKeeper&) = delete;

  private:
    cairo_t* cr;
    cairo_matrix_t matrix;
    cairo_path_t* path = nullptr;
};
