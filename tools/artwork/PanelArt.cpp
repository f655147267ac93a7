#include "tools/artwork/PanelArt.h"

#include <cmath>

namespace artwork {

namespace {

constexpr double kPi = 3.14159265358979323846;

void roundedRectangle(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 1.5 * kPi);
    cairo_close_path(cr);
}

} // namespace

void PanelArt::panel(const PanelLook& look) const
{
    cairo_t* cr = canvas.cr();
    const double w = canvas.width(), h = canvas.height();
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(shade, 0, look.top.r, look.top.g, look.top.b);
    cairo_pattern_add_color_stop_rgb(shade, 1, look.bottom.r, look.bottom.g, look.bottom.b);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_set_source(cr, shade);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);

    // Light falling from above the middle.
    cairo_pattern_t* light = cairo_pattern_create_radial(w / 2, -h * 0.6, 0, w / 2, -h * 0.6, w * 0.75);
    cairo_pattern_add_color_stop_rgba(light, 0, 1, 1, 1, 0.07);
    cairo_pattern_add_color_stop_rgba(light, 1, 1, 1, 1, 0);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_set_source(cr, light);
    cairo_fill(cr);
    cairo_pattern_destroy(light);

    canvas.grain(4, 2.5, look.seed);

    // Bevelled edges: lit above and left, shaded below and right.
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.16);
    cairo_move_to(cr, 0.5, h - 1);
    cairo_line_to(cr, 0.5, 0.5);
    cairo_line_to(cr, w - 1, 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.06);
    cairo_move_to(cr, 1.5, h - 2);
    cairo_line_to(cr, 1.5, 1.5);
    cairo_line_to(cr, w - 2, 1.5);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_move_to(cr, w - 0.5, 0);
    cairo_line_to(cr, w - 0.5, h - 0.5);
    cairo_line_to(cr, 0, h - 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
    cairo_move_to(cr, w - 1.5, 1);
    cairo_line_to(cr, w - 1.5, h - 1.5);
    cairo_line_to(cr, 1, h - 1.5);
    cairo_stroke(cr);
}

void PanelArt::screw(double x, double y, double turn) const
{
    cairo_t* cr = canvas.cr();
    const double r = 4;
    cairo_arc(cr, x, y + 0.7, r + 1, 0, 2 * kPi);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_fill(cr);
    cairo_pattern_t* head = cairo_pattern_create_radial(x - 1.5, y - 1.5, 0, x, y, r);
    cairo_pattern_add_color_stop_rgb(head, 0, 0.55, 0.57, 0.6);
    cairo_pattern_add_color_stop_rgb(head, 1, 0.22, 0.23, 0.25);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    cairo_set_source(cr, head);
    cairo_fill(cr);
    cairo_pattern_destroy(head);
    const double dx = std::cos(turn) * (r - 1), dy = std::sin(turn) * (r - 1);
    cairo_set_line_width(cr, 1.3);
    cairo_move_to(cr, x - dx, y - dy);
    cairo_line_to(cr, x + dx, y + dy);
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.06, 0.9);
    cairo_stroke(cr);
}

void PanelArt::socket(double cx, double cy, double r) const
{
    cairo_t* cr = canvas.cr();
    cairo_pattern_t* shadow = cairo_pattern_create_radial(cx, cy + 1.5, r - 2, cx, cy + 1.5, r + 5);
    cairo_pattern_add_color_stop_rgba(shadow, 0, 0, 0, 0, 0.65);
    cairo_pattern_add_color_stop_rgba(shadow, 1, 0, 0, 0, 0);
    cairo_arc(cr, cx, cy + 1.5, r + 5, 0, 2 * kPi);
    cairo_set_source(cr, shadow);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);
    // The rim catches light below, where the panel turns towards the viewer.
    cairo_pattern_t* rim = cairo_pattern_create_linear(0, cy - r, 0, cy + r);
    cairo_pattern_add_color_stop_rgba(rim, 0, 0, 0, 0, 0.35);
    cairo_pattern_add_color_stop_rgba(rim, 1, 1, 1, 1, 0.14);
    cairo_arc(cr, cx, cy, r + 1, 0, 2 * kPi);
    cairo_set_line_width(cr, 1);
    cairo_set_source(cr, rim);
    cairo_stroke(cr);
    cairo_pattern_destroy(rim);
}

void PanelArt::well(double left, double top, double width, double height) const
{
    cairo_t* cr = canvas.cr();
    const double x = left - 3, y = top - 3, w = width + 6, h = height + 6;
    roundedRectangle(cr, x, y, w, h, 3);
    cairo_set_source_rgb(cr, 0.055, 0.06, 0.07);
    cairo_fill(cr);
    // Shadow cast by the upper edge into the recess.
    cairo_pattern_t* inner = cairo_pattern_create_linear(0, y, 0, y + 4);
    cairo_pattern_add_color_stop_rgba(inner, 0, 0, 0, 0, 0.6);
    cairo_pattern_add_color_stop_rgba(inner, 1, 0, 0, 0, 0);
    roundedRectangle(cr, x, y, w, h, 3);
    cairo_set_source(cr, inner);
    cairo_fill(cr);
    cairo_pattern_destroy(inner);
    cairo_pattern_t* rim = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgba(rim, 0, 0, 0, 0, 0.5);
    cairo_pattern_add_color_stop_rgba(rim, 1, 1, 1, 1, 0.16);
    roundedRectangle(cr, x - 0.5, y - 0.5, w + 1, h + 1, 3.5);
    cairo_set_line_width(cr, 1);
    cairo_set_source(cr, rim);
    cairo_stroke(cr);
    cairo_pattern_destroy(rim);
}

void PanelArt::title(const std::string& bold, const std::string& light, double x, double baseline,
                     Align align, const PanelLook& look) const
{
    const TextStyle strong{19, true, rgb(226, 229, 234)};
    const TextStyle faint{19, false, look.accent};
    const double boldWidth = canvas.textWidth(bold, strong);
    const double left = std::round(align == Align::Left ? x : x - boldWidth - canvas.textWidth(light, faint));
    print(bold, left, baseline, strong, Align::Left);
    print(light, left + boldWidth, baseline, faint, Align::Left);
}

void PanelArt::rule(double x1, double y1, double x2, double y2) const
{
    cairo_t* cr = canvas.cr();
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_stroke(cr);
    const bool horizontal = std::abs(y2 - y1) < std::abs(x2 - x1);
    cairo_move_to(cr, x1 + (horizontal ? 0 : 1), y1 + (horizontal ? 1 : 0));
    cairo_line_to(cr, x2 + (horizontal ? 0 : 1), y2 + (horizontal ? 1 : 0));
    cairo_set_source_rgba(cr, 1, 1, 1, 0.07);
    cairo_stroke(cr);
}

void PanelArt::print(const std::string& text, double x, double baseline, const TextStyle& style,
                     Align align) const
{
    TextStyle shadow = style;
    shadow.colour = rgb(8, 9, 10);
    canvas.text(text, x, baseline + 1, shadow, align);
    canvas.text(text, x, baseline, style, align);
}

} // namespace artwork
