// Images from providers, crops, drawing images and snapshots of contexts.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/platform/graphics/Pixels.h"

namespace {

// A sequential provider over bytes that logs every callback.
struct LoggingProvider {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    std::string log;
    bool released = false;

    static size_t getBytes(void* info, void* buffer, size_t count)
    {
        auto* self = static_cast<LoggingProvider*>(info);
        // Hands over at most 5 bytes a call, as a provider may.
        const size_t n = std::min({count, size_t{5}, self->bytes.size() - self->position});
        std::memcpy(buffer, self->bytes.data() + self->position, n);
        self->position += n;
        return n;
    }
    static void skipBytes(void* info, size_t count)
    {
        auto* self = static_cast<LoggingProvider*>(info);
        self->position += count;
        self->log += "skip" + std::to_string(count) + " ";
    }
    static void rewind(void* info)
    {
        auto* self = static_cast<LoggingProvider*>(info);
        self->position = 0;
        self->log += "rewind ";
    }
    static void release(void* info) { static_cast<LoggingProvider*>(info)->released = true; }

    CGDataProviderRef create()
    {
        const CGDataProviderCallbacks callbacks = {getBytes, skipBytes, rewind, release};
        return CGDataProviderCreate(this, &callbacks);
    }
};

// Draws image at (0, 0) and its own size into a fresh canvas.
std::unique_ptr<Canvas> rendered(CGImageRef image)
{
    const int width = static_cast<int>(CGImageGetWidth(image)),
              height = static_cast<int>(CGImageGetHeight(image));
    auto canvas = std::make_unique<Canvas>(width, height);
    CGContextDrawImage(canvas->context, CGRectMake(0, 0, width, height), image);
    return canvas;
}

// An image whose pixel in column x, row y (from the top) is opaque with
// red x and green y.
CGImageRef gradient(int width, int height)
{
    Canvas canvas(width, height);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            auto* b = reinterpret_cast<uint8_t*>(&canvas.memory[static_cast<size_t>(row * width + x)]);
            b[0] = 255;
            b[1] = static_cast<uint8_t>(x);
            b[2] = static_cast<uint8_t>(row);
        }
    return CGBitmapContextCreateImage(canvas.context);
}

TEST(Image, SequentialProviderIsRewoundAndRowPaddingSkipped)
{
    // 3 x 2 straight-alpha ARGB rows of 16 bytes: 12 of pixels, 4 of padding.
    LoggingProvider source;
    source.bytes = {128, 255, 0, 0,   255, 0, 255, 0, 0,   9, 9, 9, 7, 7, 7, 7,
                    255, 0,   0, 255, 255, 1, 2,   3, 255, 4, 5, 6, 7, 7, 7, 7};
    source.position = 9; // left over from an earlier reader
    CGDataProviderRef provider = source.create();
    CGImageRef image = CGImageCreate(3, 2, 8, 32, 16, nullptr, kCGImageAlphaFirst, provider, nullptr, false,
                                     kCGRenderingIntentDefault);
    CGDataProviderRelease(provider);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(source.log, "rewind skip4 ");
    EXPECT_TRUE(source.released) << "the image keeps pixels, not the provider";

    auto canvas = rendered(image);
    EXPECT_EQ(canvas->argb(0, 0), 0x80800000u) << "half-transparent red, premultiplied when drawn";
    EXPECT_EQ(canvas->argb(1, 0), 0xFF00FF00u);
    EXPECT_EQ(canvas->argb(2, 0), 0u) << "alpha 0 leaves nothing";
    EXPECT_EQ(canvas->argb(0, 1), 0xFF0000FFu);
    EXPECT_EQ(canvas->argb(2, 1), 0xFF040506u);
    CGImageRelease(image);
}

TEST(Image, ProvidersThatRunShortOrDoNotFitAreRefused)
{
    LoggingProvider shortSource;
    shortSource.bytes.assign(15, 255);
    CGDataProviderRef provider = shortSource.create();
    EXPECT_EQ(CGImageCreate(2, 2, 8, 32, 8, nullptr, kCGImageAlphaFirst, provider, nullptr, false, 0),
              nullptr);
    EXPECT_EQ(CGImageCreate(2, 2, 8, 32, 7, nullptr, kCGImageAlphaFirst, provider, nullptr, false, 0),
              nullptr);
    EXPECT_EQ(CGImageCreate(2, 2, 8, 24, 8, nullptr, kCGImageAlphaNone, provider, nullptr, false, 0),
              nullptr);
    EXPECT_EQ(
        CGImageCreate(40000, 1, 8, 32, 160000, nullptr, kCGImageAlphaFirst, provider, nullptr, false, 0),
        nullptr);
    CGDataProviderRelease(provider);

    // Memory providers read the same way.
    const uint8_t pixels[8] = {255, 1, 2, 3, 255, 4, 5, 6};
    CGDataProviderRef memory = CGDataProviderCreateWithData(nullptr, pixels, sizeof pixels, nullptr);
    CGImageRef image =
        CGImageCreate(1, 2, 8, 32, 4, nullptr, kCGImageAlphaNoneSkipFirst, memory, nullptr, false, 0);
    CGDataProviderRelease(memory);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(rendered(image)->argb(0, 1), 0xFF040506u);
    CGImageRelease(image);
}

TEST(Image, CropsRoundOutwardsAndStopAtTheImage)
{
    CGImageRef strip = gradient(4, 8);
    CGImageRef frame = CGImageCreateWithImageInRect(strip, CGRectMake(0, 4, 4, 2));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(CGImageGetWidth(frame), 4u);
    EXPECT_EQ(CGImageGetHeight(frame), 2u);
    auto canvas = rendered(frame);
    EXPECT_EQ(canvas->argb(3, 0), 0xFF030400u);
    EXPECT_EQ(canvas->argb(0, 1), 0xFF000500u);
    CGImageRelease(frame);

    CGImageRef edge = CGImageCreateWithImageInRect(strip, CGRectMake(2.5, 6.5, 10, 10));
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(CGImageGetWidth(edge), 2u);
    EXPECT_EQ(CGImageGetHeight(edge), 2u);
    EXPECT_EQ(rendered(edge)->argb(0, 0), 0xFF020600u);
    CGImageRelease(edge);

    EXPECT_EQ(CGImageCreateWithImageInRect(strip, CGRectMake(0, 8, 4, 2)), nullptr);
    EXPECT_EQ(CGImageCreateWithImageInRect(strip, CGRectMake(-5, 0, 5, 2)), nullptr);
    EXPECT_EQ(CGImageCreateWithImageInRect(strip, CGRectNull), nullptr);
    CGImageRelease(strip);
}

TEST(Image, DrawsUprightInQuartzSpaceAndScaledToTheRect)
{
    CGImageRef image = gradient(2, 2);
    Canvas canvas(6, 6);
    CGContextSetShouldAntialias(canvas.context, false);
    CGContextDrawImage(canvas.context, CGRectMake(1, 1, 4, 4), image);
    // The rect covers rows 1 to 4 from the top; the image's top row (green
    // 0) comes first. Pixels sampled next to an image pixel's centre.
    EXPECT_EQ(canvas.argb(1, 1), 0xFF000000u);
    EXPECT_EQ(canvas.argb(4, 2), 0xFF010000u);
    EXPECT_EQ(canvas.argb(1, 4), 0xFF000100u);
    EXPECT_EQ(canvas.argb(0, 0), 0u);
    EXPECT_EQ(canvas.argb(5, 5), 0u);
    CGImageRelease(image);
}

TEST(Image, SnapshotsDoNotFollowLaterDrawing)
{
    Canvas canvas(2, 2);
    CGContextSetRGBFillColor(canvas.context, 1, 0, 0, 1);
    CGContextFillRect(canvas.context, CGRectMake(0, 0, 2, 2));
    CGImageRef snapshot = CGBitmapContextCreateImage(canvas.context);
    CGContextSetRGBFillColor(canvas.context, 0, 0, 1, 1);
    CGContextFillRect(canvas.context, CGRectMake(0, 0, 2, 2));
    EXPECT_EQ(rendered(snapshot)->argb(1, 1), 0xFFFF0000u);
    EXPECT_EQ(CGImageGetAlphaInfo(snapshot), kCGImageAlphaPremultipliedFirst);
    CGImageRelease(snapshot);
}

} // namespace
