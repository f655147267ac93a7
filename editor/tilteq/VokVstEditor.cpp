#include "VokVstEditor.h"

#include <cstdio>

#include "toolkit/CAnimKnob.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/NumericConversions.h"

VokVstEditor::VokVstEditor(void* effect) : AEffGUIEditor(static_cast<ComponentInstance>(effect))
{
    background = new CBitmap(128);
    rect = toolkit::toERect(CRect(0, 0, background->getWidth(), background->getHeight()));
}

VokVstEditor::~VokVstEditor()
{
    if (background) background->forget();
}

bool VokVstEditor::open(WindowRef window)
{
    AEffGUIEditor::open(window);
    if (background) background->forget();
    background = new CBitmap(128);
    bigBitmap = new CBitmap(129);
    ringBitmap = new CBitmap(132);
    smallBitmap = new CBitmap(130);
    onOffBitmap = new CBitmap(131);
    for (CBitmap* bitmap : {bigBitmap, ringBitmap, smallBitmap, onOffBitmap})
        bitmap->setTransparentColor(kBlackCColor);

    auto* newFrame = new CFrame(CRect(0, 0, background->getWidth(), background->getHeight()), window, this);
    newFrame->setBackground(background);

    // The big knob after the ring knob, so that it lies above it.
    knobRing = setKnobRing(newFrame, 140, 62, 7);
    knobBig = setKnobBig(newFrame, 150, 72, 1);
    knobBass = setKnobSmall(newFrame, 32, 188, 3);
    knobQ = setKnobSmall(newFrame, 103, 188, 2);
    knobVolume = setKnobSmall(newFrame, 337, 188, 5);
    onOff = setOnOffButton(newFrame, 175, 199, 6, 0);
    freqDisplay = setParamDisplay(newFrame, 95, 68, 40, 15, 0);
    freqDisplay->setStringConvert(freqStringConvert);

    setKnobMode(2);
    frame = newFrame;
    return true;
}

void VokVstEditor::close()
{
    // The frame first: its views point at the bitmaps.
    AEffGUIEditor::close();
    knobBig = knobRing = knobBass = knobQ = knobVolume = nullptr;
    onOff = nullptr;
    freqDisplay = nullptr;
    for (CBitmap** bitmap : {&background, &ringBitmap, &bigBitmap, &smallBitmap, &onOffBitmap}) {
        if (*bitmap) (*bitmap)->forget();
        *bitmap = nullptr;
    }
}

void VokVstEditor::idle()
{
    AEffGUIEditor::idle();
}

void VokVstEditor::setParameter(unsigned long index, float value)
{
    if (!frame) return;
    switch (index) {
    case 1:
        knobBig->setValue(value);
        break;
    case 2:
        knobQ->setValue(value);
        break;
    case 3:
        knobBass->setValue(value);
        break;
    case 5:
        knobVolume->setValue(value);
        break;
    case 6:
        onOff->setValue(value);
        break;
    case 7:
        knobRing->setValue(value);
        freqDisplay->setValue(value);
        break;
    default:
        break;
    }
}

void VokVstEditor::valueChanged(CDrawContext*, CControl* control)
{
    if (static_cast<unsigned long>(control->getTag()) <= 20) control->setDirty(true);
}

CAnimKnob* VokVstEditor::addKnob(CFrame* parent, int x, int y, int tag, CBitmap* bitmap, long frames)
{
    const CCoord side = bitmap->getWidth();
    auto* knob =
        new CAnimKnob(CRect(x, y, x + side, y + side), this, tag, frames, side, bitmap, CPoint(0, 0));
    knob->setTransparency(true);
    parent->addView(knob);
    return knob;
}

CAnimKnob* VokVstEditor::setKnobBig(CFrame* parent, int x, int y, int tag)
{
    CAnimKnob* knob = addKnob(parent, x, y, tag, bigBitmap, 61);
    knob->setWheelInc(0.001f);
    return knob;
}

CAnimKnob* VokVstEditor::setKnobRing(CFrame* parent, int x, int y, int tag)
{
    return addKnob(parent, x, y, tag, ringBitmap, 61);
}

CAnimKnob* VokVstEditor::setKnobSmall(CFrame* parent, int x, int y, int tag)
{
    return addKnob(parent, x, y, tag, smallBitmap, 60);
}

COnOffButton* VokVstEditor::setOnOffButton(CFrame* parent, int x, int y, int tag, int)
{
    const CRect size(x, y, x + onOffBitmap->getWidth(), y + onOffBitmap->getHeight() / 2);
    auto* button = new COnOffButton(size, this, tag, onOffBitmap, 0);
    button->setTransparency(false);
    parent->addView(button);
    return button;
}

CParamDisplay* VokVstEditor::setParamDisplay(CFrame* parent, int x, int y, int width, int height, int)
{
    auto* display = new CParamDisplay(CRect(x, y, x + width, y + height), nullptr, 0);
    display->setFontColor(CColor{120, 120, 120, 255});
    display->setBackColor(CColor{10, 10, 10, 255});
    display->setFont(kFontVerySmall);
    display->setFrameColor(CColor{190, 185, 185, 255});
    parent->addView(display);
    return display;
}

void VokVstEditor::freqStringConvert(float value, char* text)
{
    // Values come from saved states and automation: out of range or NaN,
    // the frequency still converts to a defined integer.
    const float hertz = value * (value * value) * 9900.0f + 100.0f;
    std::snprintf(text, 16, "%dHz", toolkit::clampTo<int32_t>(static_cast<double>(hertz)));
}
