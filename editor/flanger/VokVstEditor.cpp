#include "VokVstEditor.h"

#include "toolkit/CAnimKnob.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuScheme.h"

namespace {

constexpr int kKnobBitmap = 129;
constexpr long kKnobFrames = 80;
constexpr CCoord kKnobFrameHeight = 49;

// Left edge and tag of each knob, all at top 26.
constexpr struct {
    int x;
    int tag;
} kKnobs[] = {{27, 1}, {91, 3}, {156, 4}, {221, 5}, {286, 6}, {378, 7}, {442, 8}};
constexpr int kKnobTop = 26;

// Entry index = "Sync Tempo" value.
constexpr const char* kSyncEntries[] = {"man", "1/2", "1/1", "2/1", "4/1", "1/2T", "1/1T", "2/1T", "4/1T"};
constexpr int kSyncTag = 2;

constexpr CColor kMenuText{120, 120, 120, 255};
constexpr CColor kMenuBack{50, 50, 50, 255};
constexpr CColor kMenuSelectedBack{25, 25, 25, 255};

} // namespace

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
    knobBitmap = new CBitmap(kKnobBitmap);
    knobBitmap->setTransparentColor(kBlackCColor);

    auto* newFrame = new CFrame(CRect(0, 0, background->getWidth(), background->getHeight()), window, this);
    newFrame->setBackground(background);

    for (const auto& knob : kKnobs) controls[knob.tag - 1] = setKnob(newFrame, knob.x, kKnobTop, knob.tag);

    COptionMenu* menu = setOptionMenu(26, 106, 50, 16, kSyncTag);
    for (const char* entry : kSyncEntries) menu->addEntry(entry, -1);
    newFrame->addView(menu);
    controls[kSyncTag - 1] = menu;

    setKnobMode(2);
    frame = newFrame;
    return true;
}

void VokVstEditor::close()
{
    // The frame first: its views point at the bitmaps and the scheme.
    AEffGUIEditor::close();
    for (CControl*& control : controls) control = nullptr;
    if (menuScheme) menuScheme->forget();
    menuScheme = nullptr;
    for (CBitmap** bitmap : {&background, &knobBitmap}) {
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
    if (!frame || index < 1 || index > kControlCount) return;
    controls[index - 1]->setValue(value);
}

void VokVstEditor::valueChanged(CDrawContext*, CControl* control)
{
    if (static_cast<unsigned long>(control->getTag()) <= 21) control->setDirty(true);
}

CAnimKnob* VokVstEditor::setKnob(CFrame* parent, int x, int y, int tag)
{
    const CRect size(x, y, x + knobBitmap->getWidth(), y + kKnobFrameHeight);
    auto* knob = new CAnimKnob(size, this, tag, kKnobFrames, kKnobFrameHeight, knobBitmap, CPoint(0, 0));
    knob->setTransparency(true);
    parent->addView(knob);
    return knob;
}

COptionMenu* VokVstEditor::setOptionMenu(int x, int y, int width, int height, int tag)
{
    // One scheme per opening, released by close.
    if (!menuScheme) menuScheme = new COptionMenuScheme();
    menuScheme->setColors(kMenuBack, kMenuSelectedBack, kMenuText, kWhiteCColor, kMenuBack);
    auto* menu = new COptionMenu(CRect(x, y, x + width, y + height), this, tag, nullptr, nullptr, 0);
    menu->setFontColor(kMenuText);
    menu->setBackColor(kMenuBack);
    menu->setScheme(menuScheme);
    return menu;
}
