#pragma once

// A control's own off-screen context, so that it can draw its layers
// without flicker: made at the control's size when first drawn through and
// released on demand (when the control leaves its container).

#include "toolkit/CGeometry.h"

class CDrawContext;
class CFrame;
class COffscreenContext;

class ControlOffscreen {
  public:
    ControlOffscreen() = default;
    ~ControlOffscreen();
    ControlOffscreen(const ControlOffscreen&) = delete;
    ControlOffscreen& operator=(const ControlOffscreen&) = delete;

    // Where to draw a control of that size: the off-screen context with
    // area at its origin, or context itself with area the size.
    CDrawContext* begin(CFrame* frame, CDrawContext* context, const CRect& size, CRect& area);
    // Copies what was drawn off-screen to the control's size in context.
    void end(CDrawContext* context, const CRect& size);
    void release();

    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled; }

  private:
    COffscreenContext* offscreen = nullptr;
    bool enabled = false;
};
