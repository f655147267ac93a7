#pragma once

// A number drawn digit by digit from one strip holding the digits 0 to 9
// one above the other. The value is the number itself (0 to 10^digits - 1),
// not a value from 0 to 1.

#include "toolkit/CControl.h"

class CSpecialDigit : public CControl {
  public:
    static constexpr long kMaxDigits = 7;

    // The digits' places (in the same coordinates as size) come from the
    // arrays, or without them follow each other from the control's
    // top-left corner, one background width apart. At most kMaxDigits are
    // used.
    CSpecialDigit(const CRect& size, CControlListener* listener, long tag, long dwPos, long iNumbers,
                  const long* xpos, const long* ypos, CCoord widthOfOneImage, CCoord heightOfOneImage,
                  CBitmap* background);

    // Values beyond the range show its nearer end, NaN shows 0.
    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

    // The value over the maximum, within 0..1; 0 without digits.
    float getNormValue() const;

  protected:
    long iNumbers;
    CPoint places[kMaxDigits];
    CCoord widthOfOneImage;
    CCoord heightOfOneImage;
};
