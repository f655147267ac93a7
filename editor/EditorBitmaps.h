#pragma once

// What both editors do with their bitmaps: the background that fixes the
// editor's size, and letting go of a held bitmap.

#include "toolkit/CBitmap.h"
#include "toolkit/ERect.h"

namespace vok {

// Bitmap 128; rect becomes its size at the origin.
inline CBitmap* loadBackground(ERect& rect)
{
    auto* background = new CBitmap(128);
    rect = toolkit::toERect(CRect(0, 0, background->getWidth(), background->getHeight()));
    return background;
}

// Forgets the bitmap, if one is held, and clears the pointer.
inline void release(CBitmap*& bitmap)
{
    if (bitmap) bitmap->forget();
    bitmap = nullptr;
}

} // namespace vok
