#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/toolkit/Pixels.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/QuartzStatics.h"

using toolkit::test::Axis;
using toolkit::test::ink;
using toolkit::test::pixelAt;

// Fontconfig keeps what it allocates for the fonts it matched until the
// process ends: reachable to it, a leak to the leak checker.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

// A black off-screen context, forgotten at the end.
class DrawContext : public ::testing::Test {
  protected:
    void TearDown() override { context->forget(); }

    // Exactly the pixels inside `inside` have colour; the rest stay black.
    void expectOnly(const CRect& inside, const CColor& colour)
    {
        for (int y = 0; y < context->getHeight(); ++y)
            for (int x = 0; x < context->getWidth(); ++x)
                ASSERT_EQ(pixelAt(*context, x, y), inside.pointInside({x, y}) ? colour : kBlackCColor)
                    << "at " << x << ", " << y;
    }

    COffscreenContext* context = new COffscreenContext(nullptr, 20, 16, kBlackCColor);
};

} // namespace

TEST(QuartzStatics, FindsBothOptionalFunctions)
{
    EXPECT_NE(_gQuartzStatics.imageInRect(), nullptr);
    EXPECT_NE(_gQuartzStatics.strokeLineSegments(), nullptr);
    EXPECT_NE(_gQuartzStatics.colorSpace(), nullptr);
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.example.none")), nullptr);
}

TEST_F(DrawContext, OffscreenStartsInItsBackground)
{
    COffscreenContext* grey = new COffscreenContext(nullptr, 5, 4, kGreyCColor);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(pixelAt(*grey, x, y), kGreyCColor);
    CGImageRef image = grey->getCGImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(CGImageGetWidth(image), 5u);
    EXPECT_EQ(CGImageGetHeight(image), 4u);
    CGImageRelease(image);
    grey->forget();

    // Sizes that cannot be made leave a context that draws nothing.
    for (const auto& [width, height] : {std::pair{0, 4}, {4, -1}, {40000, 2}}) {
        COffscreenContext* none = new COffscreenContext(nullptr, width, height, kGreyCColor);
        EXPECT_EQ(none->getCGContext(), nullptr);
        none->fillRect(CRect(0, 0, 4, 4));
        EXPECT_EQ(none->getCGImage(), nullptr);
        none->forget();
    }
}

TEST_F(DrawContext, FillRectCoversItsPixelsAtTheOffset)
{
    context->setFillColor(kRedCColor);
    context->fillRect(CRect(2, 3, 7, 9));
    expectOnly(CRect(2, 3, 7, 9), kRedCColor);

    context->setFillColor(kBlackCColor);
    context->fillRect(CRect(0, 0, 20, 16));
    context->setOffset(CPoint(4, 5));
    context->setFillColor(kGreenCColor);
    context->fillRect(CRect(0, 0, 3, 2));
    expectOnly(CRect(4, 5, 7, 7), kGreenCColor);
}

TEST_F(DrawContext, DrawRectOutlinesExactlyItsEdgePixels)
{
    context->setFrameColor(kWhiteCColor);
    context->drawRect(CRect(3, 2, 11, 9));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = CRect(3, 2, 11, 9).pointInside({x, y});
            const bool edge = inside && (x == 3 || x == 10 || y == 2 || y == 8);
            ASSERT_EQ(pixelAt(*context, x, y), edge ? kWhiteCColor : kBlackCColor) << x << ", " << y;
        }

    // Filled and stroked: the fill inside, the outline on top.
    context->setFillColor(kBlueCColor);
    context->drawRect(CRect(13, 10, 17, 14), kDrawFilledAndStroked);
    EXPECT_EQ(pixelAt(*context, 13, 10), kWhiteCColor);
    EXPECT_EQ(pixelAt(*context, 16, 13), kWhiteCColor);
    EXPECT_EQ(pixelAt(*context, 14, 11), kBlueCColor);
    EXPECT_EQ(pixelAt(*context, 17, 13), kBlackCColor);
}

TEST_F(DrawContext, ClipIsSetInDrawingCoordinatesAndLimitsEveryCall)
{
    context->setOffset(CPoint(2, 1));
    context->setClipRect(CRect(1, 1, 6, 4)); // (3, 2, 8, 5) in the context
    CRect clip;
    EXPECT_EQ(context->getClipRect(clip), CRect(3, 2, 8, 5));
    context->setFillColor(kRedCColor);
    context->fillRect(CRect(-10, -10, 30, 30));
    expectOnly(CRect(3, 2, 8, 5), kRedCColor);

    context->resetClipRect();
    EXPECT_EQ(context->getClipRect(clip), CRect(0, 0, 1000, 1000));
    context->fillRect(CRect(-2, -1, 18, 15));
    expectOnly(CRect(0, 0, 20, 16), kRedCColor);
}

TEST_F(DrawContext, LinesFollowTheirStyleAndWidth)
{
    // A line at y lights the row above it (see CDrawContext.h).
    context->setFrameColor(kWhiteCColor);
    context->moveTo(CPoint(2, 5));
    context->lineTo(CPoint(18, 5));
    for (int x = 3; x < 17; ++x) {
        EXPECT_EQ(pixelAt(*context, x, 4), kWhiteCColor) << x;
        EXPECT_EQ(pixelAt(*context, x, 3), kBlackCColor) << x;
        EXPECT_EQ(pixelAt(*context, x, 5), kBlackCColor) << x;
    }

    // On-off dashes as long as the line is wide.
    context->setLineStyle(kLineOnOffDash);
    context->setLineWidth(2);
    context->moveTo(CPoint(0, 10));
    context->lineTo(CPoint(20, 10));
    for (int x = 0; x < 20; ++x) {
        const CColor expected = (x / 2) % 2 == 0 ? kWhiteCColor : kBlackCColor;
        EXPECT_EQ(pixelAt(*context, x, 9), expected) << x;
        EXPECT_EQ(pixelAt(*context, x, 10), expected) << x;
        EXPECT_EQ(pixelAt(*context, x, 11), kBlackCColor) << x;
    }

    // Separate segments, none joining the next.
    context->setLineStyle(kLineSolid);
    context->setLineWidth(1);
    const CPoint segments[] = {{2, 14}, {2, 12}, {6, 14}, {6, 12}};
    context->drawLines(segments, 2);
    EXPECT_EQ(pixelAt(*context, 2, 12), kWhiteCColor);
    EXPECT_EQ(pixelAt(*context, 6, 12), kWhiteCColor);
    EXPECT_EQ(pixelAt(*context, 4, 12), kBlackCColor);
    EXPECT_EQ(pixelAt(*context, 4, 13), kBlackCColor);
}

TEST_F(DrawContext, PointsAndShapes)
{
    context->setFrameColor(kBlueCColor);
    context->setLineWidth(3);
    context->drawPoint(CPoint(5, 5), kRedCColor);
    expectOnly(CRect(5, 4, 6, 5), kRedCColor);
    EXPECT_EQ(context->getFrameColor(), kBlueCColor);
    EXPECT_EQ(context->getLineWidth(), 3);

    context->setFillColor(kGreenCColor);
    context->fillEllipse(CRect(0, 0, 10, 10));
    EXPECT_EQ(pixelAt(*context, 5, 5), kGreenCColor);
    EXPECT_EQ(pixelAt(*context, 0, 0), kBlackCColor);
    EXPECT_EQ(pixelAt(*context, 9, 9), kBlackCColor);

    const CPoint triangle[] = {{10, 0}, {20, 0}, {20, 10}};
    context->fillPolygon(triangle, 3);
    EXPECT_EQ(pixelAt(*context, 18, 2), kGreenCColor);
    EXPECT_EQ(pixelAt(*context, 11, 8), kBlackCColor);

    // A quarter pie from 0 to 90 degrees lies up and right of the centre.
    context->setFillColor(kRedCColor);
    context->fillArc(CRect(0, 6, 10, 16), CPoint(10, 11), CPoint(5, 6));
    EXPECT_EQ(pixelAt(*context, 7, 8), kRedCColor);
    EXPECT_NE(pixelAt(*context, 2, 13), kRedCColor);
    EXPECT_NE(pixelAt(*context, 7, 14), kRedCColor);
}

TEST_F(DrawContext, QuartzAccessCanBeFlippedBack)
{
    CGContextRef quartz = context->beginCGContext(false);
    ASSERT_NE(quartz, nullptr);
    CGContextSetRGBFillColor(quartz, 1, 0, 0, 1);
    CGContextFillRect(quartz, CGRectMake(0, 0, 2, 1)); // bottom-up: the last row
    context->releaseCGContext(quartz);
    expectOnly(CRect(0, 15, 2, 16), kRedCColor);

    quartz = context->beginCGContext(true);
    CGContextSetRGBFillColor(quartz, 0, 1, 0, 1);
    CGContextFillRect(quartz, CGRectMake(0, 0, 2, 1)); // top-down: the first row
    context->releaseCGContext(quartz);
    EXPECT_EQ(pixelAt(*context, 1, 0), kGreenCColor);
}

TEST(DrawContextOnQuartz, FlipsTheGivenContextAndRestoresItsState)
{
    std::vector<uint32_t> pixels(8 * 6);
    CGContextRef quartz =
        CGBitmapContextCreate(pixels.data(), 8, 6, 8, 32, nullptr, kCGImageAlphaPremultipliedFirst);
    ASSERT_NE(quartz, nullptr);
    CDrawContext* context = new CDrawContext(nullptr, quartz, nullptr);
    context->setFillColor(kRedCColor);
    context->fillRect(CRect(0, 0, 3, 1));
    EXPECT_EQ(toolkit::test::pixelAt(*context, 2, 0), kRedCColor);
    EXPECT_EQ(toolkit::test::pixelAt(*context, 3, 0).alpha, 0);
    EXPECT_EQ(toolkit::test::pixelAt(*context, 0, 5).alpha, 0);
    context->forget();

    const CGAffineTransform ctm = CGContextGetCTM(quartz);
    EXPECT_EQ(ctm.d, 1.0);
    EXPECT_EQ(ctm.ty, 0.0);
    CGContextRelease(quartz);
}

TEST(DrawContextWithoutQuartz, DrawsNothingAndMeasuresZero)
{
    CDrawContext* context = new CDrawContext(nullptr, nullptr, nullptr);
    context->fillRect(CRect(0, 0, 10, 10));
    context->drawString("text", CRect(0, 0, 50, 20));
    EXPECT_EQ(context->getStringWidth("text"), 0);
    EXPECT_EQ(context->beginCGContext(), nullptr);
    CRect clip;
    EXPECT_EQ(context->getClipRect(clip), CRect(0, 0, 1000, 1000));
    context->forget();
}

TEST_F(DrawContext, FontsComeFromTheTables)
{
    EXPECT_EQ(context->getFont(), kFontSystem);
    EXPECT_EQ(context->getFontSize(), 12);
    context->setFont(9, 0);
    EXPECT_EQ(context->getFont(), kFontSystem);
    EXPECT_EQ(context->getFontSize(), 12);
    context->setFont(kFontVeryBig);
    EXPECT_EQ(context->getFontSize(), 18);
    const CCoord big = context->getStringWidth("Flanger");
    context->setFont(kFontVerySmall);
    EXPECT_EQ(context->getFontSize(), 9);
    const CCoord small = context->getStringWidth("Flanger");
    EXPECT_GT(small, 10);
    EXPECT_GT(big, small + 5);
    EXPECT_GT(context->getStringWidth("Flanger Flanger"), 2 * small);
    context->setFont(kFontVerySmall, 9, kBoldFace);
    EXPECT_GT(context->getStringWidth("Flanger"), small);
    EXPECT_EQ(context->getStringWidth(nullptr), 0);
}

TEST_F(DrawContext, TextAlignsAgainstItsMeasuredWidth)
{
    context->forget();
    context = new COffscreenContext(nullptr, 120, 30, kBlackCColor);
    context->setFontColor(kWhiteCColor);
    const char* text = "HIH";
    const CCoord width = context->getStringWidth(text);
    ASSERT_GT(width, 10);
    const CRect box(10, 5, 110, 25);
    const int baseline = box.bottom + context->getFontSize() / 2 - box.height() / 2 - 1;

    // Capital H and I have their ink within a pixel or two of their advance.
    const struct {
        CHoriTxtAlign align;
        int start;
    } cases[] = {{kLeftText, box.left + 1},
                 {kCenterText, box.left + box.width() / 2 - width / 2},
                 {kRightText, box.right - width}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.align);
        context->setFillColor(kBlackCColor);
        context->fillRect(CRect(0, 0, 120, 30));
        context->drawString(text, box, 0, c.align);
        const auto columns = ink(*context, CRect(0, 0, 120, 30), kBlackCColor, Axis::columns);
        EXPECT_GE(columns.first, c.start);
        EXPECT_LE(columns.first, c.start + 2);
        EXPECT_LE(columns.last, c.start + width);
        EXPECT_GE(columns.last, c.start + width - 3);
        const auto rows = ink(*context, CRect(0, 0, 120, 30), kBlackCColor, Axis::rows);
        EXPECT_LE(rows.last, baseline);
        EXPECT_GE(rows.last, baseline - 1);
        EXPECT_GE(rows.first, baseline - 10); // cap height of a 12 point face
        EXPECT_LE(rows.first, baseline - 7);
    }

    // A null text draws nothing.
    context->setFillColor(kBlackCColor);
    context->fillRect(CRect(0, 0, 120, 30));
    context->drawString(nullptr, box);
    EXPECT_EQ(ink(*context, CRect(0, 0, 120, 30), kBlackCColor, Axis::columns).first, -1);
}
