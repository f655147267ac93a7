#include <gtest/gtest.h>

#include <stdlib.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/toolkit/Pixels.h"
#include "toolkit/BundleRef.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CDataProvider.h"
#include "toolkit/COffscreenContext.h"

using toolkit::test::pixelAt;
using toolkit::test::writeBMP;
using toolkit::test::writePNG;

namespace {

constexpr CColor kKey{255, 0, 255, 255};

// Ten frames of ten rows each, frame k filled with a shade of k.
CColor stripColour(int frame)
{
    return CColor{uint8_t(20 * frame), uint8_t(250 - 20 * frame), 100, 255};
}

// A bundle folder made as gBundleRef for each test, removed afterwards.
class Bitmaps : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "toolkit-bitmaps-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        resources = root / "Test.component/Contents/Resources";
        std::filesystem::create_directories(resources);
        const std::string bundlePath = (root / "Test.component").string();
        CFURLRef url = CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8*>(bundlePath.data()), CFIndex(bundlePath.size()), true);
        CFBundleRef bundle = CFBundleCreate(nullptr, url);
        CFRelease(url);
        toolkit::setBundleRef(bundle);
        CFRelease(bundle);
    }
    void TearDown() override
    {
        toolkit::setBundleRef(nullptr);
        context->forget();
        std::filesystem::remove_all(root);
    }

    void expectArea(const CRect& area, const CColor& colour)
    {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                ASSERT_EQ(pixelAt(*context, x, y), colour) << "at " << x << ", " << y;
    }

    void clear(const CColor& colour)
    {
        context->setClipRect(CRect(0, 0, 40, 40));
        context->setFillColor(colour);
        context->fillRect(CRect(0, 0, 40, 40));
    }

    std::filesystem::path root;
    std::filesystem::path resources;
    COffscreenContext* context = new COffscreenContext(nullptr, 40, 40, kBlueCColor);
};

} // namespace

TEST_F(Bitmaps, PNGIsTakenBeforeBMPOfTheSameNumber)
{
    writeBMP(resources / "bmp00007.bmp", 4, 3, [](int, int) { return kGreenCColor; });
    {
        CBitmap* bitmap = new CBitmap(7);
        ASSERT_TRUE(bitmap->isLoaded());
        EXPECT_TRUE(bitmap->getNoAlpha());
        EXPECT_EQ(bitmap->getWidth(), 4);
        EXPECT_EQ(bitmap->getHeight(), 3);
        bitmap->draw(context, CRect(0, 0, 4, 3));
        expectArea(CRect(0, 0, 4, 3), kGreenCColor);
        bitmap->forget();
    }
    writePNG(resources / "bmp00007.png", 5, 2, [](int, int) { return kRedCColor; });
    CBitmap* bitmap = new CBitmap(7);
    ASSERT_TRUE(bitmap->isLoaded());
    EXPECT_FALSE(bitmap->getNoAlpha());
    EXPECT_EQ(bitmap->getResourceID(), 7);
    EXPECT_EQ(bitmap->getWidth(), 5);
    bitmap->draw(context, CRect(10, 10, 15, 12));
    expectArea(CRect(10, 10, 15, 12), kRedCColor);
    expectArea(CRect(15, 10, 20, 12), kBlueCColor);
    bitmap->forget();
}

TEST_F(Bitmaps, MissingOrUnreadableImagesLeaveTheBitmapEmpty)
{
    std::ofstream(resources / "bmp00009.png") << "not an image";
    std::ofstream(resources / "bmp00009.bmp") << "never tried";
    for (const int id : {8, 9}) {
        CBitmap* bitmap = new CBitmap(id);
        EXPECT_FALSE(bitmap->isLoaded());
        EXPECT_EQ(bitmap->getWidth(), 0);
        EXPECT_EQ(bitmap->getHeight(), 0);
        bitmap->draw(context, CRect(0, 0, 10, 10));
        bitmap->drawTransparent(context, CRect(0, 0, 10, 10));
        EXPECT_EQ(bitmap->createCGImage(), nullptr);
        bitmap->forget();
    }
    expectArea(CRect(0, 0, 40, 40), kBlueCColor);

    // Only the four extensions, exactly as written.
    writePNG(resources / "upper.PNG", 2, 2, [](int, int) { return kRedCColor; });
    writePNG(resources / "other.gif", 2, 2, [](int, int) { return kRedCColor; });
    CBitmap bitmap;
    for (const char* name : {"upper.PNG", "other.gif", "absent.png"}) {
        const std::string path = (resources / name).string();
        CFURLRef url = CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), false);
        EXPECT_FALSE(bitmap.loadFromPath(url)) << name;
        EXPECT_FALSE(bitmap.isLoaded());
        CFRelease(url);
    }

    // A header claiming a huge image is refused before anything that size is made.
    std::vector<uint8_t> huge(54);
    huge[0] = 'B';
    huge[1] = 'M';
    huge[10] = 54;
    huge[14] = 40;
    huge[18] = huge[19] = huge[22] = huge[23] = 0xFF; // 65535 x 65535
    huge[26] = 1;
    huge[28] = 24;
    std::ofstream(resources / "bmp00010.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(huge.data()), std::streamsize(huge.size()));
    CBitmap* hostile = new CBitmap(10);
    EXPECT_FALSE(hostile->isLoaded());
    hostile->forget();
}

TEST_F(Bitmaps, KeyColourIsTransparentOnlyWhenAskedFor)
{
    // Left half the key colour, right half green.
    writeBMP(resources / "bmp00020.bmp", 6, 2, [](int x, int) { return x < 3 ? kKey : kGreenCColor; });
    CBitmap* bitmap = new CBitmap(20);
    ASSERT_TRUE(bitmap->isLoaded());
    EXPECT_EQ(bitmap->getTransparentColor(), kTransparentCColor);

    bitmap->draw(context, CRect(0, 0, 6, 2));
    expectArea(CRect(0, 0, 3, 2), kKey);

    // The cached opaque image serves drawTransparent too, until the key changes.
    bitmap->setTransparentColor(CColor{255, 0, 255, 0}); // alpha is not compared
    bitmap->drawTransparent(context, CRect(0, 4, 6, 6));
    expectArea(CRect(0, 4, 3, 6), kBlueCColor);
    expectArea(CRect(3, 4, 6, 6), kGreenCColor);
    bitmap->draw(context, CRect(0, 8, 6, 10));
    expectArea(CRect(0, 8, 3, 10), kBlueCColor);
    bitmap->forget();

    // A PNG keeps its own alpha and ignores the key.
    writePNG(resources / "bmp00021.png", 4, 1, [](int x, int) {
        return x < 2 ? kKey : CColor{255, 255, 255, 0};
    });
    CBitmap* png = new CBitmap(21);
    png->setTransparentColor(kKey);
    png->drawTransparent(context, CRect(20, 0, 24, 1));
    expectArea(CRect(20, 0, 22, 1), kKey);
    expectArea(CRect(22, 0, 24, 1), kBlueCColor);
    png->forget();
}

TEST_F(Bitmaps, AlphaBlendMixesWithWhatIsThere)
{
    writePNG(resources / "bmp00030.png", 2, 2, [](int, int) { return kRedCColor; });
    clear(kBlackCColor);
    CBitmap* bitmap = new CBitmap(30);
    bitmap->drawAlphaBlend(context, CRect(0, 0, 2, 2), CPoint(), 128);
    const CColor mixed = pixelAt(*context, 1, 1);
    EXPECT_NEAR(mixed.red, 128, 2);
    EXPECT_EQ(mixed.green, 0);
    EXPECT_EQ(mixed.alpha, 255);
    bitmap->forget();
}

TEST_F(Bitmaps, FramesOfATallStripDrawOnlyTheirVisibleRows)
{
    writePNG(resources / "bmp00040.png", 10, 100, [](int, int y) { return stripColour(y / 10); });
    CBitmap* strip = new CBitmap(40);
    ASSERT_EQ(strip->getHeight(), 100);

    for (int frame : {0, 3, 9}) {
        strip->draw(context, CRect(5, 5, 15, 15), CPoint(0, 10 * frame));
        expectArea(CRect(5, 5, 15, 15), stripColour(frame));
    }

    // Clipped: only the rows inside the clip change.
    clear(kBlueCColor);
    context->setClipRect(CRect(0, 0, 40, 9));
    strip->draw(context, CRect(5, 5, 15, 15), CPoint(0, 40));
    expectArea(CRect(5, 5, 15, 9), stripColour(4));
    expectArea(CRect(5, 9, 15, 15), kBlueCColor);

    // With the drawing offset of a container.
    clear(kBlueCColor);
    context->setOffset(CPoint(20, 20));
    strip->draw(context, CRect(0, 0, 10, 10), CPoint(0, 70));
    context->setOffset(CPoint());
    expectArea(CRect(20, 20, 30, 30), stripColour(7));
    expectArea(CRect(0, 0, 20, 20), kBlueCColor);

    // A frame half past the end draws its part; frames past it, nothing.
    clear(kBlueCColor);
    strip->draw(context, CRect(5, 5, 15, 15), CPoint(0, 95));
    expectArea(CRect(5, 5, 15, 10), stripColour(9));
    expectArea(CRect(5, 10, 15, 15), kBlueCColor);
    for (const CPoint offset : {CPoint(0, 100), CPoint(0, 500), CPoint(0, -30), CPoint(12, 0)}) {
        strip->draw(context, CRect(20, 5, 30, 15), offset);
        strip->drawAlphaBlend(context, CRect(20, 5, 30, 15), offset, 100);
    }
    expectArea(CRect(20, 0, 40, 40), kBlueCColor);

    // A destination wholly outside the clip draws nothing.
    context->setClipRect(CRect(0, 0, 4, 4));
    strip->draw(context, CRect(5, 5, 15, 15), CPoint(0, 0));
    expectArea(CRect(5, 5, 15, 10), stripColour(9));
    expectArea(CRect(5, 10, 15, 15), kBlueCColor);
    strip->forget();
}

TEST_F(Bitmaps, OffscreenContextDrawsIntoABitmap)
{
    CBitmap* bitmap = new CBitmap(nullptr, 4, 3);
    ASSERT_TRUE(bitmap->isLoaded());
    COffscreenContext* drawing = new COffscreenContext(context, bitmap, true);
    EXPECT_EQ(drawing->getBitmap(), bitmap);
    EXPECT_EQ(bitmap->getNbReference(), 2);
    drawing->setFillColor(kRedCColor);
    drawing->fillRect(CRect(0, 0, 2, 3));
    drawing->forget();
    EXPECT_EQ(bitmap->getNbReference(), 1);

    // The pixel map holds alpha, red, green, blue.
    PixMapHandle pixels = GetGWorldPixMap(bitmap->getHandle());
    const auto* bytes = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pixels));
    EXPECT_EQ((std::array{bytes[0], bytes[1], bytes[2], bytes[3]}), (std::array<uint8_t, 4>{255, 255, 0, 0}));
    EXPECT_FALSE(IsPixMapLocked(pixels));

    bitmap->draw(context, CRect(0, 0, 4, 3));
    expectArea(CRect(0, 0, 2, 3), kRedCColor);
    expectArea(CRect(2, 0, 4, 3), kBlueCColor); // still transparent in the bitmap
    bitmap->forget();
}

TEST_F(Bitmaps, CopyFromPlacesTheSourceOffsetAtTheDestination)
{
    COffscreenContext* source = new COffscreenContext(nullptr, 10, 10, kBlackCColor);
    source->setFillColor(kRedCColor);
    source->fillRect(CRect(4, 4, 6, 6));
    source->copyFrom(context, CRect(20, 20, 25, 25), CPoint(3, 3));
    expectArea(CRect(20, 20, 21, 25), kBlackCColor);
    expectArea(CRect(21, 21, 23, 23), kRedCColor);
    expectArea(CRect(25, 20, 30, 25), kBlueCColor); // clipped to the destination
    // Without a bitmap there is nothing to copy to a port.
    source->copyTo(context, CRect(0, 0, 10, 10));
    expectArea(CRect(0, 0, 10, 10), kBlueCColor);
    source->forget();
}

TEST(CDataProvider, KeyColourByPixelWhateverTheReadSizes)
{
    // Three pixels: keyed, plain, keyed (alpha differs: not compared).
    const uint8_t pixels[] = {200, 1, 2, 3, 255, 9, 9, 9, 77, 1, 2, 3};
    const CColor key{1, 2, 3, 0};
    const uint8_t expected[] = {0, 1, 2, 3, 255, 9, 9, 9, 0, 1, 2, 3};

    for (const size_t chunk : {1u, 3u, 4u, 5u, 12u, 64u}) {
        SCOPED_TRACE(chunk);
        CDataProvider provider(pixels, sizeof pixels, key);
        std::vector<uint8_t> out(sizeof pixels + 8, 0xEE);
        size_t total = 0;
        while (const size_t got = provider.getBytes(out.data() + total, chunk)) total += got;
        EXPECT_EQ(total, sizeof pixels);
        EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), out.begin()));
        EXPECT_EQ(out[sizeof pixels], 0xEE); // nothing past the end
    }

    // Skips of any length keep later bytes in place; rewind starts over.
    CDataProvider provider(pixels, sizeof pixels, key);
    EXPECT_EQ(provider.skipBytes(7), 7u);
    uint8_t out[5] = {};
    EXPECT_EQ(provider.getBytes(out, 5), 5u);
    EXPECT_TRUE(std::equal(out, out + 5, expected + 7));
    EXPECT_EQ(provider.skipBytes(50), 0u);
    EXPECT_EQ(provider.getBytes(out, 5), 0u);
    provider.rewind();
    EXPECT_EQ(provider.getBytes(out, 1), 1u);
    EXPECT_EQ(out[0], 0);

    // Memory that ends inside a pixel: that pixel's bytes pass unkeyed.
    const std::vector<uint8_t> partial(pixels, pixels + 10);
    CDataProvider cut(partial.data(), partial.size(), key);
    uint8_t all[16] = {};
    EXPECT_EQ(cut.getBytes(all, sizeof all), 10u);
    EXPECT_TRUE(std::equal(all, all + 8, expected));
    EXPECT_EQ(all[8], 77);
}
