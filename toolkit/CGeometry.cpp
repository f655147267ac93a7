#include "toolkit/CGeometry.h"

#include <algorithm>

using toolkit::clampTo;

CRect& CRect::bound(const CRect& other)
{
    left = std::max(left, other.left);
    top = std::max(top, other.top);
    right = std::max(std::min(right, other.right), left);
    bottom = std::max(std::min(bottom, other.bottom), top);
    return *this;
}

CRect& CRect::offset(CCoord dx, CCoord dy)
{
    left = clampTo<CCoord>(int64_t{left} + dx);
    right = clampTo<CCoord>(int64_t{right} + dx);
    top = clampTo<CCoord>(int64_t{top} + dy);
    bottom = clampTo<CCoord>(int64_t{bottom} + dy);
    return *this;
}

CRect& CRect::moveTo(CCoord x, CCoord y)
{
    return offset(clampTo<CCoord>(int64_t{x} - left), clampTo<CCoord>(int64_t{y} - top));
}

CRect& CRect::inset(CCoord dx, CCoord dy)
{
    left = clampTo<CCoord>(int64_t{left} + dx);
    right = clampTo<CCoord>(int64_t{right} - dx);
    top = clampTo<CCoord>(int64_t{top} + dy);
    bottom = clampTo<CCoord>(int64_t{bottom} - dy);
    return *this;
}

CRect& CRect::setWidth(CCoord width)
{
    right = clampTo<CCoord>(int64_t{left} + width);
    return *this;
}

CRect& CRect::setHeight(CCoord height)
{
    bottom = clampTo<CCoord>(int64_t{top} + height);
    return *this;
}
