#include "tools/artwork/KnobArt.h"

#include <cmath>

namespace artwork {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStart = 0.75 * kPi; // 7:30
constexpr double kTravel = 1.5 * kPi; // 270°
constexpr double kTop = -0.5 * kPi;

constexpr Rgb kGroove = rgb(17, 18, 21);
constexpr Rgb kGrooveLit = rgb(40, 42, 47);
constexpr Rgb kTrack = rgb(48, 51, 57);
constexpr Rgb kPointer = rgb(244, 245, 247);

void circle(cairo_t* cr, double cx, double cy, double radius)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
}

// A recess lit from above: its upper edge in shadow, its lower edge catching light.
void groove(const Canvas& canvas, double c, double outer)
{
    cairo_t* cr = canvas.cr();
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, c - outer, 0, c + outer);
    cairo_pattern_add_color_stop_rgb(shade, 0, kGroove.r, kGroove.g, kGroove.b);
    cairo_pattern_add_color_stop_rgb(shade, 1, kGrooveLit.r, kGrooveLit.g, kGrooveLit.b);
    circle(cr, c, c, outer);
    cairo_set_source(cr, shade);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
}

// The travel's full arc in the groove, then the value's part of it in the
// accent colour with a faint glow kept inside the groove.
void valueArc(const Canvas& canvas, double c, double radius, double width, double from, double to,
              const Rgb& accent, double grooveOuter)
{
    cairo_t* cr = canvas.cr();
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_new_path(cr);
    cairo_arc(cr, c, c, radius, kStart, kStart + kTravel);
    cairo_set_line_width(cr, width);
    canvas.setSource(kTrack);
    cairo_stroke(cr);
    if (to - from > 1e-9) {
        cairo_new_path(cr);
        circle(cr, c, c, grooveOuter - 0.5);
        cairo_clip(cr);
        cairo_arc(cr, c, c, radius, from, to);
        cairo_set_line_width(cr, width + 2.5);
        canvas.setSource(accent, 0.28);
        cairo_stroke(cr);
        cairo_arc(cr, c, c, radius, from, to);
        cairo_set_line_width(cr, width);
        canvas.setSource(accent);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void pointer(const Canvas& canvas, double c, double angle, double from, double to, double width)
{
    cairo_t* cr = canvas.cr();
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, width + 1);
    const double dx = std::cos(angle), dy = std::sin(angle);
    cairo_move_to(cr, c + dx * from, c + dy * from + 0.8);
    cairo_line_to(cr, c + dx * to, c + dy * to + 0.8);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_stroke(cr);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, c + dx * from, c + dy * from);
    cairo_line_to(cr, c + dx * to, c + dy * to);
    canvas.setSource(kPointer);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void verticalGradient(cairo_t* cr, double top, double bottom, const Rgb& upper, const Rgb& lower)
{
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, top, 0, bottom);
    cairo_pattern_add_color_stop_rgb(shade, 0, upper.r, upper.g, upper.b);
    cairo_pattern_add_color_stop_rgb(shade, 1, lower.r, lower.g, lower.b);
    cairo_set_source(cr, shade);
    cairo_pattern_destroy(shade);
}

// The turning body: a shadow under it, a skirt lit from above, ridges that
// turn with the value, and a flat cap with a bright edge.
void body(const Canvas& canvas, const KnobLook& look, double angle)
{
    cairo_t* cr = canvas.cr();
    const double c = look.size / 2, r = look.body;
    cairo_pattern_t* shadow = cairo_pattern_create_radial(c, c + 1.5, r - 1, c, c + 1.5, r + 3);
    cairo_pattern_add_color_stop_rgba(shadow, 0, 0, 0, 0, 0.7);
    cairo_pattern_add_color_stop_rgba(shadow, 1, 0, 0, 0, 0);
    circle(cr, c, c + 1.5, r + 3);
    cairo_set_source(cr, shadow);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);

    circle(cr, c, c, r);
    verticalGradient(cr, c - r, c + r, rgb(92, 97, 106), rgb(26, 28, 32));
    cairo_fill(cr);

    const double cap = look.knurls > 0 ? r * 0.8 : r * 0.84;
    if (look.knurls > 0) {
        cairo_save(cr);
        cairo_set_line_width(cr, std::max(1.0, r / 30));
        for (int k = 0; k < look.knurls; ++k) {
            const double a = angle + 2 * kPi * k / look.knurls;
            const double dx = std::cos(a), dy = std::sin(a);
            cairo_move_to(cr, c + dx * (cap + 1), c + dy * (cap + 1));
            cairo_line_to(cr, c + dx * (r - 0.5), c + dy * (r - 0.5));
        }
        cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
        cairo_stroke(cr);
        cairo_restore(cr);
    }

    circle(cr, c, c, cap);
    verticalGradient(cr, c - cap, c + cap, rgb(50, 53, 59), rgb(72, 76, 84));
    cairo_fill(cr);
    // A faint sheen across the cap.
    cairo_pattern_t* sheen = cairo_pattern_create_radial(c - cap * 0.35, c - cap * 0.45, 0, c, c, cap);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.10);
    cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0);
    circle(cr, c, c, cap);
    cairo_set_source(cr, sheen);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen);

    cairo_pattern_t* edge = cairo_pattern_create_linear(0, c - cap, 0, c + cap);
    cairo_pattern_add_color_stop_rgba(edge, 0, 1, 1, 1, 0.35);
    cairo_pattern_add_color_stop_rgba(edge, 0.5, 1, 1, 1, 0.04);
    cairo_pattern_add_color_stop_rgba(edge, 1, 0, 0, 0, 0.4);
    cairo_new_path(cr);
    circle(cr, c, c, cap - 0.5);
    cairo_set_line_width(cr, 1);
    cairo_set_source(cr, edge);
    cairo_stroke(cr);
    cairo_pattern_destroy(edge);
}

} // namespace

double pointerAngle(double value)
{
    return kStart + kTravel * value;
}

void drawKnob(const Canvas& canvas, const KnobLook& look, double value)
{
    const double c = look.size / 2, angle = pointerAngle(value);
    groove(canvas, c, look.trackOuter);
    const double from = look.bipolar ? std::min(kTop + 2 * kPi, angle) : kStart;
    const double to = look.bipolar ? std::max(kTop + 2 * kPi, angle) : angle;
    valueArc(canvas, c, (look.trackOuter + look.trackInner) / 2, look.trackOuter - look.trackInner - 1, from,
             to, look.accent, look.trackOuter);
    body(canvas, look, angle);
    pointer(canvas, c, angle, look.pointerFrom, look.pointerTo, look.pointerWidth);
}

void drawRing(const Canvas& canvas, const RingLook& look, double value)
{
    cairo_t* cr = canvas.cr();
    const double c = look.size / 2, angle = pointerAngle(value);
    cairo_save(cr);
    circle(cr, c, c, look.outer);
    circle(cr, c, c, look.inner);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
    groove(canvas, c, look.outer);
    const double width = look.outer - look.inner - 3;
    valueArc(canvas, c, (look.outer + look.inner) / 2, width, kStart, angle, look.accent, look.outer);
    // The marker: a bright bar across the groove at the value.
    const double dx = std::cos(angle), dy = std::sin(angle);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 2.5);
    cairo_move_to(cr, c + dx * (look.inner + 1.5), c + dy * (look.inner + 1.5));
    cairo_line_to(cr, c + dx * (look.outer - 1.5), c + dy * (look.outer - 1.5));
    canvas.setSource(kPointer);
    cairo_stroke(cr);
    cairo_restore(cr);
}

std::unique_ptr<Canvas> filmStrip(int size, int frames,
                                  const std::function<void(const Canvas&, double)>& paint)
{
    auto strip = std::make_unique<Canvas>(size, size * frames, true);
    cairo_t* cr = strip->cr();
    for (int i = 0; i < frames; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 0, static_cast<double>(size) * i);
        cairo_rectangle(cr, 0, 0, size, size);
        cairo_clip(cr);
        paint(*strip, static_cast<double>(i) / (frames - 1));
        cairo_restore(cr);
    }
    return strip;
}

} // namespace artwork
