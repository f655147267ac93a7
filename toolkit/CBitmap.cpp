#include "toolkit/CBitmap.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/graphics/MacMemory.h"
#include "platform/graphics/Resources.h"
#include "toolkit/BundleRef.h"
#include "toolkit/CDataProvider.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/QuartzStatics.h"

namespace {

constexpr size_t kMaxSide = 32767;
constexpr long kRowBytesMask = 0x3FFF;

// A graphics world of that size, or null for a size out of range.
GWorldPtr newPixelMap(CCoord width, CCoord height)
{
    if (width <= 0 || height <= 0 || size_t(width) > kMaxSide || size_t(height) > kMaxSide) return nullptr;
    const Rect bounds{0, 0, int16_t(height), int16_t(width)};
    GWorldPtr world = nullptr;
    return NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0) == noErr ? world : nullptr;
}

QuartzStatics::ImporterKind importerFor(std::string_view extension, bool& known)
{
    known = true;
    if (extension == "png") return QuartzStatics::kImporterPNG;
    if (extension == "bmp") return QuartzStatics::kImporterBMP;
    if (extension == "jpg") return QuartzStatics::kImporterJPG;
    if (extension == "pict") return QuartzStatics::kImporterPICT;
    known = false;
    return QuartzStatics::kImporterCount;
}

} // namespace

CBitmap::CBitmap(int32_t resourceID)
{
    loadFromResource(resourceID);
    setTransparentColor(kTransparentCColor);
}

CBitmap::CBitmap(CFrame*, CCoord width, CCoord height) : pHandle(newPixelMap(width, height))
{
    if (!pHandle) return;
    this->width = width;
    this->height = height;
}

CBitmap::CBitmap() = default;

CBitmap::~CBitmap()
{
    dispose();
}

void CBitmap::dispose()
{
    if (cgImage) CGImageRelease(cgImage);
    cgImage = nullptr;
    if (pHandle) DisposeGWorld(pHandle);
    pHandle = nullptr;
    width = height = 0;
}

bool CBitmap::loadFromResource(int32_t id)
{
    dispose();
    resourceID = id;
    if (gBundleRef) {
        char name[16];
        std::snprintf(name, sizeof name, "bmp%05d", int(id));
        CFStringRef resourceName = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
        CFURLRef url = nullptr;
        for (CFStringRef type : {CFSTR("png"), CFSTR("bmp"), CFSTR("jpg"), CFSTR("pict")})
            if ((url = CFBundleCopyResourceURL(gBundleRef, resourceName, type, nullptr))) break;
        CFRelease(resourceName);
        if (url) {
            const bool loaded = loadFromPath(url);
            CFRelease(url);
            if (loaded) return true;
        }
    }
    // The classic picture resource. The platform has no resource files and
    // answers not found, so there is never a picture to draw.
    if (PicHandle picture = GetPicture(int16_t(id))) ReleaseResource(reinterpret_cast<Handle>(picture));
    return false;
}

bool CBitmap::loadFromPath(CFURLRef url)
{
    dispose();
    char path[PATH_MAX];
    if (!url || !CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), sizeof path))
        return false;
    const std::string_view file(path);
    const size_t slash = file.rfind('/');
    const size_t dot = file.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return false;
    bool known = false;
    const QuartzStatics::ImporterKind kind = importerFor(file.substr(dot + 1), known);
    GraphicsImportComponent importer = known ? _gQuartzStatics.importer(kind) : nullptr;
    if (!importer) return false;

    Handle dataRef = nullptr;
    OSType dataRefType = 0;
    if (QTNewDataReferenceFromCFURL(url, 0, &dataRef, &dataRefType) != noErr) return false;
    const ComponentResult status = GraphicsImportSetDataReference(importer, dataRef, dataRefType);
    DisposeHandle(dataRef);
    if (status != noErr) return false;

    noAlpha = kind != QuartzStatics::kImporterPNG;
    if (!noAlpha) {
        CGImageRef image = nullptr;
        if (GraphicsImportCreateCGImage(importer, &image, kGraphicsImportCreateCGImageUsingCurrentSettings) ==
                noErr &&
            image) {
            if (CGImageGetWidth(image) <= kMaxSide && CGImageGetHeight(image) <= kMaxSide) {
                cgImage = image;
                width = CCoord(CGImageGetWidth(image));
                height = CCoord(CGImageGetHeight(image));
                return true;
            }
            CGImageRelease(image);
        }
        noAlpha = true;
    }
    return loadPixelMap(importer);
}

bool CBitmap::loadPixelMap(GraphicsImportComponent importer)
{
    Rect source{};
    if (GraphicsImportGetSourceRect(importer, &source) != noErr) return false;
    const CCoord sourceWidth = CCoord(source.right) - source.left;
    const CCoord sourceHeight = CCoord(source.bottom) - source.top;
    pHandle = newPixelMap(sourceWidth, sourceHeight);
    if (!pHandle) return false;
    if (GraphicsImportSetGWorld(importer, pHandle, nullptr) != noErr ||
        GraphicsImportDraw(importer) != noErr) {
        dispose();
        return false;
    }
    width = sourceWidth;
    height = sourceHeight;
    return true;
}

void CBitmap::setTransparentColor(const CColor& color)
{
    transparentCColor = color;
    if (noAlpha && cgImage) {
        CGImageRelease(cgImage);
        cgImage = nullptr;
    }
}

CGImageRef CBitmap::createCGImage(bool transparent)
{
    if (cgImage) return CGImageRetain(cgImage);
    if (!pHandle) return nullptr;
    PixMapHandle pixMap = GetGWorldPixMap(pHandle);
    const auto* pixels = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pixMap));
    const size_t rowBytes = size_t(GetPixRowBytes(pixMap) & kRowBytesMask);
    const size_t size = rowBytes * size_t(height);
    CGDataProviderRef provider =
        transparent ? CDataProvider::create(new CDataProvider(pixels, size, transparentCColor))
                    : CGDataProviderCreateWithData(nullptr, pixels, size, nullptr);
    if (!provider) return nullptr;
    const bool hasAlpha = GetPixDepth(pixMap) == 32;
    cgImage = CGImageCreate(size_t(width), size_t(height), 8, size_t(GetPixDepth(pixMap)), rowBytes,
                            _gQuartzStatics.colorSpace(), hasAlpha ? kCGImageAlphaFirst : kCGImageAlphaNone,
                            provider, nullptr, false, kCGRenderingIntentDefault);
    CGDataProviderRelease(provider);
    return cgImage ? CGImageRetain(cgImage) : nullptr;
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    if (noAlpha && !cgImage) CGImageRelease(createCGImage(true));
    drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, uint8_t alpha)
{
    if ((!pHandle && !cgImage) || !context || !context->getCGContext()) return;
    if (!cgImage) CGImageRelease(createCGImage(false));
    if (!cgImage) return;

    CRect destination = rect;
    destination.offset(context->getOffset().h, context->getOffset().v);
    CRect visible;
    context->getClipRect(visible).bound(destination);
    // Image coordinates are destination coordinates moved by this much.
    const CCoord dx = offset.h - destination.left;
    const CCoord dy = offset.v - destination.top;

    CGContextRef quartz = context->beginCGContext(true);
    if (alpha != 255) CGContextSetAlpha(quartz, alpha / 255.0);
    if (const auto imageInRect = _gQuartzStatics.imageInRect()) {
        CRect source(offset.h, offset.v, offset.h + rect.width(), offset.v + rect.height());
        source.bound(CRect(visible).offset(dx, dy));
        source.bound(CRect(0, 0, width, height));
        if (!source.isEmpty()) {
            if (CGImageRef part = imageInRect(
                    cgImage, CGRectMake(source.left, source.top, source.width(), source.height()))) {
                context->drawCGImage(part, source.offset(-dx, -dy));
                CGImageRelease(part);
            }
        }
    } else {
        CGContextClipToRect(quartz, CGRectMake(visible.left, visible.top, visible.width(), visible.height()));
        context->drawCGImage(cgImage, CRect(0, 0, width, height).offset(-dx, -dy));
    }
    context->releaseCGContext(quartz);
}
