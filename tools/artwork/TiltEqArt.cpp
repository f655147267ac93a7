#include "tools/artwork/TiltEqArt.h"

#include <cmath>

#include "tools/artwork/KnobArt.h"
#include "tools/artwork/PanelArt.h"

namespace artwork {

namespace {

constexpr int kWidth = 400, kHeight = 256;
// The ring knob frames the big knob, which lies 10 pixels in from its corner.
constexpr int kRingLeft = 140, kRingTop = 62, kRing = 120;
constexpr int kBigLeft = 150, kBigTop = 72, kBig = 100;
constexpr int kSmall = 40, kSmallTop = 188;
constexpr int kButtonLeft = 175, kButtonTop = 199, kButtonWidth = 50, kButtonHeight = 20;
constexpr int kDisplayLeft = 95, kDisplayTop = 68, kDisplayWidth = 40, kDisplayHeight = 15;
constexpr int kBigFrames = 61, kSmallFrames = 60;

struct Knob {
    int left;
    const char* label;
};
constexpr Knob kSmallKnobs[] = {{32, "BASS LIFT"}, {103, "SHELF Q"}, {337, "VOLUME"}};

const PanelLook kLook{rgb(44, 46, 52), rgb(26, 27, 31), rgb(242, 160, 58), 0x711e9};
constexpr Rgb kFrequencyAccent = rgb(96, 190, 236);

const KnobLook kBigLook{kBig, 48.5, 44, 38, 10, 31, 3, 60, true, kLook.accent};
const KnobLook kSmallLook{kSmall, 19.5, 16, 12, 4, 10, 2, 0, false, kLook.accent};
const RingLook kRingLook{kRing, 59.5, 49.5, kFrequencyAccent};

constexpr int kLabelBaseline = kSmallTop + kSmall + 13;

// What the unit does, drawn small: a flat line and the response tilted
// about the corner, low frequencies left.
void emblem(const Canvas& canvas, double cx, double cy)
{
    cairo_t* cr = canvas.cr();
    constexpr double half = 44, rise = 15;
    cairo_save(cr);
    cairo_set_line_width(cr, 1);
    const double dash[] = {2, 3};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_move_to(cr, cx - half, cy + 0.5);
    cairo_line_to(cr, cx + half, cy + 0.5);
    canvas.setSource(kCaption, 0.5);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (double x = -half; x <= half; x += 1) {
        const double y = cy - rise * std::tanh(x / 16);
        if (x == -half)
            cairo_move_to(cr, cx + x, y);
        else
            cairo_line_to(cr, cx + x, y);
    }
    cairo_set_line_width(cr, 4);
    canvas.setSource(kLook.accent, 0.15);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 1.5);
    canvas.setSource(kLook.accent, 0.85);
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, 2.5, 0, 2 * 3.14159265358979323846);
    canvas.setSource(kFrequencyAccent);
    cairo_fill(cr);
    cairo_restore(cr);
    const TextStyle caption{8, true, kCaption, 2};
    PanelArt(canvas).print("LOW", cx - half, cy + 30, caption, Align::Left);
    PanelArt(canvas).print("HIGH", cx + half, cy + 30, caption, Align::Right);
}

std::unique_ptr<Canvas> background()
{
    auto canvas = std::make_unique<Canvas>(kWidth, kHeight, false);
    const PanelArt art(*canvas);
    art.panel(kLook);
    for (const auto& [x, y] : {std::pair{9, 9}, {kWidth - 9, 9}, {9, kHeight - 9}, {kWidth - 9, kHeight - 9}})
        art.screw(x, y, 0.4 + x * 0.013 + y * 0.017);
    art.title("TiltEq", "Unit", kSmallKnobs[0].left, 36, Align::Left, kLook);

    const double cx = kRingLeft + kRing / 2.0, cy = kRingTop + kRing / 2.0;
    art.socket(cx, cy, kRing / 2.0);
    art.print("SHELF", cx, kRingTop - 8, kLabelStyle, Align::Centre);
    // The frequency ring's ends, outside its travel's gap.
    const TextStyle ends{8, true, kCaption, 1};
    art.print("100", cx - 44, cy + 58, ends, Align::Right);
    art.print("10k", cx + 44, cy + 58, ends, Align::Left);
    emblem(*canvas, 330, 122);

    art.well(kDisplayLeft, kDisplayTop, kDisplayWidth, kDisplayHeight);
    art.print("FREQ", kDisplayLeft + kDisplayWidth / 2.0, kDisplayTop - 7, kLabelStyle, Align::Centre);

    for (const Knob& knob : kSmallKnobs) {
        art.socket(knob.left + kSmall / 2.0, kSmallTop + kSmall / 2.0, kSmall / 2.0);
        art.print(knob.label, knob.left + kSmall / 2.0, kLabelBaseline, kLabelStyle, Align::Centre);
    }
    art.well(kButtonLeft, kButtonTop, kButtonWidth, kButtonHeight);
    art.print("EQ", kButtonLeft + kButtonWidth / 2.0, kLabelBaseline, kLabelStyle, Align::Centre);
    return canvas;
}

// The button is opaque, so each state carries the panel under it.
std::unique_ptr<Canvas> button(const Canvas& panel)
{
    auto canvas = std::make_unique<Canvas>(kButtonWidth, 2 * kButtonHeight, false);
    cairo_t* cr = canvas->cr();
    for (int on = 0; on < 2; ++on) {
        cairo_save(cr);
        cairo_translate(cr, 0, on * kButtonHeight);
        cairo_rectangle(cr, 0, 0, kButtonWidth, kButtonHeight);
        cairo_clip(cr);
        cairo_set_source_surface(cr, panel.surface(), -kButtonLeft, -kButtonTop);
        cairo_paint(cr);
        // A key, lit from above.
        cairo_pattern_t* face = cairo_pattern_create_linear(0, 0, 0, kButtonHeight);
        cairo_pattern_add_color_stop_rgb(face, 0, 0.33, 0.35, 0.38);
        cairo_pattern_add_color_stop_rgb(face, 1, 0.15, 0.16, 0.18);
        cairo_rectangle(cr, 1, 1, kButtonWidth - 2, kButtonHeight - 2);
        cairo_set_source(cr, face);
        cairo_fill(cr);
        cairo_pattern_destroy(face);
        cairo_set_line_width(cr, 1);
        cairo_rectangle(cr, 1.5, 1.5, kButtonWidth - 3, kButtonHeight - 3);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
        cairo_stroke(cr);

        const double ledX = 12, ledY = kButtonHeight / 2.0;
        if (on) {
            cairo_pattern_t* glow = cairo_pattern_create_radial(ledX, ledY, 0, ledX, ledY, 9);
            cairo_pattern_add_color_stop_rgba(glow, 0, kLook.accent.r, kLook.accent.g, kLook.accent.b, 0.55);
            cairo_pattern_add_color_stop_rgba(glow, 1, kLook.accent.r, kLook.accent.g, kLook.accent.b, 0);
            cairo_rectangle(cr, 1, 1, kButtonWidth - 2, kButtonHeight - 2);
            cairo_set_source(cr, glow);
            cairo_fill(cr);
            cairo_pattern_destroy(glow);
        }
        cairo_arc(cr, ledX, ledY, 3.5, 0, 2 * 3.14159265358979323846);
        if (on)
            canvas->setSource(rgb(255, 214, 150));
        else
            canvas->setSource(rgb(70, 50, 36));
        cairo_fill_preserve(cr);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_stroke(cr);

        const TextStyle text{9, true, on ? rgb(240, 242, 245) : rgb(120, 125, 133), 1};
        canvas->text(on ? "ON" : "OFF", 33, ledY + 3.5, text, Align::Centre);
        cairo_restore(cr);
    }
    return canvas;
}

} // namespace

TiltEqArt::TiltEqArt()
{
    auto panel = background();
    auto onOff = button(*panel);
    bitmaps.push_back({128, std::move(panel)});
    bitmaps.push_back(
        {129, filmStrip(kBig, kBigFrames, [](const Canvas& c, double v) { drawKnob(c, kBigLook, v); })});
    bitmaps.push_back({130, filmStrip(kSmall, kSmallFrames,
                                      [](const Canvas& c, double v) { drawKnob(c, kSmallLook, v); })});
    bitmaps.push_back({131, std::move(onOff)});
    bitmaps.push_back(
        {132, filmStrip(kRing, kBigFrames, [](const Canvas& c, double v) { drawRing(c, kRingLook, v); })});
}

void TiltEqArt::composePreview(const Canvas& editor) const
{
    drawFrame(editor, 132, kRingLeft, kRingTop, kRing, kBigFrames, 0.5);
    drawFrame(editor, 129, kBigLeft, kBigTop, kBig, kBigFrames, 0.7);
    constexpr double values[] = {0.3, 0.5, 0.65};
    for (size_t i = 0; i < std::size(kSmallKnobs); ++i)
        drawFrame(editor, 130, kSmallKnobs[i].left, kSmallTop, kSmall, kSmallFrames, values[i]);
    drawFrame(editor, 131, kButtonLeft, kButtonTop, kButtonHeight, 2, 1.0);
    drawTextBox(editor, kDisplayLeft, kDisplayTop, kDisplayWidth, kDisplayHeight, "1337Hz", 9,
                rgb(120, 120, 120), rgb(10, 10, 10), rgb(190, 185, 185));
}

} // namespace artwork
