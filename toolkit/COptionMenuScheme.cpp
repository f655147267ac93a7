#include "toolkit/COptionMenuScheme.h"

#include <cstring>
#include <string>

#include "toolkit/CDrawContext.h"

namespace {

constexpr uint8_t kSeparatorAlpha = 150;

bool isSeparator(const char* text)
{
    return std::strcmp(text, "-") == 0;
}

} // namespace

void COptionMenuScheme::setColors(CColor background, CColor selection, CColor text, CColor highlight,
                                  CColor disabled)
{
    backgroundCColor = background;
    selectionCColor = selection;
    textCColor = text;
    hiliteTextCColor = highlight;
    disableTextCColor = disabled;
}

void COptionMenuScheme::getItemSize(const char* text, CDrawContext* context, CPoint& size)
{
    if (isSeparator(text)) {
        size = CPoint(6, 9);
        return;
    }
    context->setFont(font);
    size = CPoint(context->getStringWidth(text) + 36, 18);
}

void COptionMenuScheme::drawItemBack(CDrawContext* context, const CRect& rect, bool selected)
{
    context->setFillColor(selected ? selectionCColor : backgroundCColor);
    context->fillRect(rect);
}

void COptionMenuScheme::drawItem(const char* text, long, long state, CDrawContext* context, const CRect& rect)
{
    const bool selected = state & kSelected;
    drawItemBack(context, rect, selected);

    if (isSeparator(text)) {
        const CCoord middle = rect.top + rect.height() / 2;
        context->setFrameColor(CColor{0, 0, 0, kSeparatorAlpha});
        context->moveTo(CPoint(rect.left + 2, middle));
        context->lineTo(CPoint(rect.right - 2, middle));
        context->setFrameColor(CColor{255, 255, 255, kSeparatorAlpha});
        context->moveTo(CPoint(rect.left + 2, middle + 1));
        context->lineTo(CPoint(rect.right - 2, middle + 1));
        return;
    }

    if (state & kChecked) {
        context->setFillColor(selected ? hiliteTextCColor : textCColor);
        context->fillEllipse(CRect(rect.left + 6, rect.top + 4, rect.left + 14, rect.top + 12));
    }

    context->setFont(font);
    context->setFontColor(state & kDisabled ? disableTextCColor : selected ? hiliteTextCColor : textCColor);
    const char* tab = std::strchr(text, '\t');
    const std::string label = tab ? std::string(text, tab) : std::string(text);
    CRect textRect = rect;
    textRect.left += 18;
    context->drawString(label.c_str(), textRect, 0, kLeftText);
    if (tab) {
        CRect shortcutRect = rect;
        shortcutRect.left = rect.right - 50;
        context->drawString(tab + 1, shortcutRect, 0, kLeftText);
    }
}
