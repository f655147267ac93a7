#pragma once

// The flanger's editor: a background, seven film-strip knobs and the
// tempo-sync menu, each control tagged with the parameter it shows. It shows
// values pushed into it and reports edits through CControlListener; turning
// edits into parameter changes is the subclass's work.
//
// Main thread only.

#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CControlListener.h"

class CAnimKnob;
class CBitmap;
class CControl;
class COptionMenu;
class COptionMenuScheme;
class CFrame;

class VokVstEditor : public AEffGUIEditor, public CControlListener {
  public:
    // The controls carry tags 1 to 8.
    static constexpr long kControlCount = 8;

    explicit VokVstEditor(void* effect);
    ~VokVstEditor() override;

    bool open(WindowRef window) override;
    void close() override;
    void idle() override;
    using AEffGUIEditor::setParameter;
    virtual void setParameter(unsigned long index, float value);
    void valueChanged(CDrawContext* context, CControl* control) override;

    CAnimKnob* setKnob(CFrame* frame, int x, int y, int tag);
    COptionMenu* setOptionMenu(int x, int y, int width, int height, int tag);

  protected:
    // Index tag - 1 holds the control with that tag.
    CControl* controls[kControlCount] = {};
    CBitmap* background = nullptr;
    CBitmap* knobBitmap = nullptr;
    // The menu only points at it: the editor keeps it until the frame is gone.
    COptionMenuScheme* menuScheme = nullptr;
};
