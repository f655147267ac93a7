#pragma once

// Knobs drawn at one value, and film strips of them: frame i of n shows the
// value i / (n - 1), the pointer travelling 270° clockwise from the lower
// left to the lower right. What lies outside a knob's track stays fully
// transparent, and stored as black, the key colour, so the strips look the
// same whether they are drawn with their alpha or keyed.

#include <functional>
#include <memory>

#include "tools/artwork/Canvas.h"

namespace artwork {

struct KnobLook {
    double size;       // the square the knob sits in
    double trackOuter; // the value arc's groove, radii
    double trackInner;
    double body;                   // radius of the turning part
    double pointerFrom, pointerTo; // from the centre
    double pointerWidth;
    int knurls;   // ridges round the body's rim; 0 for a smooth rim
    bool bipolar; // the arc grows from the top, as for a balance
    Rgb accent;
};

// A collar turning round another knob: its groove with the value arc, and
// a marker at the value.
struct RingLook {
    double size;
    double outer, inner;
    Rgb accent;
};

// Cairo's angle (radians, clockwise from 3 o'clock) of the pointer at value.
double pointerAngle(double value);

void drawKnob(const Canvas& canvas, const KnobLook& look, double value);
void drawRing(const Canvas& canvas, const RingLook& look, double value);

// frames square frames of side size stacked vertically, each painted at its
// value with the frame's top left corner as the origin.
std::unique_ptr<Canvas> filmStrip(int size, int frames,
                                  const std::function<void(const Canvas&, double)>& paint);

} // namespace artwork
