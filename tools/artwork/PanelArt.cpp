#include "tools/artwork/PanelArt.h"

#include <cmath>
#include <tuple>

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
    cairo_rectangle(cr, 0, 0, w, h);
    canvas.fill(vertical(0, h, {{0, look.top}, {1, look.bottom}}));
    // Light falling from above the middle.
    cairo_rectangle(cr, 0, 0, w, h);
    canvas.fill(radial(w / 2, -h * 0.6, 0, w / 2, -h * 0.6, w * 0.75, {{0, kWhite, 0.07}, {1, kWhite, 0}}));
    canvas.grain(4, 2.5, look.seed);

    // Bevelled edges, two pixels deep: lit above and left, shaded below and right.
    cairo_set_line_width(cr, 1);
    for (const auto& [inset, lit, shaded] : {std::tuple{0.5, 0.16, 0.6}, {1.5, 0.06, 0.25}}) {
        cairo_move_to(cr, inset, h - inset - 0.5);
        cairo_line_to(cr, inset, inset);
        cairo_line_to(cr, w - inset - 0.5, inset);
        canvas.setSource(kWhite, lit);
        cairo_stroke(cr);
        cairo_move_to(cr, w - inset, inset - 0.5);
        cairo_line_to(cr, w - inset, h - inset);
        cairo_line_to(cr, inset - 0.5, h - inset);
        canvas.setSource(kBlack, shaded);
        cairo_stroke(cr);
    }

    const double corner = 9;
    for (const auto& [x, y] :
         {std::pair{corner, corner}, {w - corner, corner}, {corner, h - corner}, {w - corner, h - corner}})
        screw(x, y, look.seed % 7 + x * 0.013 + y * 0.017);
}

void PanelArt::screw(double x, double y, double turn) const
{
    cairo_t* cr = canvas.cr();
    const double r = 4;
    cairo_arc(cr, x, y + 0.7, r + 1, 0, 2 * kPi);
    canvas.setSource(kBlack, 0.45);
    cairo_fill(cr);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    canvas.fill(radial(x - 1.5, y - 1.5, 0, x, y, r, {{0, rgb(140, 145, 153)}, {1, rgb(56, 59, 64)}}));
    const double dx = std::cos(turn) * (r - 1), dy = std::sin(turn) * (r - 1);
    cairo_set_line_width(cr, 1.3);
    cairo_move_to(cr, x - dx, y - dy);
    cairo_line_to(cr, x + dx, y + dy);
    canvas.setSource(rgb(13, 13, 15), 0.9);
    cairo_stroke(cr);
}

void PanelArt::socket(double cx, double cy, double r) const
{
    cairo_t* cr = canvas.cr();
    cairo_arc(cr, cx, cy + 1.5, r + 5, 0, 2 * kPi);
    canvas.fill(radial(cx, cy + 1.5, r - 2, cx, cy + 1.5, r + 5, {{0, kBlack, 0.65}, {1, kBlack, 0}}));
    // The rim catches light below, where the panel turns towards the viewer.
    cairo_arc(cr, cx, cy, r + 1, 0, 2 * kPi);
    cairo_set_line_width(cr, 1);
    canvas.stroke(vertical(cy - r, cy + r, {{0, kBlack, 0.35}, {1, kWhite, 0.14}}));
}

void PanelArt::well(double left, double top, double width, double height) const
{
    cairo_t* cr = canvas.cr();
    const double x = left - 3, y = top - 3, w = width + 6, h = height + 6;
    roundedRectangle(cr, x, y, w, h, 3);
    canvas.setSource(rgb(14, 15, 18));
    cairo_fill(cr);
    // Shadow cast by the upper edge into the recess.
    roundedRectangle(cr, x, y, w, h, 3);
    canvas.fill(vertical(y, y + 4, {{0, kBlack, 0.6}, {1, kBlack, 0}}));
    roundedRectangle(cr, x - 0.5, y - 0.5, w + 1, h + 1, 3.5);
    cairo_set_line_width(cr, 1);
    canvas.stroke(vertical(y, y + h, {{0, kBlack, 0.5}, {1, kWhite, 0.16}}));
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

void PanelArt::glowLine(const std::vector<std::pair<double, double>>& points, const Rgb& colour) const
{
    cairo_t* cr = canvas.cr();
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_new_path(cr);
    for (const auto& [x, y] : points) cairo_line_to(cr, x, y);
    cairo_set_line_width(cr, 4);
    canvas.setSource(colour, 0.15);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 1.5);
    canvas.setSource(colour, 0.85);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void PanelArt::heading(const std::string& text, double left, double right, double baseline) const
{
    const double middle = (left + right) / 2, half = canvas.textWidth(text, kCaptionStyle) / 2;
    print(text, middle, baseline, kCaptionStyle, Align::Centre);
    const double y = std::round(baseline - kCaptionStyle.size * 0.35) + 0.5;
    rule(left, y, std::round(middle - half - 8), y);
    rule(std::round(middle + half + 8), y, right, y);
}

void PanelArt::rule(double x1, double y1, double x2, double y2) const
{
    cairo_t* cr = canvas.cr();
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    canvas.setSource(kBlack, 0.55);
    cairo_stroke(cr);
    const bool horizontal = std::abs(y2 - y1) < std::abs(x2 - x1);
    cairo_move_to(cr, x1 + (horizontal ? 0 : 1), y1 + (horizontal ? 1 : 0));
    cairo_line_to(cr, x2 + (horizontal ? 0 : 1), y2 + (horizontal ? 1 : 0));
    canvas.setSource(kWhite, 0.07);
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
