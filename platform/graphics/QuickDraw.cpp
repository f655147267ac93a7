#include "platform/graphics/GrafPort.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>
#include <vector>

using namespace platform::detail;

namespace {

// Row bytes are a 14-bit field.
constexpr size_t kMaxRowBytes = 0x3FFF;

GrafPtr currentPort = nullptr;
OSErr lastError = noErr;

std::set<const OpaqueGrafPtr*>& livePorts()
{
    static std::set<const OpaqueGrafPtr*> ports;
    return ports;
}

// The port whose pixel map this is, or null for a map of no port.
OpaqueGrafPtr* portWithBits(const BitMap* bits)
{
    auto* port = reinterpret_cast<const OpaqueGrafPtr*>(reinterpret_cast<const char*>(bits) -
                                                        offsetof(OpaqueGrafPtr, pixMap));
    return livePorts().count(port) ? const_cast<OpaqueGrafPtr*>(port) : nullptr;
}

bool isPixMapFormat(uint32_t pixelFormat)
{
    return pixelFormat == k32ARGBPixelFormat;
}

// A port of boundsRect over buffer (null: allocated, zeroed).
OSErr newPort(GWorldPtr* world, const Rect* boundsRect, Ptr buffer, size_t rowBytes)
{
    if (!world) return static_cast<OSErr>(paramErr);
    *world = nullptr;
    if (!boundsRect || boundsRect->right <= boundsRect->left || boundsRect->bottom <= boundsRect->top)
        return static_cast<OSErr>(paramErr);
    const size_t width = static_cast<size_t>(boundsRect->right - boundsRect->left);
    const size_t height = static_cast<size_t>(boundsRect->bottom - boundsRect->top);
    if (rowBytes == 0) rowBytes = width * 4;
    if (rowBytes < width * 4 || rowBytes > kMaxRowBytes || rowBytes % 4 != 0)
        return static_cast<OSErr>(paramErr);
    if (buffer && reinterpret_cast<uintptr_t>(buffer) % 4 != 0) return static_cast<OSErr>(paramErr);

    auto* port = new (std::nothrow) OpaqueGrafPtr;
    if (!port) return static_cast<OSErr>(memFullErr);
    if (!buffer) {
        buffer = static_cast<Ptr>(std::calloc(height, rowBytes));
        if (!buffer) {
            delete port;
            return static_cast<OSErr>(memFullErr);
        }
        port->ownsPixels = true;
    }
    PixMap& pm = port->pixMap;
    pm.baseAddr = buffer;
    pm.rowBytes = static_cast<int16_t>(rowBytes | kPixMapRowBytesFlag);
    pm.bounds = *boundsRect;
    pm.hRes = pm.vRes = 72 << 16;
    pm.pixelType = 16; // direct colour
    pm.pixelSize = 32;
    pm.cmpCount = 3;
    pm.cmpSize = 8;
    pm.pixelFormat = k32ARGBPixelFormat;
    *world = port;
    return noErr;
}

} // namespace

OpaqueGrafPtr::OpaqueGrafPtr()
{
    livePorts().insert(this);
}

OpaqueGrafPtr::~OpaqueGrafPtr()
{
    livePorts().erase(this);
}

namespace platform::detail {

OpaqueGrafPtr* portOf(PixMapHandle pm)
{
    if (!pm) return nullptr;
    return reinterpret_cast<OpaqueGrafPtr*>(reinterpret_cast<char*>(pm) -
                                            offsetof(OpaqueGrafPtr, pixMapPointer));
}

CGContextRef newPortContext(OpaqueGrafPtr* port)
{
    return CGBitmapContextCreate(port->pixMap.baseAddr, port->width(), port->height(), 8, port->rowBytes(),
                                 nullptr, port->contextInfo);
}

} // namespace platform::detail

QDErr NewGWorld(GWorldPtr* offscreenGWorld, int16_t pixelDepth, const Rect* boundsRect, CTabHandle, GDHandle,
                GWorldFlags)
{
    if (pixelDepth != 0 && pixelDepth != 32) {
        if (offscreenGWorld) *offscreenGWorld = nullptr;
        return cDepthErr;
    }
    return newPort(offscreenGWorld, boundsRect, nullptr, 0);
}

QDErr NewGWorldFromPtr(GWorldPtr* offscreenGWorld, uint32_t pixelFormat, const Rect* boundsRect, CTabHandle,
                       GDHandle, GWorldFlags, Ptr buffer, long rowBytes)
{
    if (!isPixMapFormat(pixelFormat)) {
        if (offscreenGWorld) *offscreenGWorld = nullptr;
        return cDepthErr;
    }
    if (!buffer || rowBytes <= 0) {
        if (offscreenGWorld) *offscreenGWorld = nullptr;
        return static_cast<OSErr>(paramErr);
    }
    return newPort(offscreenGWorld, boundsRect, buffer, static_cast<size_t>(rowBytes));
}

void DisposeGWorld(GWorldPtr offscreenGWorld)
{
    if (!offscreenGWorld) return;
    if (currentPort == offscreenGWorld) currentPort = nullptr;
    CGContextRelease(offscreenGWorld->begunContext);
    if (offscreenGWorld->ownsPixels) std::free(offscreenGWorld->pixMap.baseAddr);
    delete offscreenGWorld;
}

PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld)
{
    return GetPortPixMap(offscreenGWorld);
}

PixMapHandle GetPortPixMap(CGrafPtr port)
{
    return port ? &port->pixMapPointer : nullptr;
}

bool LockPixels(PixMapHandle pm)
{
    OpaqueGrafPtr* port = portOf(pm);
    if (!port) return false;
    ++port->lockCount;
    return true;
}

void UnlockPixels(PixMapHandle pm)
{
    OpaqueGrafPtr* port = portOf(pm);
    if (port && port->lockCount > 0) --port->lockCount;
}

bool IsPixMapLocked(PixMapHandle pm)
{
    const OpaqueGrafPtr* port = portOf(pm);
    return port && port->lockCount > 0;
}

Ptr GetPixBaseAddr(PixMapHandle pm)
{
    return pm ? (**pm).baseAddr : nullptr;
}

long GetPixRowBytes(PixMapHandle pm)
{
    return pm ? static_cast<uint16_t>((**pm).rowBytes) : 0;
}

int16_t GetPixDepth(PixMapHandle pm)
{
    return pm ? (**pm).pixelSize : 0;
}

Rect* GetPixBounds(PixMapHandle pm, Rect* bounds)
{
    *bounds = pm ? (**pm).bounds : Rect{0, 0, 0, 0};
    return bounds;
}

Rect* GetPortBounds(CGrafPtr port, Rect* rect)
{
    *rect = port ? port->pixMap.bounds : Rect{0, 0, 0, 0};
    return rect;
}

const BitMap* GetPortBitMapForCopyBits(CGrafPtr port)
{
    return port ? reinterpret_cast<const BitMap*>(&port->pixMap) : nullptr;
}

void SetGWorld(CGrafPtr port, GDHandle)
{
    currentPort = port;
}

void GetGWorld(CGrafPtr* port, GDHandle* gdh)
{
    if (port) *port = currentPort;
    if (gdh) *gdh = nullptr;
}

void SetPort(GrafPtr port)
{
    currentPort = port;
}

void GetPort(GrafPtr* port)
{
    if (port) *port = currentPort;
}

void RGBForeColor(const RGBColor* color)
{
    if (currentPort && color) currentPort->foreColor = *color;
}

void RGBBackColor(const RGBColor* color)
{
    if (currentPort && color) currentPort->backColor = *color;
}

void GetForeColor(RGBColor* color)
{
    if (color) *color = currentPort ? currentPort->foreColor : RGBColor{0, 0, 0};
}

void GetBackColor(RGBColor* color)
{
    if (color) *color = currentPort ? currentPort->backColor : RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
}

void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect,
              int16_t mode, RgnHandle maskRgn)
{
    lastError = static_cast<OSErr>(paramErr);
    auto isPixMap = [](const BitMap* bits) {
        return bits && (bits->rowBytes & kPixMapRowBytesFlag) &&
               reinterpret_cast<const PixMap*>(bits)->pixelSize == 32;
    };
    if (!isPixMap(srcBits) || !isPixMap(dstBits) || !srcRect || !dstRect || mode != srcCopy || maskRgn)
        return;
    lastError = noErr;
    const int srcWidth = srcRect->right - srcRect->left, srcHeight = srcRect->bottom - srcRect->top;
    const int dstWidth = dstRect->right - dstRect->left, dstHeight = dstRect->bottom - dstRect->top;
    if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0) return;

    const Rect& from = srcBits->bounds;
    const Rect& to = dstBits->bounds;
    const size_t fromRow = static_cast<size_t>(srcBits->rowBytes & 0x3FFF);
    // A copy within one map reads what it was before the copy began.
    const char* fromBase = srcBits->baseAddr;
    std::vector<char> snapshot;
    if (fromBase == dstBits->baseAddr) {
        snapshot.assign(fromBase, fromBase + fromRow * static_cast<size_t>(from.bottom - from.top));
        fromBase = snapshot.data();
    }
    const size_t toRow = static_cast<size_t>(dstBits->rowBytes & 0x3FFF);
    const int left = std::max<int>(dstRect->left, to.left), right = std::min<int>(dstRect->right, to.right);
    const int top = std::max<int>(dstRect->top, to.top), bottom = std::min<int>(dstRect->bottom, to.bottom);
    // Between a window's native-endian store and the others' byte order,
    // the bytes of a pixel are reversed.
    const bool reverse = reinterpret_cast<const PixMap*>(srcBits)->pixelFormat !=
                         reinterpret_cast<const PixMap*>(dstBits)->pixelFormat;
    for (int y = top; y < bottom; ++y) {
        // The nearest source pixel: the one whose span holds this one's start.
        const int sy = srcRect->top + (y - dstRect->top) * srcHeight / dstHeight;
        if (sy < from.top || sy >= from.bottom) continue;
        for (int x = left; x < right; ++x) {
            const int sx = srcRect->left + (x - dstRect->left) * srcWidth / dstWidth;
            if (sx < from.left || sx >= from.right) continue;
            char* out = dstBits->baseAddr + static_cast<size_t>(y - to.top) * toRow +
                        static_cast<size_t>(x - to.left) * 4;
            const char* in = fromBase + static_cast<size_t>(sy - from.top) * fromRow +
                             static_cast<size_t>(sx - from.left) * 4;
            if (reverse)
                std::reverse_copy(in, in + 4, out);
            else
                std::memcpy(out, in, 4);
        }
    }
    if (OpaqueGrafPtr* port = portWithBits(dstBits)) ++port->drawings;
}

QDErr QDError(void)
{
    return lastError;
}

OSStatus QDBeginCGContext(CGrafPtr port, CGContextRef* context)
{
    if (!port || !context || port->begunContext) return paramErr;
    port->begunContext = newPortContext(port);
    *context = port->begunContext;
    return port->begunContext ? noErr : memFullErr;
}

OSStatus QDEndCGContext(CGrafPtr port, CGContextRef* context)
{
    if (!port || !context || !*context || *context != port->begunContext) return paramErr;
    CGContextRelease(port->begunContext);
    port->begunContext = nullptr;
    ++port->drawings;
    *context = nullptr;
    return noErr;
}

OSStatus SyncCGContextOriginWithPort(CGContextRef context, CGrafPtr port)
{
    return port && context && port->begunContext == context ? noErr : paramErr;
}

OSStatus QDFlushPortBuffer(CGrafPtr port, RgnHandle)
{
    if (!port) return paramErr;
    ++port->drawings;
    return noErr;
}
