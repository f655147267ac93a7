#pragma once

// What a control reports to its owner (an editor).

class CControl;
class CDrawContext;

class CControlListener {
  public:
    virtual ~CControlListener() = default;

    // After the control's value changed; context may be null.
    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
    // Offered a click with shift, command, option or control held before
    // the control handles it; non-zero when the listener took the click.
    virtual long controlModifierClicked(CDrawContext*, CControl*, long /*buttons*/) { return 0; }
};
