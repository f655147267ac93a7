#include "tools/artwork/Canvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace artwork {

namespace {

cairo_pattern_t* withStops(cairo_pattern_t* gradient, std::initializer_list<Stop> stops)
{
    for (const Stop& stop : stops)
        cairo_pattern_add_color_stop_rgba(gradient, stop.at, stop.colour.r, stop.colour.g, stop.colour.b,
                                          stop.alpha);
    return gradient;
}

} // namespace

cairo_pattern_t* vertical(double top, double bottom, std::initializer_list<Stop> stops)
{
    return withStops(cairo_pattern_create_linear(0, top, 0, bottom), stops);
}

cairo_pattern_t* radial(double x0, double y0, double r0, double x1, double y1, double r1,
                        std::initializer_list<Stop> stops)
{
    return withStops(cairo_pattern_create_radial(x0, y0, r0, x1, y1, r1), stops);
}

Canvas::Canvas(int width, int height, bool alpha)
    : image(cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height)),
      context(cairo_create(image))
{
    // Fixed rendering of text, whatever the desktop's settings.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(context, options);
    cairo_font_options_destroy(options);
}

Canvas::~Canvas()
{
    cairo_destroy(context);
    cairo_surface_destroy(image);
}

void Canvas::setSource(const Rgb& colour, double alpha) const
{
    cairo_set_source_rgba(context, colour.r, colour.g, colour.b, alpha);
}

void Canvas::useFont(const TextStyle& style) const
{
    cairo_select_font_face(context, style.family, CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(context, style.size);
}

namespace {

// Capitals whose shapes leave a gap between them when set letter by letter:
// one pixel less between them.
int kerning(char left, char right)
{
    static constexpr const char* pairs[] = {"LA", "LT", "LV", "LW", "LY", "AT", "AV", "AW",
                                            "AY", "TA", "VA", "WA", "YA", "FA", "PA"};
    for (const char* pair : pairs)
        if (pair[0] == left && pair[1] == right) return -1;
    return 0;
}

} // namespace

std::vector<double> Canvas::letterPositions(const std::string& text, const TextStyle& style) const
{
    useFont(style);
    std::vector<double> positions;
    double x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        positions.push_back(x);
        const char one[2] = {text[i], 0};
        cairo_text_extents_t extents;
        cairo_text_extents(context, one, &extents);
        // Whole pixels, so that every letter is hinted alike.
        x += std::round(extents.x_advance + style.tracking);
        if (i + 1 < text.size()) x += kerning(text[i], text[i + 1]);
    }
    positions.push_back(x - (text.empty() ? 0 : std::round(style.tracking)));
    return positions;
}

void Canvas::fill(cairo_pattern_t* gradient) const
{
    cairo_set_source(context, gradient);
    cairo_fill(context);
    cairo_pattern_destroy(gradient);
}

void Canvas::stroke(cairo_pattern_t* gradient) const
{
    cairo_set_source(context, gradient);
    cairo_stroke(context);
    cairo_pattern_destroy(gradient);
}

double Canvas::textWidth(const std::string& text, const TextStyle& style) const
{
    return letterPositions(text, style).back();
}

void Canvas::text(const std::string& text, double x, double y, const TextStyle& style, Align align) const
{
    const std::vector<double> positions = letterPositions(text, style);
    const double width = positions.back();
    if (align == Align::Centre) x -= width / 2;
    if (align == Align::Right) x -= width;
    x = std::round(x);
    setSource(style.colour);
    for (size_t i = 0; i < text.size(); ++i) {
        const char one[2] = {text[i], 0};
        cairo_move_to(context, x + positions[i], y);
        cairo_show_text(context, one);
    }
}

void Canvas::grain(double amount, double streak, uint32_t seed) const
{
    cairo_surface_flush(image);
    uint32_t state = seed | 1;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 4294967295.0 * 2 - 1;
    };
    unsigned char* pixels = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(pixels + y * stride);
        const double rowShift = next() * streak;
        double drift = 0;
        for (int x = 0; x < width(); ++x) {
            // A slow walk along the row: streaks that fade in and out.
            drift = drift * 0.97 + next() * 0.03 * streak;
            const double shift = rowShift + drift * 3 + next() * (amount - streak);
            uint32_t out = row[x] & 0xFF000000u;
            for (int channel = 0; channel < 3; ++channel) {
                const double value = static_cast<double>((row[x] >> (channel * 8)) & 0xFF);
                const auto shifted = static_cast<uint32_t>(std::clamp(std::round(value + shift), 1.0, 255.0));
                out |= shifted << (channel * 8);
            }
            row[x] = out;
        }
    }
    cairo_surface_mark_dirty(image);
}

bool Canvas::writePng(const std::string& path) const
{
    cairo_surface_flush(image);
    const auto w = static_cast<size_t>(width()), h = static_cast<size_t>(height());
    // Straight RGBA, un-premultiplied with rounding, as Cairo's own writer does.
    std::vector<png_byte> rgba(w * h * 4);
    const unsigned char* pixels = cairo_image_surface_get_data(image);
    const auto stride = static_cast<size_t>(cairo_image_surface_get_stride(image));
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) {
            const uint32_t pixel = reinterpret_cast<const uint32_t*>(pixels + y * stride)[x];
            const uint32_t alpha = pixel >> 24;
            png_byte* out = &rgba[(y * w + x) * 4];
            for (int channel = 0; channel < 3; ++channel) {
                const uint32_t value = (pixel >> (16 - channel * 8)) & 0xFF;
                out[channel] = static_cast<png_byte>(alpha ? (value * 255 + alpha / 2) / alpha : 0);
            }
            out[3] = static_cast<png_byte>(alpha);
        }
    std::vector<png_bytep> rows(h);
    for (size_t y = 0; y < h; ++y) rows[y] = &rgba[y * w * 4];

    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Unfiltered rows, compressed hardest: the flat artwork compresses
    // better so, and an editor opens faster when its knob strips need no
    // unfiltering and inflate in long matches.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

} // namespace artwork
