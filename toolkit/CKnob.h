#pragma once

// A rotary knob: a background bitmap and a handle (a bitmap, or a shadowed
// line from the centre) on a circle. The value maps linearly onto an arc
// from the start angle over the range angle (radians, anticlockwise, y up);
// a negative range runs clockwise. Dragged circularly (the handle follows
// the mouse) or linearly (up or right increases), with the wheel and with
// the arrow keys.

#include "toolkit/CColor.h"
#include "toolkit/CControl.h"

class CKnob : public CControl {
  public:
    CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background, CBitmap* handle,
          const CPoint& offset = CPoint());
    ~CKnob() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    long onKeyDown(VstKeyCode& key) override;
    bool isTypeOf(const char* name) const override;

    virtual void drawHandle(CDrawContext* context);
    virtual void setStartAngle(float val);
    virtual float getStartAngle() const { return startAngle; }
    virtual void setRangeAngle(float val);
    virtual float getRangeAngle() const { return rangeAngle; }
    // The handle point for the value, relative to the control's top-left corner.
    virtual void valueToPoint(CPoint& point) const;
    // The value for a point relative to the control's top-left corner.
    virtual float valueFromPoint(const CPoint& point) const;
    virtual void setInsetValue(long val) { inset = val; }
    virtual void setColorShadowHandle(CColor color);
    virtual void setColorHandle(CColor color);
    virtual void setHandleBitmap(CBitmap* bitmap);
    // How much finer a linear drag with shift is.
    virtual void setZoomFactor(float val) { zoomFactor = val; }
    virtual float getZoomFactor() const { return zoomFactor; }

  protected:
    // The coefficients of the value-to-angle mapping, from the angles and range.
    void compute();

    CPoint offset;
    CColor colorHandle = kWhiteCColor;
    CColor colorShadowHandle = kGreyCColor;
    CBitmap* pHandle = nullptr;
    long inset = 3;
    float startAngle;
    float rangeAngle;
    float aCoef = 0.f;
    float bCoef = 0.f;
    float halfAngle = 0.f;
    float radius;
    float zoomFactor = 1.5f;
};
