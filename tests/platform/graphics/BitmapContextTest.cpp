// What fills, strokes, clips and transforms put into a bitmap context's
// memory, pixel by pixel, and how that memory is laid out.

#include <gtest/gtest.h>

#include "tests/platform/graphics/Pixels.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000;

// Every pixel of the canvas is on exactly when inside(x, row) says so.
template <typename Inside> void expectOnlyInside(const Canvas& canvas, uint32_t colour, Inside inside)
{
    for (int row = 0; row < canvas.height; ++row)
        for (int x = 0; x < canvas.width; ++x)
            ASSERT_EQ(canvas.argb(x, row), inside(x, row) ? colour : 0u) << "x " << x << " row " << row;
}

TEST(BitmapContext, FillsWholePixelsBottomUpAndInTheToolkitsFlippedSpace)
{
    Canvas quartz(10, 10);
    CGContextSetRGBFillColor(quartz.context, 1, 0, 0, 1);
    CGContextFillRect(quartz.context, CGRectMake(2, 3, 4, 5));
    // y from 3 to 8 upwards is rows 2 to 6 from the top.
    expectOnlyInside(quartz, kRed, [](int x, int row) { return x >= 2 && x < 6 && row >= 2 && row <= 6; });

    Canvas flipped(10, 10);
    flipped.flip();
    CGContextSetRGBFillColor(flipped.context, 1, 0, 0, 1);
    CGContextFillRect(flipped.context, CGRectMake(2, 3, 4, 5));
    expectOnlyInside(flipped, kRed, [](int x, int row) { return x >= 2 && x < 6 && row >= 3 && row < 8; });
}

TEST(BitmapContext, StrokesCoverTheLineWidthAndDashesAlternate)
{
    Canvas canvas(10, 10);
    canvas.flip();
    CGContextSetShouldAntialias(canvas.context, false);
    CGContextSetRGBStrokeColor(canvas.context, 1, 0, 0, 1);
    CGContextSetLineWidth(canvas.context, 3);
    CGContextBeginPath(canvas.context);
    CGContextMoveToPoint(canvas.context, 0, 5.5);
    CGContextAddLineToPoint(canvas.context, 10, 5.5);
    CGContextStrokePath(canvas.context);
    expectOnlyInside(canvas, kRed, [](int, int row) { return row >= 4 && row <= 6; });

    Canvas dashed(10, 3);
    dashed.flip();
    CGContextSetRGBStrokeColor(dashed.context, 1, 0, 0, 1);
    const CGFloat lengths[] = {2, 2};
    CGContextSetLineDash(dashed.context, 0, lengths, 2);
    const CGPoint segment[] = {{0, 1.5}, {10, 1.5}};
    CGContextStrokeLineSegments(dashed.context, segment, 2);
    expectOnlyInside(dashed, kRed, [](int x, int row) { return row == 1 && x % 4 < 2; });
}

TEST(BitmapContext, StrokeRectAndLineSegmentsDrawSeparateOutlines)
{
    Canvas canvas(8, 8);
    canvas.flip();
    CGContextSetRGBStrokeColor(canvas.context, 1, 0, 0, 1);
    // A one-pixel outline through pixel centres.
    CGContextStrokeRect(canvas.context, CGRectMake(1.5, 1.5, 4, 3));
    expectOnlyInside(canvas, kRed, [](int x, int row) {
        const bool across = (row == 1 || row == 4) && x >= 1 && x <= 5;
        const bool down = (x == 1 || x == 5) && row >= 1 && row <= 4;
        return across || down;
    });

    Canvas segments(8, 8);
    segments.flip();
    CGContextSetRGBStrokeColor(segments.context, 1, 0, 0, 1);
    // Two segments; nothing joins the end of one to the start of the next.
    const CGPoint points[] = {{0, 0.5}, {3, 0.5}, {5, 7.5}, {8, 7.5}};
    CGContextStrokeLineSegments(segments.context, points, 4);
    expectOnlyInside(segments, kRed,
                     [](int x, int row) { return (row == 0 && x < 3) || (row == 7 && x >= 5); });
}

TEST(BitmapContext, ClipAndTransformsComeBackWithRestore)
{
    Canvas canvas(10, 10);
    canvas.flip();
    CGContextSetRGBFillColor(canvas.context, 1, 0, 0, 1);
    CGContextSaveGState(canvas.context);
    CGContextClipToRect(canvas.context, CGRectMake(0, 0, 5, 10));
    CGContextTranslateCTM(canvas.context, 3, 0);
    CGContextSetRGBFillColor(canvas.context, 0, 0, 1, 1);
    CGContextFillRect(canvas.context, CGRectMake(0, 0, 10, 2));
    CGContextRestoreGState(canvas.context);
    // An extra restore is ignored rather than breaking the context.
    CGContextRestoreGState(canvas.context);
    CGContextFillRect(canvas.context, CGRectMake(0, 8, 10, 2));

    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(canvas.argb(x, 0), x >= 3 && x < 5 ? 0xFF0000FFu : 0u) << x;
        EXPECT_EQ(canvas.argb(x, 9), kRed) << x;
    }
    const CGAffineTransform ctm = CGContextGetCTM(canvas.context);
    EXPECT_EQ(ctm.d, -1);
    EXPECT_EQ(ctm.ty, 10);
}

TEST(BitmapContext, SingularTransformsAndBadDashesDoNotStopDrawing)
{
    Canvas canvas(4, 4);
    CGContextScaleCTM(canvas.context, 0, 1);
    CGContextConcatCTM(canvas.context, CGAffineTransformMake(1, 1, 1, 1, 0, 0));
    const CGFloat negative[] = {-1, 2};
    CGContextSetLineDash(canvas.context, 0, negative, 2);
    CGContextSetRGBFillColor(canvas.context, 1, 0, 0, 1);
    CGContextFillRect(canvas.context, CGRectMake(0, 0, 4, 4));
    expectOnlyInside(canvas, kRed, [](int, int) { return true; });
}

TEST(BitmapContext, AlphaIsPremultipliedAndCompositesOverCallerChanges)
{
    Canvas canvas(4, 4);
    CGContextSetRGBFillColor(canvas.context, 1, 0, 0, 1);
    CGContextSetAlpha(canvas.context, 0.5);
    CGContextFillRect(canvas.context, CGRectMake(0, 0, 2, 4));
    const uint8_t* half = canvas.bytes(0, 0);
    EXPECT_NEAR(half[0], 128, 1);
    EXPECT_EQ(half[1], half[0]) << "red premultiplied by alpha";
    EXPECT_EQ(half[2], 0);
    EXPECT_EQ(half[3], 0);

    // The caller paints a pixel opaque blue in memory; the next drawing
    // composites over it.
    auto* pixel = reinterpret_cast<uint8_t*>(&canvas.memory[3]);
    pixel[0] = 255;
    pixel[3] = 255;
    CGContextSetAlpha(canvas.context, 1);
    CGContextSetRGBFillColor(canvas.context, 0, 1, 0, 0.5);
    CGContextFillRect(canvas.context, CGRectMake(2, 0, 2, 4));
    const uint8_t* blended = canvas.bytes(3, 0);
    EXPECT_EQ(blended[0], 255);
    EXPECT_NEAR(blended[2], 128, 1);
    EXPECT_NEAR(blended[3], 127, 1);
}

TEST(BitmapContext, MemoryIsInTheRequestedByteOrder)
{
    struct Layout {
        CGBitmapInfo info;
        uint8_t bytes[4];
    };
    const Layout layouts[] = {
        {kCGImageAlphaPremultipliedFirst, {255, 255, 0, 0}},
        {kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, {0, 0, 255, 255}},
        {kCGImageAlphaPremultipliedLast, {255, 0, 0, 255}},
        {kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little, {255, 0, 0, 255}},
    };
    for (const Layout& layout : layouts) {
        Canvas canvas(2, 2, layout.info);
        ASSERT_NE(canvas.context, nullptr) << layout.info;
        CGContextSetRGBFillColor(canvas.context, 1, 0, 0, 1);
        CGContextFillRect(canvas.context, CGRectMake(0, 0, 1, 2));
        const uint8_t* b = canvas.bytes(0, 0);
        EXPECT_EQ(std::vector<uint8_t>(b, b + 4), std::vector<uint8_t>(layout.bytes, layout.bytes + 4))
            << "info " << layout.info;
    }
    // Without alpha the skipped byte is the context's; the colour is where
    // the layout says.
    Canvas opaque(2, 2, kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little);
    CGContextSetRGBFillColor(opaque.context, 0, 0, 1, 1);
    CGContextFillRect(opaque.context, CGRectMake(0, 0, 2, 2));
    EXPECT_EQ(opaque.bytes(1, 1)[0], 255);
    EXPECT_EQ(opaque.bytes(1, 1)[2], 0);

    // Straight alpha, 16-bit orders and short rows are refused.
    std::vector<uint32_t> memory(16);
    EXPECT_EQ(CGBitmapContextCreate(memory.data(), 2, 2, 8, 8, nullptr, kCGImageAlphaFirst), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(memory.data(), 2, 2, 8, 8, nullptr,
                                    kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder16Little),
              nullptr);
    EXPECT_EQ(CGBitmapContextCreate(memory.data(), 2, 2, 8, 7, nullptr, kCGImageAlphaPremultipliedFirst),
              nullptr);
    EXPECT_EQ(CGBitmapContextCreate(nullptr, 40000, 2, 8, 0, nullptr, kCGImageAlphaPremultipliedFirst),
              nullptr);
}

TEST(BitmapContext, OwnMemoryStartsClearAndClearRectErases)
{
    CGContextRef context =
        CGBitmapContextCreate(nullptr, 3, 3, 8, 0, nullptr, kCGImageAlphaPremultipliedFirst);
    ASSERT_NE(context, nullptr);
    const auto* bytes = static_cast<const uint8_t*>(CGBitmapContextGetData(context));
    EXPECT_EQ(CGBitmapContextGetBytesPerRow(context), 12u);
    EXPECT_EQ(std::count(bytes, bytes + 36, 0), 36);
    CGContextSetRGBFillColor(context, 1, 1, 1, 1);
    CGContextFillRect(context, CGRectMake(0, 0, 3, 3));
    CGContextClearRect(context, CGRectMake(1, 1, 1, 1));
    EXPECT_EQ(bytes[0], 255);
    EXPECT_EQ(bytes[16], 0) << "the middle pixel's alpha";
    EXPECT_EQ(bytes[20], 255);
    CGContextRelease(context);
}

} // namespace
