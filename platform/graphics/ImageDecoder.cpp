#include "platform/graphics/ImageDecoder.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>
#include <memory>

#include "platform/graphics/CGImage.h"

namespace platform::detail {

namespace {

const char* loaderType(OSType fileType)
{
    if (fileType == kQTFileTypePNG) return "png";
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

// Straight RGB(A) rows into premultiplied ARGB.
CGImageRef toImage(GdkPixbuf* pixbuf, bool keepAlpha, OSErr* status)
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
    const bool alpha = keepAlpha && gdk_pixbuf_get_has_alpha(pixbuf) && channels == 4;
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    const auto rowstride = static_cast<size_t>(gdk_pixbuf_get_rowstride(pixbuf));
    const PixelMemory target = surfacePixels(surface);
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        const guchar* from = pixels + y * rowstride;
        auto* to =
            reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(target.data) + y * target.bytesPerRow);
        for (size_t x = 0; x < static_cast<size_t>(width); ++x, from += channels)
            to[x] = (uint32_t{alpha ? from[3] : guchar{255}} << 24) | (uint32_t{from[0]} << 16) |
                    (uint32_t{from[1]} << 8) | from[2];
        if (alpha) premultiply(to, static_cast<size_t>(width));
    }
    cairo_surface_mark_dirty(surface);
    CGImageRef image = imageFromSurface(surface, kCGImageAlphaPremultipliedFirst);
    *status = image ? noErr : static_cast<OSErr>(memFullErr);
    return image;
}

} // namespace

CGImageRef decodeImageFile(const char* path, OSType fileType, OSErr* status)
{
    *status = codecErr;
    const char* type = loaderType(fileType);
    if (!type) return nullptr;
    const std::unique_ptr<FILE, FileClose> file(std::fopen(path, "rb"));
    if (!file) return nullptr;
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
    return toImage(pixbuf, fileType == kQTFileTypePNG, status);
}

} // namespace platform::detail
