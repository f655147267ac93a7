#pragma once

// A slider: a handle bitmap moving along a track over the background. A
// press moves the handle centre to the mouse (free click) or, without free
// click, must catch the handle, which then keeps its distance to the mouse.
// Shift slows the drag by the zoom factor; the wheel and the arrow keys
// step the value as for a knob.

#include "toolkit/CControl.h"
#include "toolkit/ControlOffscreen.h"

class CSlider : public CControl {
  public:
    // The handle positions are the handle's first and last place along the
    // axis, in the same coordinates as size; offset is the background's.
    CSlider(const CRect& size, CControlListener* listener, long tag, long iMinPos, long iMaxPos,
            CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(),
            long style = kLeft | kHorizontal);
    ~CSlider() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    long onKeyDown(VstKeyCode& key) override;
    bool removed(CView* parent) override;
    bool isTypeOf(const char* name) const override;

    // Without a handle bitmap the handle is one pixel square and not drawn.
    virtual void setHandle(CBitmap* handle);
    CBitmap* getHandle() const { return pHandle; }
    // Moves the handle from its track: along the axis and across it.
    virtual void setOffsetHandle(const CPoint& offset);
    CPoint getOffsetHandle() const { return offsetHandle; }
    virtual void setFreeClick(bool val) { bFreeClick = val; }
    bool getFreeClick() const { return bFreeClick; }
    virtual void setDrawTransparentHandle(bool val);
    bool getDrawTransparentHandle() const { return bDrawTransparentHandle; }
    // How much slower a drag with shift is.
    virtual void setZoomFactor(float val) { zoomFactor = val; }
    float getZoomFactor() const { return zoomFactor; }
    // Drawing through the slider's own off-screen context.
    void setUseOffscreen(bool val) { offscreen.setEnabled(val); }
    bool getUseOffscreen() const { return offscreen.isEnabled(); }
    long getStyle() const { return style; }

  protected:
    // The handle's rectangle where it stands for the value.
    CRect handleRect() const;
    bool horizontal() const { return style & kHorizontal; }
    // Value 0 at the right or bottom end.
    bool reversed() const { return !(style & (kLeft | kTop)); }
    CCoord along(const CPoint& point) const { return horizontal() ? point.h : point.v; }
    CCoord handleLength() const { return horizontal() ? widthOfSlider : heightOfSlider; }

    CBitmap* pHandle = nullptr;
    CPoint offsetHandle;
    CCoord widthOfSlider = 1;
    CCoord heightOfSlider = 1;
    CCoord rangeHandle;
    CCoord minPos; // the first place, from the control's top-left corner
    bool bFreeClick = true;
    bool bDrawTransparentHandle = true;
    float zoomFactor = 10.f;
    long style;
    ControlOffscreen offscreen;
};
