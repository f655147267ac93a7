#pragma once

// A view that carries a parameter value: the value, its range, default and
// wheel step, the tag naming the parameter, and the listener told of every
// change. A change made with the mouse, the wheel or the keys is bracketed
// by beginEdit and endEdit, which the frame passes on to the editor.
//
// Main thread only.

#include <cstdint>

#include "toolkit/CControlListener.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CView.h"

// Style bits of the controls that lie along an axis.
enum CControlStyle : long {
    kHorizontal = 1,
    kVertical = 2,
    kLeft = 8,
    kRight = 0x10,
    kTop = 0x20,
    kBottom = 0x40,
};

class CControl : public CView {
  public:
    CControl(const CRect& size, CControlListener* listener = nullptr, long tag = 0,
             CBitmap* background = nullptr);

    // Lets the frame run the event loop and redraw (tracking loops call it).
    virtual void doIdleStuff();

    // Only stores: dirtiness follows from the value (see isDirty).
    virtual void setValue(float val) { value = val; }
    virtual float getValue() const { return value; }
    virtual void setMin(float val) { vmin = val; }
    virtual float getMin() const { return vmin; }
    virtual void setMax(float val) { vmax = val; }
    virtual float getMax() const { return vmax; }
    virtual void setOldValue(float val) { oldValue = val; }
    virtual float getOldValue() const { return oldValue; }
    virtual void setDefaultValue(float val) { defaultValue = val; }
    virtual float getDefaultValue() const { return defaultValue; }
    virtual void setTag(long val) { tag = val; }
    virtual long getTag() const { return tag; }

    // Makes this control the focus view and opens the parameter gesture.
    virtual void beginEdit();
    virtual void endEdit();

    virtual void setBackOffset(const CPoint& offset) { backOffset = offset; }
    // The background offset becomes the control's own top-left corner.
    virtual void copyBackOffset() { backOffset = size.topLeft(); }
    virtual void setWheelInc(float val) { wheelInc = val; }
    virtual float getWheelInc() const { return wheelInc; }

    // Clamps the value into minimum..maximum.
    virtual void bounceValue();
    // Command-click (exactly primary + command) resets to the default value
    // as one edit and answers true; anything else answers false.
    virtual bool checkDefaultValue(CDrawContext* context, long buttons);

    // Dirty while the value differs from the one last drawn (NaN always).
    bool isDirty() const override;
    void setDirty(bool val = true) override;
    bool isTypeOf(const char* name) const override;

    // True for a click within the double-click window of the one before.
    bool isDoubleClick();

    CControlListener* getListener() const { return listener; }
    void setListener(CControlListener* l) { listener = l; }

  protected:
    // Draws bitmap over the control from offset in it, transparently when
    // the control is transparent.
    void drawBackground(CDrawContext* context, CBitmap* bitmap, const CPoint& offset);
    // The same into rect (the control's place in an off-screen context).
    void drawBackground(CDrawContext* context, CBitmap* bitmap, const CPoint& offset, const CRect& rect);
    // Draws image index of a strip of images one above the other, from the
    // background offset.
    void drawStackedImage(CDrawContext* context, long index, CCoord heightOfOneImage);
    // The position (0 to positions - 1) that the value picks, rounded; NaN
    // and values outside 0..1 pick the nearer end, and fewer than two
    // positions the first.
    long positionOf(long positions) const;
    // A switch's click: the value picks one of positions equal parts of an
    // image extent from the control's left (across) or top edge, while the
    // buttons of the press stay down. Without two positions or an extent
    // the click changes nothing.
    void trackSwitch(CDrawContext* context, CPoint& where, long buttons, long positions, CCoord imageExtent,
                     bool across);
    // Within rect, all four edges inclusive.
    static bool touches(const CRect& rect, const CPoint& point);
    // How many images of imageExtent fit in the bitmap's height (or width,
    // across); none without bitmap or image extent.
    static long imagesIn(const CBitmap* bitmap, CCoord imageExtent, bool across = false);

    // Resolves buttons from the context when asked to; true for a primary
    // click on an enabled control that the listener did not take as a
    // modifier click.
    bool takesClick(CDrawContext* context, long& buttons);
    // Offers a modifier click to the listener; true when it took it.
    bool offerModifierClick(CDrawContext* context, long buttons);
    // Tells the listener when the value changed.
    void reportChange(CDrawContext* context);
    // One edit around a change already made, told to the listener.
    void reportEdit(CDrawContext* context);
    // Tells the listener, if any, whether or not the value changed.
    void tell(CDrawContext* context);
    // Moves the value by distance wheel increments (a tenth of one when
    // fine), clamps it and reports it as one edit when it changed.
    void stepValue(CDrawContext* context, float distance, bool fine);
    // The wheel stepping the value; false when mouse is disabled.
    bool wheelStep(CDrawContext* context, float distance);
    // Arrow keys stepping the value: up and right add, left and down
    // subtract; 1 for them, kNotHandled for other keys.
    long arrowKeyStep(const VstKeyCode& key);

    // Held by a tracking loop: keeps the control and its frame alive while
    // the loop runs the event loop, and tells when the frame was closed.
    class Tracking {
      public:
        explicit Tracking(CControl* control);
        ~Tracking();
        Tracking(const Tracking&) = delete;
        Tracking& operator=(const Tracking&) = delete;
        bool frameOpen() const;

      private:
        CControl* control;
        CFrame* frame;
    };

    // A tracking loop, under tracking held by the caller: follow(where,
    // buttons) sets the value for the mouse at where with the buttons now;
    // the listener hears each change (and a first value not yet drawn); the
    // loop goes on, keeping the window alive, while held(buttons) and the
    // frame is open.
    template <typename Follow, typename Held>
    void track(CDrawContext* context, CPoint& where, long buttons, const Tracking& tracking, Follow follow,
               Held held)
    {
        bool heard = false;
        float last = value;
        do {
            follow(where, buttons);
            if (!(value == last) || (!heard && isDirty())) {
                tell(context);
                heard = true;
                last = value;
            }
            getMouseLocation(context, where);
            doIdleStuff();
            buttons = context->getMouseButtons();
        } while (held(buttons) && tracking.frameOpen());
    }

    CControlListener* listener;
    long tag;
    float oldValue = 1.f;
    float defaultValue = 0.5f;
    float value = 0.f;
    float vmin = 0.f;
    float vmax = 1.f;
    float wheelInc = 0.1f;
    int64_t lastTicks = -1;
    int32_t delta;
    CPoint backOffset;
};
