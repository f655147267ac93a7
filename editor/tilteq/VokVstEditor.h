#pragma once

// The tilt equaliser's editor: a background, a big knob over a ring knob,
// three small knobs, an on/off button and a display of the shelf
// frequency, each control tagged with the parameter it shows. It shows
// values pushed into it and reports edits through CControlListener; turning
// edits into parameter changes is the subclass's work.
//
// Main thread only.

#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CControlListener.h"

class CAnimKnob;
class CBitmap;
class CControl;
class COnOffButton;
class CParamDisplay;
class CFrame;

class VokVstEditor : public AEffGUIEditor, public CControlListener {
  public:
    explicit VokVstEditor(void* effect);
    ~VokVstEditor() override;

    bool open(WindowRef window) override;
    void close() override;
    void idle() override;
    using AEffGUIEditor::setParameter;
    virtual void setParameter(unsigned long index, float value);
    void valueChanged(CDrawContext* context, CControl* control) override;

    CAnimKnob* setKnobBig(CFrame* frame, int x, int y, int tag);
    CAnimKnob* setKnobRing(CFrame* frame, int x, int y, int tag);
    CAnimKnob* setKnobSmall(CFrame* frame, int x, int y, int tag);
    COnOffButton* setOnOffButton(CFrame* frame, int x, int y, int tag, int unused);
    CParamDisplay* setParamDisplay(CFrame* frame, int x, int y, int width, int height, int unused);

    // The shelf frequency of a normalised value, "1337Hz" for 0.5; text
    // holds at least 16 characters.
    static void freqStringConvert(float value, char* text);

  protected:
    CAnimKnob* knobBig = nullptr;
    CAnimKnob* knobRing = nullptr;
    CAnimKnob* knobBass = nullptr;
    CAnimKnob* knobQ = nullptr;
    CAnimKnob* knobVolume = nullptr;
    COnOffButton* onOff = nullptr;
    CParamDisplay* freqDisplay = nullptr;
    CBitmap* background = nullptr;
    CBitmap* bigBitmap = nullptr;
    CBitmap* ringBitmap = nullptr;
    CBitmap* smallBitmap = nullptr;
    CBitmap* onOffBitmap = nullptr;

  private:
    CAnimKnob* addKnob(CFrame* frame, int x, int y, int tag, CBitmap* bitmap, long frames);
};
