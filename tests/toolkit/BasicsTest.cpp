#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "toolkit/CReferenceCounter.h"
#include "toolkit/ERect.h"
#include "toolkit/QuickDrawConversions.h"

TEST(CRect, EdgesAndEmptiness)
{
    const CRect rect(10, 20, 30, 50);
    EXPECT_EQ(rect.width(), 20);
    EXPECT_EQ(rect.height(), 30);
    EXPECT_TRUE(rect.pointInside({10, 20}));
    EXPECT_TRUE(rect.pointInside({29, 49}));
    EXPECT_FALSE(rect.pointInside({30, 20})); // right edge
    EXPECT_FALSE(rect.pointInside({10, 50})); // bottom edge
    EXPECT_FALSE(rect.pointInside({9, 20}));

    EXPECT_FALSE(rect.isEmpty());
    EXPECT_TRUE(CRect(10, 20, 10, 50).isEmpty());
    EXPECT_TRUE(CRect(10, 20, 30, 20).isEmpty());
    EXPECT_TRUE(CRect(30, 20, 10, 50).isEmpty());
}

TEST(CRect, BoundIntersectsAndNeverInverts)
{
    CRect overlap(0, 0, 100, 100);
    overlap.bound({50, 60, 150, 160});
    EXPECT_EQ(overlap, CRect(50, 60, 100, 100));

    CRect disjoint(0, 0, 10, 10);
    disjoint.bound({20, 30, 40, 50});
    EXPECT_EQ(disjoint.right, disjoint.left);
    EXPECT_EQ(disjoint.bottom, disjoint.top);
    EXPECT_TRUE(disjoint.isEmpty());
}

TEST(CRect, MovesKeepSizeAndSaturate)
{
    CRect rect(10, 20, 30, 50);
    rect.offset(5, -5);
    EXPECT_EQ(rect, CRect(15, 15, 35, 45));
    rect.moveTo(0, 0);
    EXPECT_EQ(rect, CRect(0, 0, 20, 30));
    rect.inset(2, 3);
    EXPECT_EQ(rect, CRect(2, 3, 18, 27));
    rect.setWidth(4).setHeight(6);
    EXPECT_EQ(rect, CRect(2, 3, 6, 9));
    EXPECT_EQ(CRect(CPoint(5, 7), 10, 20), CRect(5, 7, 15, 27));

    constexpr CCoord most = std::numeric_limits<CCoord>::max();
    constexpr CCoord least = std::numeric_limits<CCoord>::min();
    CRect huge(least, least, most, most);
    EXPECT_EQ(huge.width(), most);
    huge.offset(most, most);
    EXPECT_EQ(huge.right, most);
    EXPECT_EQ(huge.left, -1);
}

TEST(QuickDrawConversions, RectClampsToSixteenBitsAndNormalises)
{
    Rect rr{};
    CRect2Rect(CRect(1, 2, 3, 4), rr);
    EXPECT_EQ(rr.left, 1);
    EXPECT_EQ(rr.top, 2);
    EXPECT_EQ(rr.right, 3);
    EXPECT_EQ(rr.bottom, 4);

    CRect2Rect(CRect(-100000, 70000, 40000, -40000), rr);
    EXPECT_EQ(rr.left, -32768);
    EXPECT_EQ(rr.right, 32767);
    EXPECT_EQ(rr.top, -32768); // swapped into order after clamping
    EXPECT_EQ(rr.bottom, 32767);

    Rect inverted{50, 40, 10, 20};
    RectNormalize(inverted);
    EXPECT_EQ(inverted.top, 10);
    EXPECT_EQ(inverted.bottom, 50);
    EXPECT_EQ(inverted.left, 20);
    EXPECT_EQ(inverted.right, 40);

    CRect back;
    Rect2CRect(Rect{-5, -6, 7, 8}, back);
    EXPECT_EQ(back, CRect(-6, -5, 8, 7));
}

TEST(QuickDrawConversions, ColourChannelsScaleBy257)
{
    RGBColor rgb{};
    CColor2RGBColor(CColor{255, 0, 128, 255}, rgb);
    EXPECT_EQ(rgb.red, 65535);
    EXPECT_EQ(rgb.green, 0);
    EXPECT_EQ(rgb.blue, 32896);
    CColor cc{1, 2, 3, 77};
    RGBColor2CColor(rgb, cc);
    EXPECT_EQ(cc, (CColor{255, 0, 128, 77}));
    RGBColor2CColor(RGBColor{256, 514, 65534}, cc);
    EXPECT_EQ(cc.red, 0);
    EXPECT_EQ(cc.green, 2);
    EXPECT_EQ(cc.blue, 254);
}

TEST(NumericConversions, OutOfRangeAndNaNClamp)
{
    using toolkit::clampTo;
    EXPECT_EQ(clampTo<int16_t>(std::nan("")), 0);
    EXPECT_EQ(clampTo<int16_t>(1e300), 32767);
    EXPECT_EQ(clampTo<int16_t>(-std::numeric_limits<double>::infinity()), -32768);
    EXPECT_EQ(clampTo<int16_t>(-12.9), -12);
    EXPECT_EQ(clampTo<int32_t>(3e9), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(clampTo<int32_t>(int64_t{-5'000'000'000}), std::numeric_limits<int32_t>::min());

    const ERect editor = toolkit::toERect(CRect(-40000, 0, 70000, 300));
    EXPECT_EQ(editor.left, -32768);
    EXPECT_EQ(editor.right, 32767);
    EXPECT_EQ(editor.bottom, 300);
    EXPECT_EQ(toolkit::toCRect(editor), CRect(-32768, 0, 32767, 300));
}

namespace {

struct Counted : CReferenceCounter {
    explicit Counted(int& deleted) : deleted(deleted) {}
    ~Counted() override { ++deleted; }
    int& deleted;
};

} // namespace

TEST(CReferenceCounter, LastForgetDeletes)
{
    int deleted = 0;
    auto* object = new Counted(deleted);
    EXPECT_EQ(object->getNbReference(), 1);
    object->remember();
    EXPECT_EQ(object->getNbReference(), 2);
    object->forget();
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(object->getNbReference(), 1);
    object->forget();
    EXPECT_EQ(deleted, 1);
}
