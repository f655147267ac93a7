// Arbitrary bytes as a PNG, a BMP and a JPEG file through the graphics
// importers. A file is refused with a status or decoded into an image of the
// size its bounds report, which then draws into a graphics world; the
// sanitizers and libFuzzer's memory limit catch the rest.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/graphics/MacMemory.h"
#include "platform/graphics/QuickTime.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

// One file, rewritten for every input; removed at exit.
struct Scratch {
    std::string path;
    Handle dataRef = nullptr;

    Scratch()
    {
        char pattern[] = "/tmp/image_importer_fuzzXXXXXX";
        const int descriptor = mkstemp(pattern);
        require(descriptor >= 0);
        close(descriptor);
        path = pattern;
        dataRef = NewHandle(static_cast<Size>(path.size() + 1));
        std::memcpy(*dataRef, path.c_str(), path.size() + 1);
    }
    ~Scratch()
    {
        DisposeHandle(dataRef);
        std::remove(path.c_str());
    }
};

void import(OSType type, Handle dataRef)
{
    ComponentInstance importer = nullptr;
    require(OpenADefaultComponent(GraphicsImporterComponentType, type, &importer) == noErr);
    require(GraphicsImportSetDataReference(importer, dataRef, URLDataHandlerSubType) == noErr);
    Rect bounds;
    const ComponentResult status = GraphicsImportGetNaturalBounds(importer, &bounds);
    if (status == noErr) {
        require(bounds.top == 0 && bounds.left == 0 && bounds.right > 0 && bounds.bottom > 0);
        CGImageRef image = nullptr;
        require(GraphicsImportCreateCGImage(importer, &image, 0) == noErr);
        require(CGImageGetWidth(image) == static_cast<size_t>(bounds.right) &&
                CGImageGetHeight(image) == static_cast<size_t>(bounds.bottom));
        CGImageRelease(image);
        // Drawing into a smaller world than the image clips it.
        const Rect small{0, 0, 16, 16};
        GWorldPtr world = nullptr;
        require(NewGWorld(&world, 32, &small, nullptr, nullptr, 0) == noErr);
        require(GraphicsImportSetGWorld(importer, world, nullptr) == noErr);
        require(GraphicsImportDraw(importer) == noErr);
        DisposeGWorld(world);
    } else {
        require(status == codecErr || status == memFullErr);
    }
    CloseComponent(importer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Scratch scratch;
    FILE* file = std::fopen(scratch.path.c_str(), "wb");
    require(file != nullptr);
    require(std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
    for (OSType type : {kQTFileTypePNG, kQTFileTypeBMP, kQTFileTypeJPEG}) import(type, scratch.dataRef);
    return 0;
}
