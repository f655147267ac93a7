// Text as the toolkit draws it: fonts chosen by name, glyphs upright in a
// flipped context, on the baseline, and the text position after drawing.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/platform/graphics/Pixels.h"

namespace {

// A context set up the way the toolkit draws text: flipped, text matrix
// flipped back, white fill.
struct TextCanvas : Canvas {
    explicit TextCanvas(const char* font = "Helvetica", CGFloat size = 12) : Canvas(120, 40)
    {
        flip();
        CGContextSetTextMatrix(context, CGAffineTransformMake(1, 0, 0, -1, 0, 0));
        CGContextSelectFont(context, font, size, kCGEncodingMacRoman);
        CGContextSetRGBFillColor(context, 1, 1, 1, 1);
    }
    // The advance of text drawn at (x, y).
    CGFloat show(const char* text, CGFloat x = 10, CGFloat y = 30)
    {
        CGContextShowTextAtPoint(context, x, y, text, std::strlen(text));
        const CGPoint end = CGContextGetTextPosition(context);
        EXPECT_EQ(end.y, y);
        return end.x - x;
    }
};

TEST(Text, CapitalsSitOnTheBaselineUprightAndAntialiased)
{
    TextCanvas canvas;
    canvas.show("H");
    const Canvas::Ink ink = canvas.ink();
    // Baseline at y 30: the capital's lowest row is the one just above it,
    // its top about a cap height (0.73 em) higher.
    EXPECT_EQ(ink.bottom, 29);
    EXPECT_GE(ink.top, 19);
    EXPECT_LE(ink.top, 22);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 20);
    bool partial = false;
    for (int row = ink.top; row <= ink.bottom; ++row)
        for (int x = ink.left; x <= ink.right; ++x)
            partial |= canvas.alpha(x, row) > 0 && canvas.alpha(x, row) < 255;
    EXPECT_TRUE(partial) << "edges are anti-aliased";

    // Without the flips, Quartz space and glyph space agree: still upright,
    // above the baseline row counted from the bottom.
    Canvas quartz(60, 40);
    CGContextSelectFont(quartz.context, "Helvetica", 12, kCGEncodingMacRoman);
    CGContextShowTextAtPoint(quartz.context, 5, 10, "H", 1);
    EXPECT_EQ(quartz.ink().bottom, 40 - 10 - 1);
}

TEST(Text, DescendersGoBelowTheBaseline)
{
    TextCanvas canvas;
    canvas.show("g");
    EXPECT_GT(canvas.ink().bottom, 30);
}

TEST(Text, AdvanceGrowsWithTheStringAndTheStyle)
{
    TextCanvas canvas;
    const CGFloat one = canvas.show("W");
    const CGFloat three = canvas.show("WWW");
    EXPECT_GT(one, 5);
    EXPECT_NEAR(three, 3 * one, 1);
    const CGFloat word = canvas.show("Flanger");

    TextCanvas bold("Helvetica Bold");
    EXPECT_GT(bold.show("Flanger"), word);
    TextCanvas big("Helvetica", 24);
    // Twice the size, twice the width, give or take the rounding of hinted
    // advances.
    EXPECT_NEAR(big.show("Flanger"), 2 * word, 0.1 * word);
    // The suffixes come off in any combination; the family stays Helvetica.
    TextCanvas styled("Helvetica Bold Italic Underline");
    EXPECT_NEAR(styled.show("Flanger"), bold.show("Flanger"), 1);
}

TEST(Text, InvisibleTextMovesThePositionOnly)
{
    TextCanvas visible;
    const CGFloat advance = visible.show("Tilt 12 dB");
    TextCanvas invisible;
    CGContextSetTextDrawingMode(invisible.context, kCGTextInvisible);
    EXPECT_EQ(invisible.show("Tilt 12 dB"), advance);
    EXPECT_EQ(invisible.ink().top, -1);
    // Drawing continues from where the last text ended.
    CGContextSetTextDrawingMode(invisible.context, kCGTextFill);
    CGContextShowText(invisible.context, "x", 1);
    EXPECT_GT(CGContextGetTextPosition(invisible.context).x, 10 + advance);
}

TEST(Text, UnderlineStyleDrawsBelowTheBaseline)
{
    TextCanvas plain;
    plain.show("H");
    TextCanvas underlined("Helvetica Underline");
    underlined.show("H");
    EXPECT_EQ(plain.ink().bottom, 29);
    EXPECT_GT(underlined.ink().bottom, 30);
}

TEST(Text, MacRomanBytesDrawTheirCharacters)
{
    // 0xA5 is a bullet in Mac Roman; the font-specific encoding has no
    // characters above 0x7F here.
    TextCanvas roman;
    EXPECT_GT(roman.show("\xA5"), 0);
    EXPECT_GE(roman.ink().top, 0);

    TextCanvas specific;
    CGContextSelectFont(specific.context, "Helvetica", 12, kCGEncodingFontSpecific);
    EXPECT_EQ(specific.show("\xA5"), 0);
    EXPECT_EQ(specific.ink().top, -1);
}

} // namespace
