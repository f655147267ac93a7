#pragma once

// A control that shows its value as text: through a conversion the owner
// gives, or with two decimals, over a bitmap or a filled and framed box.

#include "toolkit/CColor.h"
#include "toolkit/CControl.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/Fonts.h"

// Style bits of displays, option menus and text fields.
enum CParamDisplayStyle : long {
    kCheckStyle = 0x1,          // option menu: every entry shows its own check flag
    kShadowText = 0x4,          // the text once more, one pixel right and down, under it
    k3DIn = 0x80,               // border: back colour top and left, frame colour bottom and right
    k3DOut = 0x100,             // border: the other way round
    kPopupStyle = 0x200,        // option menu: pops up at the top edge
    kCheckCurrentStyle = 0x400, // option menu: the current entry shown checked
    kNoTextStyle = 0x800,
    kNoDrawStyle = 0x1000,      // draws nothing; created clean
    kDoubleClickStyle = 0x2000, // text field: editing starts on a double click
    kNoFrame = 0x4000,
};

// The text buffers handed to conversions hold at least this many characters.
inline constexpr int kParamDisplayTextSize = 256;

using CParamDisplayValueToString = void (*)(float value, char* text);
using CParamDisplayValueToStringUserData = void (*)(float value, char* text, void* userData);
using CParamDisplayStringToValue = void (*)(char* text, float& value);

class CParamDisplay : public CControl {
  public:
    CParamDisplay(const CRect& size, CBitmap* background = nullptr, long style = 0);

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

    // The look's setters mark the display dirty only when something changes.
    virtual void setFont(CFont val) { change(fontID, val); }
    virtual void setFontColor(CColor color) { change(fontColor, color); }
    virtual void setBackColor(CColor color) { change(backColor, color); }
    virtual void setFrameColor(CColor color) { change(frameColor, color); }
    virtual void setShadowColor(CColor color) { change(shadowColor, color); }
    virtual void setHoriAlign(CHoriTxtAlign align) { change(horiTxtAlign, align); }
    virtual void setStringConvert(CParamDisplayValueToString convert);
    virtual void setStringConvert(CParamDisplayValueToStringUserData convert, void* userData);
    virtual void setString2FloatConvert(CParamDisplayStringToValue convert);
    virtual void setStyle(long val) { change(style, val); }
    virtual void setTxtFace(CTxtFace val) { change(txtFace, val); }
    virtual void setTextTransparency(bool val) { bTextTransparencyEnabled = val; }

    CFont getFont() const { return fontID; }
    CColor getFontColor() const { return fontColor; }
    CColor getBackColor() const { return backColor; }
    CColor getFrameColor() const { return frameColor; }
    CColor getShadowColor() const { return shadowColor; }
    CHoriTxtAlign getHoriAlign() const { return horiTxtAlign; }
    long getStyle() const { return style; }
    CTxtFace getTxtFace() const { return txtFace; }
    bool getTextTransparency() const { return bTextTransparencyEnabled; }

  protected:
    // Stores a setting and marks the display dirty when it changed.
    template <typename T> void change(T& setting, const T& val)
    {
        if (setting == val) return;
        setting = val;
        setDirty();
    }
    // The display's text for its value, through the conversions.
    void valueText(char (&text)[kParamDisplayTextSize]) const;
    // Background, border and text (null: none); background null takes the
    // control's own bitmap.
    void drawText(CDrawContext* context, const char* text, CBitmap* background = nullptr);

    CParamDisplayValueToString stringConvert = nullptr;
    CParamDisplayValueToStringUserData stringConvert2 = nullptr;
    void* userData = nullptr;
    CParamDisplayStringToValue string2FloatConvert = nullptr;
    CHoriTxtAlign horiTxtAlign = kCenterText;
    long style;
    CFont fontID = kFontNormal;
    CTxtFace txtFace = kPlainFace;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    CColor shadowColor = kRedCColor;
    bool bTextTransparencyEnabled = true;
};
