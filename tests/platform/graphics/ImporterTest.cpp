// The graphics importers on files written here by gdk-pixbuf and libpng, and on files
// that are damaged, mislabelled or claim impossible sizes.

#include <gtest/gtest.h>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <png.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/graphics/MacMemory.h"
#include "platform/graphics/QuickTime.h"
#include "tests/platform/graphics/Pixels.h"

namespace {

class Importer : public ::testing::Test {
  protected:
    std::string folder;

    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "importerXXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern + "/";
    }
    void TearDown() override
    {
        for (const std::string& file : files) std::remove(file.c_str());
        rmdir(folder.c_str());
    }

    // A blank PNG of that size.
    std::string writeBlank(const char* name, int width, int height)
    {
        GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, false, 8, width, height);
        gdk_pixbuf_fill(pixbuf, 0);
        const std::string path = folder + name;
        EXPECT_TRUE(gdk_pixbuf_save(pixbuf, path.c_str(), "png", nullptr, nullptr));
        g_object_unref(pixbuf);
        files.push_back(path);
        return path;
    }

    // A 3 x 2 image: top row red, green, blue; bottom row white, black and,
    // with alpha, half-transparent red (opaque grey without).
    std::string writeImage(const char* name, const char* type, bool alpha)
    {
        GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha, 8, 3, 2);
        const int channels = gdk_pixbuf_get_n_channels(pixbuf), stride = gdk_pixbuf_get_rowstride(pixbuf);
        guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
        const std::array<std::array<guchar, 4>, 6> colours = {
            {{255, 0, 0, 255},
             {0, 255, 0, 255},
             {0, 0, 255, 255},
             {255, 255, 255, 255},
             {0, 0, 0, 255},
             {alpha ? guchar{255} : guchar{128}, 0, 0, 128}}};
        for (int i = 0; i < 6; ++i)
            std::memcpy(pixels + (i / 3) * stride + (i % 3) * channels,
                        colours[static_cast<size_t>(i)].data(), static_cast<size_t>(channels));
        const std::string path = folder + name;
        GError* error = nullptr;
        const bool saved = gdk_pixbuf_save(pixbuf, path.c_str(), type, &error, nullptr);
        if (error) {
            ADD_FAILURE() << error->message;
            g_error_free(error);
        }
        g_object_unref(pixbuf);
        EXPECT_TRUE(saved);
        files.push_back(path);
        return path;
    }

    // A PNG of that colour type and bit depth from rows of packed samples,
    // as libpng writes it; palette and transparency for palette images.
    std::string writePng(const char* name, png_uint_32 width, png_uint_32 height, int colourType, int depth,
                         bool interlaced, const std::vector<std::vector<png_byte>>& rows,
                         const std::vector<png_color>& palette = {},
                         const std::vector<png_byte>& opacity = {})
    {
        const std::string path = folder + name;
        FILE* file = std::fopen(path.c_str(), "wb");
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, depth, colourType,
                     interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
        if (!opacity.empty())
            png_set_tRNS(png, info, opacity.data(), static_cast<int>(opacity.size()), nullptr);
        std::vector<png_bytep> pointers;
        for (const auto& row : rows) pointers.push_back(const_cast<png_bytep>(row.data()));
        png_set_rows(png, info, pointers.data());
        png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        files.push_back(path);
        return path;
    }

    std::string writeBytes(const char* name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = folder + name;
        FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        files.push_back(path);
        return path;
    }

    // Opens the importer of type and points it at path; its status.
    ComponentResult open(OSType type, const std::string& path)
    {
        if (OpenADefaultComponent(GraphicsImporterComponentType, type, &importer) != noErr)
            return invalidComponentID;
        CFURLRef url = CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8*>(path.c_str()), static_cast<CFIndex>(path.size()), false);
        Handle dataRef = nullptr;
        OSType dataRefType = 0;
        OSErr status = QTNewDataReferenceFromCFURL(url, 0, &dataRef, &dataRefType);
        CFRelease(url);
        if (status != noErr) return status;
        const ComponentResult result = GraphicsImportSetDataReference(importer, dataRef, dataRefType);
        DisposeHandle(dataRef);
        return result;
    }

    ComponentInstance importer = nullptr;
    ~Importer() override
    {
        if (importer) CloseComponent(importer);
    }

  private:
    std::vector<std::string> files;
};

// What the importer's image looks like drawn into an A, R, G, B canvas.
std::unique_ptr<Canvas> drawn(ComponentInstance importer)
{
    CGImageRef image = nullptr;
    EXPECT_EQ(GraphicsImportCreateCGImage(importer, &image, kGraphicsImportCreateCGImageUsingCurrentSettings),
              noErr);
    if (!image) return nullptr;
    auto canvas = std::make_unique<Canvas>(static_cast<int>(CGImageGetWidth(image)),
                                           static_cast<int>(CGImageGetHeight(image)));
    CGContextDrawImage(canvas->context, CGRectMake(0, 0, canvas->width, canvas->height), image);
    CGImageRelease(image);
    return canvas;
}

TEST_F(Importer, PngKeepsItsAlpha)
{
    ASSERT_EQ(open(kQTFileTypePNG, writeImage("bmp00128.png", "png", true)), noErr);
    Rect bounds;
    ASSERT_EQ(GraphicsImportGetNaturalBounds(importer, &bounds), noErr);
    EXPECT_EQ(bounds.right, 3);
    EXPECT_EQ(bounds.bottom, 2);
    auto canvas = drawn(importer);
    ASSERT_TRUE(canvas);
    EXPECT_EQ(canvas->argb(0, 0), 0xFFFF0000u);
    EXPECT_EQ(canvas->argb(2, 0), 0xFF0000FFu);
    EXPECT_EQ(canvas->argb(1, 1), 0xFF000000u);
    EXPECT_EQ(canvas->argb(2, 1), 0x80800000u) << "half-transparent red, premultiplied";
}

TEST_F(Importer, GreyPaletteSixteenBitAndInterlacedPngsDecodeToTheirColours)
{
    ASSERT_EQ(
        open(kQTFileTypePNG, writePng("grey.png", 3, 1, PNG_COLOR_TYPE_GRAY, 8, false, {{0, 128, 255}})),
        noErr);
    auto grey = drawn(importer);
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->argb(0, 0), 0xFF000000u);
    EXPECT_EQ(grey->argb(1, 0), 0xFF808080u);
    EXPECT_EQ(grey->argb(2, 0), 0xFFFFFFFFu);
    CloseComponent(importer);

    // Two 4-bit indices in a byte; the second colour is transparent.
    ASSERT_EQ(open(kQTFileTypePNG, writePng("palette.png", 2, 1, PNG_COLOR_TYPE_PALETTE, 4, false, {{0x01}},
                                            {{0, 0, 255}, {255, 0, 0}}, {255, 0})),
              noErr);
    auto palette = drawn(importer);
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->argb(0, 0), 0xFF0000FFu);
    EXPECT_EQ(palette->argb(1, 0), 0x00000000u);
    CloseComponent(importer);

    // Every Adam7 pass has pixels in 9 x 9; each sample's high byte counts.
    std::vector<std::vector<png_byte>> rows(9);
    for (png_byte y = 0; y < 9; ++y)
        for (png_byte x = 0; x < 9; ++x) rows[y].insert(rows[y].end(), {x, 0xFF, y, 0x00, 200, 0x80});
    ASSERT_EQ(open(kQTFileTypePNG, writePng("deep.png", 9, 9, PNG_COLOR_TYPE_RGB, 16, true, rows)), noErr);
    auto deep = drawn(importer);
    ASSERT_TRUE(deep);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(deep->argb(x, y), 0xFF0000C8u | uint32_t(x) << 16 | uint32_t(y) << 8) << x << "," << y;
}

TEST_F(Importer, BmpDrawsOpaqueIntoAGraphicsWorldAndTheImporterIsReused)
{
    ASSERT_EQ(open(kQTFileTypeBMP, writeImage("a.bmp", "bmp", false)), noErr);
    GWorldPtr world;
    const Rect bounds{0, 0, 2, 3};
    ASSERT_EQ(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), noErr);
    ASSERT_EQ(GraphicsImportSetGWorld(importer, world, nullptr), noErr);
    ASSERT_EQ(GraphicsImportDraw(importer), noErr);
    const auto* pixels = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(world)));
    const long rowBytes = GetPixRowBytes(GetGWorldPixMap(world)) & 0x3FFF;
    auto bytes = [&](int x, int row) {
        const uint8_t* p = pixels + row * rowBytes + x * 4;
        return std::array<uint8_t, 4>{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(bytes(0, 0), (std::array<uint8_t, 4>{255, 255, 0, 0}));
    EXPECT_EQ(bytes(1, 0), (std::array<uint8_t, 4>{255, 0, 255, 0}));
    EXPECT_EQ(bytes(0, 1), (std::array<uint8_t, 4>{255, 255, 255, 255}));
    EXPECT_EQ(bytes(2, 1), (std::array<uint8_t, 4>{255, 128, 0, 0}));
    DisposeGWorld(world);

    // A second file through the same importer.
    const std::string second = writeImage("b.bmp", "bmp", false);
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8*>(second.c_str()), static_cast<CFIndex>(second.size()), false);
    Handle dataRef;
    OSType type;
    ASSERT_EQ(QTNewDataReferenceFromCFURL(url, 0, &dataRef, &type), noErr);
    CFRelease(url);
    EXPECT_EQ(GraphicsImportSetDataReference(importer, dataRef, type), noErr);
    DisposeHandle(dataRef);
    EXPECT_EQ(drawn(importer)->argb(2, 0), 0xFF0000FFu);
}

TEST_F(Importer, JpegDecodesOpaqueAndClose)
{
    ASSERT_EQ(open(kQTFileTypeJPEG, writeImage("a.jpg", "jpeg", false)), noErr);
    auto canvas = drawn(importer);
    ASSERT_TRUE(canvas);
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(canvas->alpha(x, row), 255);
    // Lossy, and colours bleed in so small an image: white stays lightest.
    const uint8_t* white = canvas->bytes(0, 1);
    const uint8_t* black = canvas->bytes(1, 1);
    EXPECT_GT(white[1] + white[2] + white[3], black[1] + black[2] + black[3] + 200);
}

TEST_F(Importer, DamagedMislabelledAndMissingFilesFailCleanly)
{
    const std::string png = writeImage("c.png", "png", true);
    ASSERT_EQ(open(kQTFileTypeBMP, png), noErr);
    Rect bounds;
    EXPECT_EQ(GraphicsImportGetNaturalBounds(importer, &bounds), codecErr) << "a PNG is not a BMP";
    CloseComponent(importer);

    std::vector<uint8_t> garbage(300);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 37 + 11);
    for (OSType type : {kQTFileTypePNG, kQTFileTypeBMP, kQTFileTypeJPEG}) {
        ASSERT_EQ(open(type, writeBytes("garbage", garbage)), noErr);
        CGImageRef image = reinterpret_cast<CGImageRef>(1);
        EXPECT_EQ(GraphicsImportCreateCGImage(importer, &image, 0), codecErr);
        EXPECT_EQ(image, nullptr);
        CloseComponent(importer);
    }

    // A truncated PNG: the file cut in half.
    FILE* file = std::fopen(png.c_str(), "rb");
    std::vector<uint8_t> bytes(4096);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    bytes.resize(bytes.size() / 2);
    ASSERT_EQ(open(kQTFileTypePNG, writeBytes("cut.png", bytes)), noErr);
    EXPECT_EQ(GraphicsImportGetNaturalBounds(importer, &bounds), codecErr);
    CloseComponent(importer);

    EXPECT_EQ(open(kQTFileTypePNG, folder + "missing.png"), fnfErr);
    CloseComponent(importer);
    importer = nullptr;
    EXPECT_EQ(open(kQTFileTypePicture, png), invalidComponentID) << "no PICT importer";
}

// A BMP header (Windows bitmap info) claiming width x height at 24 bits.
std::vector<uint8_t> bmpHeader(int32_t width, int32_t height)
{
    std::vector<uint8_t> bytes(54 + 64, 0);
    auto put = [&](size_t at, uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, static_cast<uint32_t>(bytes.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    return bytes;
}

uint32_t crc32(const uint8_t* data, size_t length)
{
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// A PNG signature and header chunk claiming width x height RGBA, and no data.
std::vector<uint8_t> pngHeader(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                  0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    for (uint32_t value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
    for (uint8_t b : {8, 6, 0, 0, 0}) bytes.push_back(b);
    const uint32_t crc = crc32(bytes.data() + 12, 17);
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(crc >> shift));
    return bytes;
}

TEST_F(Importer, SidesAboveTheLimitAreRefused)
{
    Rect bounds;
    ASSERT_EQ(open(kQTFileTypePNG, writeBlank("widest.png", 32767, 1)), noErr);
    EXPECT_EQ(GraphicsImportGetNaturalBounds(importer, &bounds), noErr);
    EXPECT_EQ(bounds.right, 32767);
    CloseComponent(importer);
    ASSERT_EQ(open(kQTFileTypePNG, writeBlank("wider.png", 32768, 1)), noErr);
    EXPECT_EQ(GraphicsImportGetNaturalBounds(importer, &bounds), codecErr);
}

TEST_F(Importer, OversizedHeadersAreRefusedBeforeDecoding)
{
    Rect bounds;
    // The same headers at a sensible size are read far enough to be
    // accepted, so the refusals below are about size.
    ASSERT_EQ(open(kQTFileTypeBMP, writeBytes("small.bmp", bmpHeader(4, 4))), noErr);
    EXPECT_EQ(GraphicsImportGetNaturalBounds(importer, &bounds), noErr);
    CloseComponent(importer);

    for (auto [width, height] : {std::pair{40000, 2}, std::pair{2, -40000}, std::pair{30000, 30000}}) {
        ASSERT_EQ(open(kQTFileTypeBMP, writeBytes("huge.bmp", bmpHeader(width, height))), noErr);
        EXPECT_EQ(GraphicsImportGetNaturalBounds(importer, &bounds), codecErr) << width << " x " << height;
        CloseComponent(importer);
    }
    for (auto [width, height] :
         {std::pair{40000u, 2u}, std::pair{30000u, 30000u}, std::pair{0x7FFFFFFFu, 1u}}) {
        ASSERT_EQ(open(kQTFileTypePNG, writeBytes("huge.png", pngHeader(width, height))), noErr);
        EXPECT_EQ(GraphicsImportGetNaturalBounds(importer, &bounds), codecErr) << width << " x " << height;
        CloseComponent(importer);
    }
    importer = nullptr;
}

} // namespace
