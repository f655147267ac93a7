#pragma once

// The toolkit's points and rectangles: 32-bit pixel coordinates, y growing
// downwards.

#include <cstdint>

#include "toolkit/NumericConversions.h"

using CCoord = int32_t;

struct CPoint {
    constexpr CPoint() = default;
    constexpr CPoint(CCoord h, CCoord v) : h(h), v(v) {}

    CPoint& offset(CCoord dx, CCoord dy)
    {
        h = toolkit::clampTo<CCoord>(int64_t{h} + dx);
        v = toolkit::clampTo<CCoord>(int64_t{v} + dy);
        return *this;
    }
    constexpr bool operator==(const CPoint&) const = default;

    CCoord h = 0;
    CCoord v = 0;
};

struct CRect {
    constexpr CRect() = default;
    constexpr CRect(CCoord left, CCoord top, CCoord right, CCoord bottom)
        : left(left), top(top), right(right), bottom(bottom)
    {
    }
    // A rectangle of the given size with its top-left corner at origin.
    constexpr CRect(const CPoint& origin, CCoord width, CCoord height)
        : CRect(origin.h, origin.v, toolkit::clampTo<CCoord>(int64_t{origin.h} + width),
                toolkit::clampTo<CCoord>(int64_t{origin.v} + height))
    {
    }

    constexpr CCoord width() const { return toolkit::clampTo<CCoord>(int64_t{right} - left); }
    constexpr CCoord height() const { return toolkit::clampTo<CCoord>(int64_t{bottom} - top); }
    CPoint topLeft() const { return {left, top}; }

    // Left and top edges inside, right and bottom outside.
    constexpr bool pointInside(const CPoint& point) const
    {
        return point.h >= left && point.h < right && point.v >= top && point.v < bottom;
    }
    constexpr bool isEmpty() const { return !(left < right && top < bottom); }

    // Intersects with other in place; disjoint rectangles leave an empty one
    // whose right equals its left and bottom its top.
    CRect& bound(const CRect& other);
    // Moves all four edges.
    CRect& offset(CCoord dx, CCoord dy);
    // Moves the rectangle so that its top-left corner is at (x, y), keeping its size.
    CRect& moveTo(CCoord x, CCoord y);
    // Moves each edge towards the centre (outwards for negative amounts).
    CRect& inset(CCoord dx, CCoord dy);
    CRect& setWidth(CCoord width);
    CRect& setHeight(CCoord height);

    constexpr bool operator==(const CRect&) const = default;

    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;
};
