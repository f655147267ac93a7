#include "toolkit/CMovieBitmap.h"

#include <cstring>

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                           CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), subPixmaps(subPixmaps), heightOfOneImage(heightOfOneImage)
{
    backOffset = offset;
}

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                           const CPoint& offset)
    : CMovieBitmap(size, listener, tag, imagesIn(background, size.height()), size.height(), background,
                   offset)
{
}

bool CMovieBitmap::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CMovieBitmap") == 0 || CControl::isTypeOf(name);
}

void CMovieBitmap::draw(CDrawContext* context)
{
    // Values above 1 show the last image, NaN and values up to 0 the first.
    drawStackedImage(context, positionOf(subPixmaps), heightOfOneImage);
    setDirty(false);
}
