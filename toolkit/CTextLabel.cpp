#include "toolkit/CTextLabel.h"

#include <cstdlib>
#include <cstring>

CTextLabel::CTextLabel(const CRect& size, const char* text, CBitmap* background, long style)
    : CParamDisplay(size, background, style)
{
    setText(text);
}

CTextLabel::~CTextLabel()
{
    std::free(text);
}

bool CTextLabel::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CTextLabel") == 0 || CParamDisplay::isTypeOf(name);
}

void CTextLabel::setText(const char* newText)
{
    std::free(text);
    text = newText ? strdup(newText) : nullptr;
}

void CTextLabel::draw(CDrawContext* context)
{
    drawText(context, text);
    setDirty(false);
}
