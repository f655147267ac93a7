#pragma once

// A Cairo image surface with its context, and the text and colour helpers
// the artwork draws with.

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace artwork {

struct Rgb {
    double r, g, b;
};

constexpr Rgb rgb(int r, int g, int b)
{
    return {r / 255.0, g / 255.0, b / 255.0};
}

enum class Align { Left, Centre, Right };

struct TextStyle {
    double size;
    bool bold;
    Rgb colour;
    // Extra space after each letter, in whole pixels: small capitals read
    // better spaced.
    double tracking = 0;
    const char* family = "Liberation Sans";
};

class Canvas {
  public:
    // With alpha the surface starts fully transparent; without, black.
    Canvas(int width, int height, bool alpha);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return context; }
    cairo_surface_t* surface() const { return image; }
    int width() const { return cairo_image_surface_get_width(image); }
    int height() const { return cairo_image_surface_get_height(image); }

    void setSource(const Rgb& colour, double alpha = 1) const;
    double textWidth(const std::string& text, const TextStyle& style) const;
    // Text on the baseline y, its anchor x rounded to a whole pixel so that
    // hinted glyphs stay crisp.
    void text(const std::string& text, double x, double y, const TextStyle& style, Align align) const;

    // Adds a deterministic grain of up to ±amount levels to every pixel of an
    // opaque canvas; `streak` of it runs along the rows, which reads as
    // brushed metal.
    void grain(double amount, double streak, uint32_t seed) const;

    // The PNG; false when it cannot be written.
    bool writePng(const std::string& path) const;

  private:
    void useFont(const TextStyle& style) const;
    // Where each letter starts, from 0, and then where the text ends.
    std::vector<double> letterPositions(const std::string& text, const TextStyle& style) const;

    cairo_surface_t* image;
    cairo_t* context;
};

} // namespace artwork
