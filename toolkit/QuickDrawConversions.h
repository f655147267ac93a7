#pragma once

// The toolkit's geometry and colours to and from QuickDraw's records.

#include "platform/graphics/QuickDraw.h"
#include "toolkit/CColor.h"
#include "toolkit/CGeometry.h"

// Edges clamp to the 16-bit range, then the result is normalised.
Rect& CRect2Rect(const CRect& cr, Rect& rr);
CRect& Rect2CRect(const Rect& rr, CRect& cr);
// Swaps edges so that right >= left and bottom >= top.
Rect& RectNormalize(Rect& rr);
// Each channel times 257: 0..255 onto 0..65535.
RGBColor& CColor2RGBColor(const CColor& cc, RGBColor& rgb);
// Each channel divided by 257; alpha is left as it was.
CColor& RGBColor2CColor(const RGBColor& rgb, CColor& cc);
