#pragma once

// The pieces of an editor's background: a brushed, bevelled panel with
// screws, sockets the knobs sit in, recessed wells for menus and displays,
// the unit's name and the controls' labels.

#include <string>

#include "tools/artwork/Canvas.h"

namespace artwork {

struct PanelLook {
    Rgb top, bottom;
    Rgb accent;
    uint32_t seed; // the grain's, so each panel has its own brushing
};

inline constexpr Rgb kLabel = rgb(196, 201, 209);
inline constexpr Rgb kCaption = rgb(128, 134, 144);
inline const TextStyle kLabelStyle{9, true, kLabel, 1};
inline const TextStyle kCaptionStyle{8, true, kCaption, 2};

class PanelArt {
  public:
    explicit PanelArt(const Canvas& canvas) : canvas(canvas) {}

    void panel(const PanelLook& look) const;
    void screw(double x, double y, double turn) const;
    // A soft shadow and a fine rim round where a round control of radius r turns.
    void socket(double cx, double cy, double r) const;
    // A recess a few pixels larger than the rectangle it frames.
    void well(double left, double top, double width, double height) const;
    // The unit's name, its first part bold, the rest light in the accent
    // colour, starting (Left) or ending (Right) at x.
    void title(const std::string& bold, const std::string& light, double x, double baseline, Align align,
               const PanelLook& look) const;
    // An engraved line, dark with a lit edge below it.
    void rule(double x1, double y1, double x2, double y2) const;
    // Text with a dark copy one pixel under it, which lifts it off the grain.
    void print(const std::string& text, double x, double baseline, const TextStyle& style, Align align) const;

  private:
    const Canvas& canvas;
};

} // namespace artwork
