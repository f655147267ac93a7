#include "toolkit/CParamDisplay.h"

#include <cstdio>
#include <cstring>

#include "toolkit/CBitmap.h"

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, long style)
    : CControl(size, nullptr, 0, background), style(style)
{
    if (style & kNoDrawStyle) setDirty(false);
}

bool CParamDisplay::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CParamDisplay") == 0 || CControl::isTypeOf(name);
}

void CParamDisplay::valueText(char (&text)[kParamDisplayTextSize]) const
{
    text[0] = 0;
    if (stringConvert2)
        stringConvert2(value, text, userData);
    else if (stringConvert)
        stringConvert(value, text);
    else
        std::snprintf(text, sizeof text, "%2.2f", value);
}

void CParamDisplay::draw(CDrawContext* context)
{
    char text[kParamDisplayTextSize];
    valueText(text);
    drawText(context, text);
}

void CParamDisplay::drawText(CDrawContext* context, const char* text, CBitmap* background)
{
    setDirty(false);
    if (style & kNoDrawStyle) return;

    if (!background) background = pBackground;
    if (background) {
        drawBackground(context, background, backOffset);
    } else if (!bTransparencyEnabled) {
        context->setFillColor(backColor);
        context->fillRect(size);
        if (!(style & (kNoFrame | k3DOut | k3DIn))) {
            context->setFrameColor(frameColor);
            context->drawRect(size);
        }
    }

    if (style & (k3DIn | k3DOut)) {
        const bool in = style & k3DIn;
        context->setFrameColor(in ? backColor : frameColor);
        context->moveTo(CPoint(size.left, size.bottom - 1));
        context->lineTo(CPoint(size.left, size.top + 1));
        context->lineTo(CPoint(size.right - 1, size.top + 1));
        context->setFrameColor(in ? frameColor : backColor);
        context->moveTo(CPoint(size.right - 1, size.top + 1));
        context->lineTo(CPoint(size.right - 1, size.bottom - 1));
        context->lineTo(CPoint(size.left, size.bottom - 1));
    }

    if ((style & kNoTextStyle) || !text) return;

    // The clip is kept in context coordinates, the size in drawing ones.
    const CPoint& shift = context->getOffset();
    CRect oldClip;
    context->getClipRect(oldClip);
    CRect clip = size;
    clip.offset(shift.h, shift.v).bound(oldClip).offset(-shift.h, -shift.v);
    context->setClipRect(clip);

    context->setFont(fontID, 0, txtFace);
    const int16_t opaque = bTextTransparencyEnabled ? 0 : 1;
    if (style & kShadowText) {
        CRect shadow = size;
        shadow.offset(1, 1);
        context->setFontColor(shadowColor);
        context->drawString(text, shadow, opaque, horiTxtAlign);
    }
    context->setFontColor(fontColor);
    context->drawString(text, size, opaque, horiTxtAlign);

    oldClip.offset(-shift.h, -shift.v);
    context->setClipRect(oldClip);
}

void CParamDisplay::setStringConvert(CParamDisplayValueToString convert)
{
    stringConvert = convert;
}

void CParamDisplay::setStringConvert(CParamDisplayValueToStringUserData convert, void* data)
{
    stringConvert2 = convert;
    userData = data;
}

void CParamDisplay::setString2FloatConvert(CParamDisplayStringToValue convert)
{
    string2FloatConvert = convert;
}
