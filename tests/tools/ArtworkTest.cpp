// The editors' bitmaps in the bundles against what the editors expect of
// them: sizes and frame counts, transparency only where the knobs are not,
// pointers travelling 270°, and the same bytes from every run.

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>

namespace {

namespace fs = std::filesystem;

struct PixbufUnref {
    void operator()(GdkPixbuf* pixbuf) const { g_object_unref(pixbuf); }
};
using Pixbuf = std::unique_ptr<GdkPixbuf, PixbufUnref>;

struct Pixel {
    int r, g, b, a;
    bool keyBlack() const { return r == 0 && g == 0 && b == 0; }
};

// A bitmap as decoded, with straight (not premultiplied) colours.
class Image {
  public:
    explicit Image(const fs::path& file) : pixbuf(gdk_pixbuf_new_from_file(file.c_str(), nullptr)) {}
    bool loaded() const { return pixbuf != nullptr; }
    int width() const { return gdk_pixbuf_get_width(pixbuf.get()); }
    int height() const { return gdk_pixbuf_get_height(pixbuf.get()); }
    Pixel at(int x, int y) const
    {
        const int channels = gdk_pixbuf_get_n_channels(pixbuf.get());
        const guchar* p =
            gdk_pixbuf_read_pixels(pixbuf.get()) + y * gdk_pixbuf_get_rowstride(pixbuf.get()) + x * channels;
        return {p[0], p[1], p[2], channels == 4 ? p[3] : 255};
    }

  private:
    Pixbuf pixbuf;
};

fs::path resources(const char* bundle)
{
    return fs::path(BUNDLE_DIR) / bundle / "Contents" / "Resources";
}

Image bitmap(const char* bundle, int id)
{
    char name[16];
    std::snprintf(name, sizeof name, "bmp%05d.png", id);
    Image image(resources(bundle) / name);
    EXPECT_TRUE(image.loaded()) << bundle << " " << name;
    return image;
}

// A film strip of square frames: width, frame count, transparency outside
// the knob, an opaque face that is never the key colour, and a pointer
// that turns with the frames.
struct Strip {
    const char* bundle;
    int id;
    int frames;
    // The part of each frame that must be opaque and never key black, as
    // distances from the frame's centre.
    double faceFrom, faceTo;
};

void PrintTo(const Strip& strip, std::ostream* out)
{
    *out << strip.bundle << " bitmap " << strip.id;
}

void expectCornersKeyed(const Image& image, int top, int size)
{
    for (const auto& [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}}) {
        const Pixel p = image.at(x, top + y);
        EXPECT_EQ(p.a, 0) << "corner " << x << ", " << top + y;
        EXPECT_TRUE(p.keyBlack()) << "corner " << x << ", " << top + y;
    }
}

void expectFaceShows(const Image& image, int top, int size, double from, double to)
{
    const double c = size / 2.0;
    int checked = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double r = std::hypot(x + 0.5 - c, y + 0.5 - c);
            if (r < from || r > to) continue;
            const Pixel p = image.at(x, top + y);
            ASSERT_EQ(p.a, 255) << "at " << x << ", " << top + y;
            ASSERT_FALSE(p.keyBlack()) << "at " << x << ", " << top + y;
            ++checked;
        }
    EXPECT_GT(checked, 0);
}

// Direction of the pointer (the frame's near-white pixels) from the centre,
// in degrees clockwise from 12 o'clock, -180 to 180.
double pointerDirection(const Image& image, int top, int size)
{
    double sx = 0, sy = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const Pixel p = image.at(x, top + y);
            if (p.a == 255 && p.r > 200 && p.g > 200 && p.b > 200) {
                sx += x + 0.5 - size / 2.0;
                sy += y + 0.5 - size / 2.0;
            }
        }
    return std::atan2(sx, -sy) * 180 / M_PI;
}

bool sameFrames(const Image& image, int size, int a, int b)
{
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Pixel p = image.at(x, a * size + y), q = image.at(x, b * size + y);
            if (p.r != q.r || p.g != q.g || p.b != q.b || p.a != q.a) return false;
        }
    return true;
}

class FilmStrip : public ::testing::TestWithParam<Strip> {};

TEST_P(FilmStrip, SquareFramesKeyedOutsideTheKnobWithAPointerTurning270Degrees)
{
    const Strip& strip = GetParam();
    const Image image = bitmap(strip.bundle, strip.id);
    const int size = image.width();
    ASSERT_EQ(image.height(), strip.frames * size);
    for (int frame = 0; frame < strip.frames; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        expectCornersKeyed(image, frame * size, size);
        expectFaceShows(image, frame * size, size, strip.faceFrom, strip.faceTo);
        if (frame > 0) {
            EXPECT_FALSE(sameFrames(image, size, frame - 1, frame));
        }
    }
    // Frame i shows the value i / (frames - 1): from 7:30 through 12 to 4:30.
    for (const int frame : {0, strip.frames / 2, strip.frames - 1}) {
        const double value = static_cast<double>(frame) / (strip.frames - 1);
        EXPECT_NEAR(pointerDirection(image, frame * size, size), -135 + 270 * value, 4) << "frame " << frame;
    }
}

INSTANTIATE_TEST_SUITE_P(Knobs, FilmStrip,
                         ::testing::Values(Strip{"FlangerUnit.component", 129, 80, 0, 22.5},
                                           Strip{"TiltEqUnit.component", 129, 61, 0, 47.5},
                                           Strip{"TiltEqUnit.component", 130, 60, 0, 18},
                                           // The ring's collar round the big knob.
                                           Strip{"TiltEqUnit.component", 132, 61, 51, 58}));

TEST(Artwork, FlangerSizesFitItsLayout)
{
    const Image background = bitmap("FlangerUnit.component", 128);
    const Image knob = bitmap("FlangerUnit.component", 129);
    // A 49-pixel frame that is square, knobs 64 pixels apart that do not
    // overlap, and room for the last knob and the menu.
    EXPECT_EQ(knob.width(), 49);
    EXPECT_GE(background.width(), 442 + knob.width());
    EXPECT_GE(background.height(), 106 + 16);
}

TEST(Artwork, TiltEqSizesFitItsLayout)
{
    const Image background = bitmap("TiltEqUnit.component", 128);
    const Image big = bitmap("TiltEqUnit.component", 129);
    const Image small = bitmap("TiltEqUnit.component", 130);
    const Image button = bitmap("TiltEqUnit.component", 131);
    const Image ring = bitmap("TiltEqUnit.component", 132);
    // The big knob sits 10 pixels in from the ring's corner: centred in it.
    EXPECT_EQ(ring.width(), big.width() + 20);
    EXPECT_EQ(button.height() % 2, 0);
    // Every control inside the background, the ring above the button.
    EXPECT_LE(62 + ring.width(), 199);
    EXPECT_GE(background.width(), 337 + small.width());
    EXPECT_GE(background.height(), 188 + small.width());
    EXPECT_GE(background.height(), 199 + button.height() / 2);
    EXPECT_GE(background.width(), 175 + button.width());
    // The small knobs side by side do not overlap, nor the button.
    EXPECT_LE(103 + small.width(), 175);
}

TEST(Artwork, OnOffButtonIsOpaqueShowsTwoStatesAndMeetsThePanelAtItsEdge)
{
    const Image background = bitmap("TiltEqUnit.component", 128);
    const Image button = bitmap("TiltEqUnit.component", 131);
    const int half = button.height() / 2;
    bool differ = false;
    for (int y = 0; y < half; ++y)
        for (int x = 0; x < button.width(); ++x) {
            const Pixel off = button.at(x, y), on = button.at(x, half + y);
            ASSERT_EQ(off.a, 255);
            ASSERT_EQ(on.a, 255);
            differ = differ || off.r != on.r || off.g != on.g || off.b != on.b;
        }
    EXPECT_TRUE(differ);
    // Drawn opaque at 175, 199, its outer pixels are the panel's.
    for (int state = 0; state < 2; ++state) {
        const Pixel corner = button.at(0, state * half), panel = background.at(175, 199);
        EXPECT_EQ(corner.r, panel.r);
        EXPECT_EQ(corner.g, panel.g);
        EXPECT_EQ(corner.b, panel.b);
    }
}

TEST(Artwork, BackgroundsAreOpaque)
{
    for (const char* bundle : {"FlangerUnit.component", "TiltEqUnit.component"}) {
        const Image background = bitmap(bundle, 128);
        for (int y = 0; y < background.height(); y += 7) {
            for (int x = 0; x < background.width(); x += 7) {
                ASSERT_EQ(background.at(x, y).a, 255) << bundle;
            }
        }
    }
}

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Artwork, EveryRunWritesTheSameBytes)
{
    const fs::path scratch = fs::temp_directory_path() / ("artwork-test-" + std::to_string(::getpid()));
    for (const auto& [unit, bundle] :
         {std::pair{"flanger", "FlangerUnit.component"}, {"tilteq", "TiltEqUnit.component"}}) {
        const fs::path dir = scratch / unit;
        fs::create_directories(dir);
        const std::string command = std::string(ARTWORK_PROGRAM) + " " + unit + " " + dir.string();
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        int files = 0;
        for (const auto& entry : fs::directory_iterator(resources(bundle))) {
            EXPECT_EQ(contents(entry.path()), contents(dir / entry.path().filename())) << entry.path();
            ++files;
        }
        EXPECT_EQ(files, std::string(unit) == "flanger" ? 2 : 5);
    }
    fs::remove_all(scratch);
}

bool samePixel(const Pixel& p, const Pixel& q)
{
    return p.r == q.r && p.g == q.g && p.b == q.b;
}

// The preview is the panel with the controls drawn at their places.
TEST(Artwork, PreviewIsThePanelWithItsControls)
{
    const fs::path file =
        fs::temp_directory_path() / ("artwork-preview-" + std::to_string(::getpid()) + ".png");
    for (const auto& [unit, bundle, x, y] : {std::tuple{"flanger", "FlangerUnit.component", 27 + 24, 26 + 24},
                                             {"tilteq", "TiltEqUnit.component", 200, 122}}) {
        const std::string command = std::string(ARTWORK_PROGRAM) + " preview " + unit + " " + file.string();
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const Image preview(file), background = bitmap(bundle, 128);
        ASSERT_TRUE(preview.loaded());
        EXPECT_EQ(preview.width(), background.width());
        EXPECT_EQ(preview.height(), background.height());
        EXPECT_TRUE(samePixel(preview.at(3, 3), background.at(3, 3)));
        // A knob's centre.
        EXPECT_FALSE(samePixel(preview.at(x, y), background.at(x, y))) << unit;
    }
    fs::remove(file);
}

TEST(Artwork, RefusesAnUnknownEditorAndAFolderItCannotWrite)
{
    const std::string program = ARTWORK_PROGRAM;
    EXPECT_NE(std::system((program + " chorus /tmp 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((program + " flanger /nonexistent/folder 2>/dev/null").c_str()), 0);
}

} // namespace
