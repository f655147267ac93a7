#pragma once

// A display that shows a fixed text instead of its value.

#include "toolkit/CParamDisplay.h"

class CTextLabel : public CParamDisplay {
  public:
    CTextLabel(const CRect& size, const char* text = nullptr, CBitmap* background = nullptr, long style = 0);
    ~CTextLabel() override;

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

    // A null text clears it.
    virtual void setText(const char* text);
    virtual const char* getText() const { return text; }

  protected:
    char* text = nullptr;
};
