#include "platform/graphics/ImageDecoder.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <png.h>
#include <sys/stat.h>

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <memory>

#include "platform/graphics/CGImage.h"

namespace platform::detail {

namespace {

const char* loaderType(OSType fileType)
{
    if (fileType == kQTFileTypeBMP) return "bmp";
    if (fileType == kQTFileTypeJPEG) return "jpeg";
    return nullptr;
}

bool acceptableSize(int width, int height)
{
    if (width <= 0 || height <= 0) return false;
    const auto w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    return w <= kMaxImageSide && h <= kMaxImageSide && w * h <= kMaxImagePixels;
}

// Called by the loader once it knows the size, before it allocates pixels:
// asking for a size of zero makes it give up.
void checkSize(GdkPixbufLoader* loader, int width, int height, gpointer refused)
{
    if (acceptableSize(width, height)) return;
    *static_cast<bool*>(refused) = true;
    gdk_pixbuf_loader_set_size(loader, 0, 0);
}

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

struct FileClose {
    void operator()(FILE* file) const { std::fclose(file); }
};

// gdk-pixbuf's BMP loader allocates as much as the headers say they take
// before reading them: the offset of the pixels, the size of the info
// header and (Windows info headers) the palette of four bytes per colour
// used. None can exceed the file.
bool bmpHeadersFit(FILE* file)
{
    unsigned char header[50];
    struct stat status;
    if (std::fread(header, 1, sizeof header, file) != sizeof header || fstat(fileno(file), &status) != 0)
        return false;
    std::rewind(file);
    auto word = [&header](size_t at) {
        return uint32_t{header[at]} | uint32_t{header[at + 1]} << 8 | uint32_t{header[at + 2]} << 16 |
               uint32_t{header[at + 3]} << 24;
    };
    const auto size = static_cast<uint64_t>(status.st_size);
    const uint32_t infoSize = word(14);
    return word(10) <= size && infoSize <= size && (infoSize < 40 || uint64_t{word(46)} * 4 <= size);
}

// Feeds the file to the loader; false when either gives up.
bool feed(GdkPixbufLoader* loader, FILE* file)
{
    guchar buffer[65536];
    for (;;) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, file);
        if (n == 0) return !std::ferror(file);
        GError* error = nullptr;
        const bool written = gdk_pixbuf_loader_write(loader, buffer, n, &error);
        if (error) g_error_free(error);
        if (!written) return false;
    }
}

// The image of a filled surface.
CGImageRef imageOf(cairo_surface_t* surface, OSErr* status)
{
    cairo_surface_mark_dirty(surface);
    CGImageRef image = imageFromSurface(surface, kCGImageAlphaPremultipliedFirst);
    *status = image ? noErr : static_cast<OSErr>(memFullErr);
    return image;
}

// RGB rows into opaque ARGB; an alpha channel is ignored.
CGImageRef toImage(GdkPixbuf* pixbuf, OSErr* status)
{
    const int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    if (!acceptableSize(width, height) || gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || channels < 3) {
        *status = codecErr;
        return nullptr;
    }
    cairo_surface_t* surface = newSurface(static_cast<size_t>(width), static_cast<size_t>(height));
    if (!surface) {
        *status = static_cast<OSErr>(memFullErr);
        return nullptr;
    }
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    const auto rowstride = static_cast<size_t>(gdk_pixbuf_get_rowstride(pixbuf));
    const PixelMemory target = surfacePixels(surface);
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        const guchar* from = pixels + y * rowstride;
        auto* to =
            reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(target.data) + y * target.bytesPerRow);
        for (size_t x = 0; x < static_cast<size_t>(width); ++x, from += channels)
            to[x] = uint32_t{0xff000000} | (uint32_t{from[0]} << 16) | (uint32_t{from[1]} << 8) | from[2];
    }
    return imageOf(surface, status);
}

[[noreturn]] void onPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp)
{
}

// PNG straight into the image's surface: libpng converts every layout to
// 8-bit BGRA (ARGB words), so there is no intermediate buffer to fill and
// copy, which is most of an editor's opening time. Gamma is left alone, as
// for the other types. Only plain variables live across setjmp.
CGImageRef decodePng(FILE* file, OSErr* status)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    cairo_surface_t* volatile surface = nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        if (surface) cairo_surface_destroy(surface);
        return nullptr;
    }
    png_init_io(png, file);
    // Refused in the header, before any pixels are allocated.
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (!acceptableSize(static_cast<int>(width), static_cast<int>(height))) png_longjmp(png, 1);

    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    if constexpr (std::endian::native == std::endian::little) {
        png_set_bgr(png);
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    } else {
        png_set_swap_alpha(png);
        png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{width} * 4) png_longjmp(png, 1);

    surface = newSurface(width, height);
    if (!surface) {
        *status = static_cast<OSErr>(memFullErr);
        png_longjmp(png, 1);
    }
    const PixelMemory target = surfacePixels(surface);
    auto* const pixels = static_cast<unsigned char*>(target.data);
    for (int pass = 0; pass < passes; ++pass)
        for (size_t y = 0; y < height; ++y) png_read_row(png, pixels + y * target.bytesPerRow, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    for (size_t y = 0; y < height; ++y)
        premultiply(reinterpret_cast<uint32_t*>(pixels + y * target.bytesPerRow), width);
    return imageOf(surface, status);
}

} // namespace

CGImageRef decodeImageFile(const char* path, OSType fileType, OSErr* status)
{
    *status = codecErr;
    const std::unique_ptr<FILE, FileClose> file(std::fopen(path, "rb"));
    if (!file) return nullptr;
    if (fileType == kQTFileTypePNG) return decodePng(file.get(), status);
    const char* type = loaderType(fileType);
    if (!type || (fileType == kQTFileTypeBMP && !bmpHeadersFit(file.get()))) return nullptr;
    GError* error = nullptr;
    const std::unique_ptr<GdkPixbufLoader, ObjectUnref> loader(gdk_pixbuf_loader_new_with_type(type, &error));
    if (error) g_error_free(error);
    if (!loader) return nullptr;
    bool refused = false;
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(checkSize), &refused);

    const bool fed = feed(loader.get(), file.get());
    // Closing is required either way; a load cut short reports an error.
    error = nullptr;
    const bool closed = gdk_pixbuf_loader_close(loader.get(), &error);
    if (error) g_error_free(error);
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (!fed || !closed || refused || !pixbuf) return nullptr;
    return toImage(pixbuf, status);
}

} // namespace platform::detail
