// Rectangle arithmetic as Quartz defines it: a null rectangle (infinite
// origin) is what is left of an empty intersection.

#include "platform/graphics/CoreGraphics.h"

#include <algorithm>
#include <cmath>
#include <limits>

const CGAffineTransform CGAffineTransformIdentity = {1, 0, 0, 1, 0, 0};
const CGRect CGRectNull = {
    {std::numeric_limits<CGFloat>::infinity(), std::numeric_limits<CGFloat>::infinity()}, {0, 0}};
const CGRect CGRectZero = {{0, 0}, {0, 0}};

CGRect CGRectStandardize(CGRect rect)
{
    if (rect.size.width < 0) {
        rect.origin.x += rect.size.width;
        rect.size.width = -rect.size.width;
    }
    if (rect.size.height < 0) {
        rect.origin.y += rect.size.height;
        rect.size.height = -rect.size.height;
    }
    return rect;
}

CGFloat CGRectGetMinX(CGRect rect)
{
    return CGRectStandardize(rect).origin.x;
}
CGFloat CGRectGetMinY(CGRect rect)
{
    return CGRectStandardize(rect).origin.y;
}
CGFloat CGRectGetWidth(CGRect rect)
{
    return std::fabs(rect.size.width);
}
CGFloat CGRectGetHeight(CGRect rect)
{
    return std::fabs(rect.size.height);
}
CGFloat CGRectGetMaxX(CGRect rect)
{
    return CGRectGetMinX(rect) + CGRectGetWidth(rect);
}
CGFloat CGRectGetMaxY(CGRect rect)
{
    return CGRectGetMinY(rect) + CGRectGetHeight(rect);
}

bool CGRectIsNull(CGRect rect)
{
    return std::isinf(rect.origin.x) || std::isinf(rect.origin.y);
}

bool CGRectIsEmpty(CGRect rect)
{
    return CGRectIsNull(rect) || rect.size.width == 0 || rect.size.height == 0;
}

CGRect CGRectIntersection(CGRect r1, CGRect r2)
{
    if (CGRectIsNull(r1) || CGRectIsNull(r2)) return CGRectNull;
    const CGFloat left = std::max(CGRectGetMinX(r1), CGRectGetMinX(r2));
    const CGFloat right = std::min(CGRectGetMaxX(r1), CGRectGetMaxX(r2));
    const CGFloat bottom = std::max(CGRectGetMinY(r1), CGRectGetMinY(r2));
    const CGFloat top = std::min(CGRectGetMaxY(r1), CGRectGetMaxY(r2));
    // Rectangles that only touch meet in an empty rectangle, not the null one.
    if (right < left || top < bottom) return CGRectNull;
    return CGRectMake(left, bottom, right - left, top - bottom);
}
