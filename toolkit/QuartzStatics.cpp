#include "toolkit/QuartzStatics.h"

#include <cstring>

#include "platform/graphics/ColorSync.h"

QuartzStatics _gQuartzStatics;

namespace {

constexpr char kGenericRGBProfile[] = "/System/Library/ColorSync/Profiles/Generic RGB Profile.icc";

constexpr OSType kImporterTypes[] = {kQTFileTypeBMP, kQTFileTypePNG, kQTFileTypeJPEG, kQTFileTypePicture};
static_assert(std::size(kImporterTypes) == QuartzStatics::kImporterCount);

CGColorSpaceRef createColorSpace()
{
    CMProfileLocation location{};
    location.locType = cmPathBasedProfile;
    std::strncpy(location.u.pathLoc.path, kGenericRGBProfile, sizeof location.u.pathLoc.path - 1);
    CMProfileRef profile = nullptr;
    if (CMOpenProfile(&profile, &location) == noErr && profile) {
        CGColorSpaceRef space = CGColorSpaceCreateWithPlatformColorSpace(profile);
        CMCloseProfile(profile);
        if (space) return space;
    }
    return CGColorSpaceCreateDeviceRGB();
}

} // namespace

QuartzStatics::QuartzStatics() : colorSpace_(createColorSpace())
{
    if (CFBundleRef graphics = CFBundleGetBundleWithIdentifier(CFSTR("com.apple.CoreGraphics"))) {
        imageInRect_ = reinterpret_cast<ImageInRectFunction>(
            CFBundleGetFunctionPointerForName(graphics, CFSTR("CGImageCreateWithImageInRect")));
        strokeLineSegments_ = reinterpret_cast<StrokeLineSegmentsFunction>(
            CFBundleGetFunctionPointerForName(graphics, CFSTR("CGContextStrokeLineSegments")));
    }
}

QuartzStatics::~QuartzStatics()
{
    for (GraphicsImportComponent importer : importers_)
        if (importer) CloseComponent(importer);
    CGColorSpaceRelease(colorSpace_);
}

GraphicsImportComponent QuartzStatics::importer(ImporterKind kind)
{
    if (!importers_[kind] && OpenADefaultComponent(GraphicsImporterComponentType, kImporterTypes[kind],
                                                   &importers_[kind]) != noErr)
        importers_[kind] = nullptr;
    return importers_[kind];
}
