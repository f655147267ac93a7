// Regions as their bounding rectangles.

#include <algorithm>

#include "platform/graphics/QuickDraw.h"

namespace {

// A handle points at the master pointer, which points at the region.
struct RegionBlock {
    MacRegion* master;
    MacRegion region{sizeof(MacRegion), {0, 0, 0, 0}};
};

bool isEmpty(const Rect& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

void setBounds(RgnHandle rgn, Rect r)
{
    if (isEmpty(r)) r = {0, 0, 0, 0};
    (**rgn).rgnBBox = r;
}

} // namespace

RgnHandle NewRgn(void)
{
    auto* block = new RegionBlock;
    block->master = &block->region;
    return &block->master;
}

void DisposeRgn(RgnHandle rgn)
{
    if (rgn) delete reinterpret_cast<RegionBlock*>(rgn);
}

void RectRgn(RgnHandle rgn, const Rect* r)
{
    if (rgn && r) setBounds(rgn, *r);
}

void SetRectRgn(RgnHandle rgn, int16_t left, int16_t top, int16_t right, int16_t bottom)
{
    if (rgn) setBounds(rgn, {top, left, bottom, right});
}

void UnionRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn)
{
    if (!srcRgnA || !srcRgnB || !dstRgn) return;
    const Rect a = (**srcRgnA).rgnBBox, b = (**srcRgnB).rgnBBox;
    if (isEmpty(a) || isEmpty(b)) {
        setBounds(dstRgn, isEmpty(a) ? b : a);
        return;
    }
    setBounds(dstRgn, {std::min(a.top, b.top), std::min(a.left, b.left), std::max(a.bottom, b.bottom),
                       std::max(a.right, b.right)});
}

Rect* GetRegionBounds(RgnHandle region, Rect* bounds)
{
    if (bounds) *bounds = region ? (**region).rgnBBox : Rect{0, 0, 0, 0};
    return bounds;
}

bool EmptyRgn(RgnHandle rgn)
{
    return !rgn || isEmpty((**rgn).rgnBBox);
}
