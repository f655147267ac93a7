#include "tools/artwork/FlangerArt.h"

#include <cmath>

#include "tools/artwork/KnobArt.h"
#include "tools/artwork/PanelArt.h"

namespace artwork {

namespace {

constexpr int kWidth = 518, kHeight = 140;
constexpr int kKnob = 49, kFrames = 80, kKnobTop = 26;

struct Knob {
    int left;
    const char* label;
};
constexpr Knob kKnobs[] = {{27, "SPEED"},     {91, "DEPTH"},      {156, "DELAY"}, {221, "PHASE"},
                           {286, "FEEDBACK"}, {378, "DRY / WET"}, {442, "VOLUME"}};
constexpr int kMenuLeft = 26, kMenuTop = 106, kMenuWidth = 50, kMenuHeight = 16;

const PanelLook kLook{rgb(44, 47, 53), rgb(27, 29, 33), rgb(64, 200, 224), 0x5eed1};

const KnobLook kKnobLook{kKnob, 24, 20.5, 15.5, 5, 13, 2, 0, false, kLook.accent};

std::unique_ptr<Canvas> background()
{
    auto canvas = std::make_unique<Canvas>(kWidth, kHeight, false);
    const PanelArt art(*canvas);
    art.panel(kLook);
    for (const auto& [x, y] : {std::pair{9, 9}, {kWidth - 9, 9}, {9, kHeight - 9}, {kWidth - 9, kHeight - 9}})
        art.screw(x, y, 0.3 + x * 0.01 + y * 0.02);

    // The modulation knobs and the two output knobs form groups, parted by
    // the wider gap the layout leaves between them.
    const double half = kKnob / 2.0;
    const double partition = (kKnobs[4].left + kKnob + kKnobs[5].left) / 2.0;
    art.print("MODULATION", (kKnobs[0].left + kKnobs[4].left + kKnob) / 2.0, 16, kCaptionStyle,
              Align::Centre);
    art.print("OUTPUT", (kKnobs[5].left + kKnobs[6].left + kKnob) / 2.0, 16, kCaptionStyle, Align::Centre);
    art.rule(std::round(partition) + 0.5, 22, std::round(partition) + 0.5, 92);
    for (const Knob& knob : kKnobs) {
        art.socket(knob.left + half, kKnobTop + half, half);
        art.print(knob.label, knob.left + half, kKnobTop + kKnob + 13, kLabelStyle, Align::Centre);
    }
    art.rule(18, 97.5, kWidth - 18, 97.5);
    art.well(kMenuLeft, kMenuTop, kMenuWidth, kMenuHeight);
    art.print("SYNC", kMenuLeft + kMenuWidth + 9, kMenuTop + 11, kLabelStyle, Align::Left);
    art.title("Flanger", "Unit", kKnobs[6].left + kKnob, kHeight - 16, Align::Right, kLook);
    return canvas;
}

} // namespace

FlangerArt::FlangerArt()
{
    bitmaps.push_back({128, background()});
    bitmaps.push_back(
        {129, filmStrip(kKnob, kFrames, [](const Canvas& c, double v) { drawKnob(c, kKnobLook, v); })});
}

void FlangerArt::composePreview(const Canvas& editor) const
{
    constexpr double values[] = {0.5, 0.35, 0.62, 0.5, 0.78, 0.45, 1.0};
    for (size_t i = 0; i < std::size(kKnobs); ++i)
        drawFrame(editor, 129, kKnobs[i].left, kKnobTop, kKnob, kFrames, values[i]);
    drawTextBox(editor, kMenuLeft, kMenuTop, kMenuWidth, kMenuHeight, "1/2", 12, rgb(120, 120, 120),
                rgb(50, 50, 50), rgb(0, 0, 0));
}

} // namespace artwork
