#pragma once

// A view that carries a parameter value: the value, its range, default and
// wheel step, the tag naming the parameter, and the listener told of every
// change. A change made with the mouse, the wheel or the keys is bracketed
// by beginEdit and endEdit, which the frame passes on to the editor.
//
// Main thread only.

#include <cstdint>

#include "toolkit/CControlListener.h"
#include "toolkit/CView.h"

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
