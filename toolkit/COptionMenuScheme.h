#pragma once

// The colours and font of an option menu's items, and how to draw one. The
// platform's menu manager draws the pop-ups here; a menu only stores its
// scheme.

#include "toolkit/CColor.h"
#include "toolkit/CGeometry.h"
#include "toolkit/CReferenceCounter.h"
#include "toolkit/Fonts.h"

class CDrawContext;

class COptionMenuScheme : public CReferenceCounter {
  public:
    // State bits of drawItem.
    enum : long { kChecked = 1, kDisabled = 2, kSelected = 4 };

    // size.h is the width, size.v the height.
    virtual void getItemSize(const char* text, CDrawContext* context, CPoint& size);
    virtual void drawItem(const char* text, long itemId, long state, CDrawContext* context,
                          const CRect& rect);
    virtual void drawItemBack(CDrawContext* context, const CRect& rect, bool selected);

    void setColors(CColor background, CColor selection, CColor text, CColor highlight, CColor disabled);

    CColor getBackgroundColor() const { return backgroundCColor; }
    CColor getSelectionColor() const { return selectionCColor; }
    CColor getTextColor() const { return textCColor; }
    CColor getHighlightColor() const { return hiliteTextCColor; }
    CColor getDisabledColor() const { return disableTextCColor; }

  protected:
    CColor backgroundCColor = kGreyCColor;
    CColor selectionCColor = kBlueCColor;
    CColor textCColor = kBlackCColor;
    CColor hiliteTextCColor = kWhiteCColor;
    CColor disableTextCColor = kWhiteCColor;
    CFont font = kFontSmall;
};
