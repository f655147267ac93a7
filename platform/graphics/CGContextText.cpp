// Text: Mac Roman bytes drawn with a fontconfig-matched face through the
// text matrix, which places glyph space (y upwards) in user space.

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/FontFace.h"

namespace {

// Unicode of the Mac Roman bytes 0x80 to 0xFF.
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5,
    0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4,
    0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6,
    0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265,
    0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF,
    0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9,
    0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

void appendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Cairo takes zero-terminated UTF-8, so the text ends at a zero byte.
std::string toUtf8(const char* string, size_t length, CGTextEncoding encoding)
{
    std::string out;
    for (size_t i = 0; i < length && string[i] != 0; ++i) {
        const auto byte = static_cast<unsigned char>(string[i]);
        if (byte < 0x80)
            out += static_cast<char>(byte);
        else if (encoding == kCGEncodingMacRoman)
            appendUtf8(out, kMacRomanHigh[byte - 0x80]);
    }
    return out;
}

// Takes one style suffix off the end of name.
bool takeSuffix(std::string& name, std::string_view suffix)
{
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    name.resize(name.size() - suffix.size());
    return true;
}

// Where an underline goes, in ems below the baseline, and how thick: the
// metrics of the Helvetica-compatible face.
constexpr double kUnderlinePosition = 0.106;
constexpr double kUnderlineThickness = 0.073;

cairo_font_face_t* fontFace(const CGContext::State& state)
{
    return platform::detail::fontFace(state.fontFamily, state.bold, state.italic);
}

} // namespace

namespace platform::detail {

cairo_font_face_t* fontFace(const std::string& family, bool bold, bool italic)
{
    using Key = std::tuple<std::string, bool, bool>;
    static auto* faces = new std::map<Key, cairo_font_face_t*>;
    // Fontconfig holds what it read of its configuration until it is shut
    // down; doing so at exit leaves leak checkers nothing to report. The
    // faces stay: nothing draws after exit.
    struct FontconfigShutdown {
        ~FontconfigShutdown() { FcFini(); }
    };
    static FontconfigShutdown shutdown;
    const Key key{family, bold, italic};
    const auto found = faces->find(key);
    if (found != faces->end()) return found->second;

    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    // Without any font at all, Cairo's own fallback.
    cairo_font_face_t* face =
        match ? cairo_ft_font_face_create_for_pattern(match)
              : cairo_toy_font_face_create("", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    faces->emplace(key, face);
    return face;
}

} // namespace platform::detail

void CGContextSelectFont(CGContextRef c, const char* name, CGFloat size, CGTextEncoding encoding)
{
    if (!name) return;
    std::string family = name;
    CGContext::State& state = c->state;
    state.bold = state.italic = state.underline = false;
    for (bool found = true; found;) {
        found = false;
        if (takeSuffix(family, " Bold")) found = state.bold = true;
        if (takeSuffix(family, " Italic")) found = state.italic = true;
        if (takeSuffix(family, " Underline")) found = state.underline = true;
    }
    state.fontFamily = family;
    CGContextSetFontSize(c, size);
    state.encoding = encoding;
}

void CGContextSetFontSize(CGContextRef c, CGFloat size)
{
    if (std::isfinite(size)) c->state.fontSize = size;
}

void CGContextSetTextDrawingMode(CGContextRef c, CGTextDrawingMode mode)
{
    if (mode >= kCGTextFill && mode <= kCGTextClip) c->state.textMode = mode;
}

void CGContextSetTextMatrix(CGContextRef c, CGAffineTransform transform)
{
    c->textMatrix = transform;
}

CGAffineTransform CGContextGetTextMatrix(CGContextRef c)
{
    return c->textMatrix;
}

void CGContextSetTextPosition(CGContextRef c, CGFloat x, CGFloat y)
{
    c->textMatrix.tx = x;
    c->textMatrix.ty = y;
}

CGPoint CGContextGetTextPosition(CGContextRef c)
{
    return CGPointMake(c->textMatrix.tx, c->textMatrix.ty);
}

void CGContextShowTextAtPoint(CGContextRef c, CGFloat x, CGFloat y, const char* string, size_t length)
{
    CGContextSetTextPosition(c, x, y);
    CGContextShowText(c, string, length);
}

void CGContextShowText(CGContextRef c, const char* string, size_t length)
{
    if (!string) return;
    const CGContext::State& state = c->state;
    CGAffineTransform& tm = c->textMatrix;
    const double size = state.fontSize;
    // Cairo stops drawing for good on a transform it cannot invert.
    if (size == 0 || tm.a * tm.d - tm.b * tm.c == 0 || !std::isfinite(tm.tx) || !std::isfinite(tm.ty)) return;
    const std::string text = toUtf8(string, length, state.encoding);
    cairo_t* cr = c->cr;

    cairo_text_extents_t extents;
    {
        PathKeeper keeper(cr);
        const cairo_matrix_t textSpace = {tm.a, tm.b, tm.c, tm.d, tm.tx, tm.ty};
        cairo_transform(cr, &textSpace);
        cairo_set_font_face(cr, fontFace(state));
        // Glyph space grows upwards; Cairo's font space downwards.
        cairo_matrix_t fontMatrix;
        cairo_matrix_init_scale(&fontMatrix, size, -size);
        cairo_set_font_matrix(cr, &fontMatrix);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options,
                                         state.antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
        cairo_set_font_options(cr, options);
        cairo_font_options_destroy(options);
        cairo_text_extents(cr, text.c_str(), &extents);

        const CGTextDrawingMode mode = state.textMode;
        if (mode != kCGTextInvisible && !text.empty()) {
            const double underlineTop = -kUnderlinePosition * size;
            const double underlineBottom = underlineTop - kUnderlineThickness * size;
            // The glyphs' box (in text space, whichever way Cairo's extents
            // point) with the underline's.
            const double left = std::min(extents.x_bearing, 0.0);
            const double right = std::max(extents.x_bearing + extents.width, extents.x_advance);
            const double low = std::min(extents.y_bearing, underlineBottom);
            const double high = std::max(extents.y_bearing + extents.height, underlineTop);
            const double lineWidth = cairo_get_line_width(cr);
            c->paint(c->userBox(left - lineWidth, low - lineWidth, right + lineWidth, high + lineWidth), [&] {
                if (state.underline)
                    cairo_rectangle(cr, 0, underlineBottom, extents.x_advance,
                                    underlineTop - underlineBottom);
                if (mode == kCGTextFill) {
                    // Hinted glyphs, crisper than filled outlines at small sizes.
                    c->setSource(state.fill);
                    cairo_fill(cr);
                    cairo_move_to(cr, 0, 0);
                    cairo_show_text(cr, text.c_str());
                    cairo_new_path(cr);
                    return;
                }
                cairo_move_to(cr, 0, 0);
                cairo_text_path(cr, text.c_str());
                const bool fills = mode == kCGTextFill || mode == kCGTextFillStroke ||
                                   mode == kCGTextFillClip || mode == kCGTextFillStrokeClip;
                const bool strokes = mode == kCGTextStroke || mode == kCGTextFillStroke ||
                                     mode == kCGTextStrokeClip || mode == kCGTextFillStrokeClip;
                if (fills) {
                    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
                    c->setSource(state.fill);
                    cairo_fill_preserve(cr);
                }
                if (strokes) {
                    c->setSource(state.stroke);
                    cairo_stroke_preserve(cr);
                }
                if (mode >= kCGTextFillClip)
                    cairo_clip(cr);
                else
                    cairo_new_path(cr);
            });
        }
    }
    tm.tx += tm.a * extents.x_advance + tm.c * extents.y_advance;
    tm.ty += tm.b * extents.x_advance + tm.d * extents.y_advance;
}
