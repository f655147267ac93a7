// The graphics importers: one component per file type, registered when the
// library is loaded. An importer keeps the path of its data reference and
// the image decoded from it until the reference changes.

#include <sys/stat.h>

#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "platform/graphics/CGImage.h"
#include "platform/graphics/GrafPort.h"
#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/MacMemory.h"

using namespace platform::detail;

namespace {

enum Selector : int16_t {
    kSetDataReferenceSelect = 1,
    kGetNaturalBoundsSelect,
    kGetSourceRectSelect,
    kSetGWorldSelect,
    kDrawSelect,
    kCreateCGImageSelect,
};

constexpr OSType kImporterTypes[] = {kQTFileTypePNG, kQTFileTypeBMP, kQTFileTypeJPEG};

struct Importer {
    OSType fileType;
    std::string path;
    CGImageRef image = nullptr;
    CGrafPtr port = nullptr;

    explicit Importer(OSType fileType) : fileType(fileType) {}
    ~Importer() { CGImageRelease(image); }
    Importer(const Importer&) = delete;
    Importer& operator=(const Importer&) = delete;

    // The decoded image, decoding on first use.
    OSErr load()
    {
        if (image) return noErr;
        if (path.empty()) return couldNotResolveDataRef;
        OSErr status;
        image = decodeImageFile(path.c_str(), fileType, &status);
        return status;
    }

    ComponentResult setDataReference(Handle dataRef, OSType dataRefType)
    {
        CGImageRelease(image);
        image = nullptr;
        path.clear();
        const Size size = GetHandleSize(dataRef);
        if (dataRefType != URLDataHandlerSubType || size < 2 || (*dataRef)[size - 1] != 0)
            return couldNotResolveDataRef;
        path.assign(*dataRef);
        return noErr;
    }

    ComponentResult naturalBounds(Rect* bounds)
    {
        if (!bounds) return paramErr;
        const OSErr status = load();
        if (status != noErr) return status;
        *bounds = {0, 0, static_cast<int16_t>(CGImageGetHeight(image)),
                   static_cast<int16_t>(CGImageGetWidth(image))};
        return noErr;
    }

    ComponentResult draw()
    {
        OpaqueGrafPtr* target = port;
        if (!target) GetGWorld(&target, nullptr);
        if (!target) return paramErr;
        const OSErr status = load();
        if (status != noErr) return status;
        CGContextRef context = newPortContext(target);
        if (!context) return memFullErr;
        const auto width = static_cast<CGFloat>(CGImageGetWidth(image));
        const auto height = static_cast<CGFloat>(CGImageGetHeight(image));
        // The port's top-left corner, in Quartz's bottom-up coordinates.
        CGContextDrawImage(
            context, CGRectMake(0, static_cast<CGFloat>(target->height()) - height, width, height), image);
        CGContextRelease(context);
        return noErr;
    }

    ComponentResult createImage(CGImageRef* imageRef)
    {
        if (!imageRef) return paramErr;
        *imageRef = nullptr;
        const OSErr status = load();
        if (status != noErr) return status;
        *imageRef = CGImageRetain(image);
        return noErr;
    }
};

template <typename T> T argument(const ComponentParameters* params, int fromEnd)
{
    const uintptr_t word = params->params[fromEnd];
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(word);
    else
        return static_cast<T>(word);
}

ComponentResult importerEntry(ComponentParameters* params, void* storage)
{
    auto* importer = static_cast<Importer*>(storage);
    switch (params->what) {
    case kComponentOpenSelect: {
        const auto instance = argument<ComponentInstance>(params, 0);
        ComponentDescription description{};
        GetComponentInfo(reinterpret_cast<Component>(instance), &description, nullptr);
        auto* opened = new (std::nothrow) Importer(description.componentSubType);
        if (!opened) return memFullErr;
        SetComponentInstanceStorage(instance, reinterpret_cast<Handle>(opened));
        return noErr;
    }
    case kComponentCloseSelect:
        delete importer;
        return noErr;
    case kComponentCanDoSelect: {
        const auto selector = argument<int16_t>(params, 0);
        return (selector >= kComponentVersionSelect && selector <= kComponentOpenSelect) ||
               (selector >= kSetDataReferenceSelect && selector <= kCreateCGImageSelect);
    }
    case kComponentVersionSelect:
        return 0x00010000;
    }
    if (!importer) return badComponentInstance;
    switch (params->what) {
    case kSetDataReferenceSelect:
        return importer->setDataReference(argument<Handle>(params, 1), argument<OSType>(params, 0));
    case kGetNaturalBoundsSelect:
    case kGetSourceRectSelect:
        return importer->naturalBounds(argument<Rect*>(params, 0));
    case kSetGWorldSelect:
        importer->port = argument<CGrafPtr>(params, 1);
        return noErr;
    case kDrawSelect:
        return importer->draw();
    case kCreateCGImageSelect:
        return importer->createImage(argument<CGImageRef*>(params, 1));
    default:
        return badComponentSelector;
    }
}

// Registers the importers while the library is loaded.
struct ImporterRegistration {
    Component components[std::size(kImporterTypes)] = {};

    ImporterRegistration()
    {
        for (size_t i = 0; i < std::size(kImporterTypes); ++i) {
            const ComponentDescription description{GraphicsImporterComponentType, kImporterTypes[i],
                                                   FourCharCode("vokg"), 0, 0};
            components[i] = RegisterComponent(&description, importerEntry, "Graphics importer");
        }
    }
    ~ImporterRegistration()
    {
        for (Component component : components)
            if (component) UnregisterComponent(component);
    }
} registration;

} // namespace

OSErr QTNewDataReferenceFromCFURL(CFURLRef url, uint32_t, Handle* outDataRef, OSType* outDataRefType)
{
    if (!url || !outDataRef || !outDataRefType) return static_cast<OSErr>(paramErr);
    *outDataRef = nullptr;
    UInt8 path[PATH_MAX];
    if (!CFURLGetFileSystemRepresentation(url, true, path, sizeof path)) return static_cast<OSErr>(paramErr);
    struct stat status;
    if (stat(reinterpret_cast<const char*>(path), &status) != 0 || !S_ISREG(status.st_mode)) return fnfErr;
    const size_t length = std::strlen(reinterpret_cast<const char*>(path));
    Handle handle = NewHandle(static_cast<Size>(length + 1));
    if (!handle) return static_cast<OSErr>(memFullErr);
    std::memcpy(*handle, path, length + 1);
    *outDataRef = handle;
    *outDataRefType = URLDataHandlerSubType;
    return noErr;
}

ComponentResult GraphicsImportSetDataReference(GraphicsImportComponent ci, Handle dataRef, OSType dataRefType)
{
    return platform::callSelector(ci, kSetDataReferenceSelect, dataRef, dataRefType);
}

ComponentResult GraphicsImportGetNaturalBounds(GraphicsImportComponent ci, Rect* naturalBounds)
{
    return platform::callSelector(ci, kGetNaturalBoundsSelect, naturalBounds);
}

ComponentResult GraphicsImportGetSourceRect(GraphicsImportComponent ci, Rect* sourceRect)
{
    return platform::callSelector(ci, kGetSourceRectSelect, sourceRect);
}

ComponentResult GraphicsImportSetGWorld(GraphicsImportComponent ci, CGrafPtr port, GDHandle gd)
{
    return platform::callSelector(ci, kSetGWorldSelect, port, gd);
}

ComponentResult GraphicsImportDraw(GraphicsImportComponent ci)
{
    return platform::callSelector(ci, kDrawSelect);
}

ComponentResult GraphicsImportCreateCGImage(GraphicsImportComponent ci, CGImageRef* imageRef, uint32_t flags)
{
    return platform::callSelector(ci, kCreateCGImageSelect, imageRef, flags);
}
