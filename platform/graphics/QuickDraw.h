#pragma once

// The QuickDraw records the toolkit converts its geometry and colours to,
// with their published layouts, and the calls around off-screen pixel maps:
// graphics worlds, their pixel maps, the current port, CopyBits and Quartz
// contexts on a port.
//
// Only 32-bit pixel maps exist. Their pixels are four bytes each in the
// order alpha, red, green, blue; a Quartz context begun on a port draws into
// them with premultiplied alpha. A row is at most 0x3FFF bytes (the row
// length field's 14 bits), so a port is at most 4095 pixels wide.
//
// Main thread only, like the current port.

#include <cstdint>

#include "platform/components/Components.h"
#include "platform/graphics/CoreGraphics.h"

struct Point {
    int16_t v, h;
};

struct Rect {
    int16_t top, left, bottom, right;
};

struct RGBColor {
    uint16_t red, green, blue;
};

using QDErr = OSErr;
using Ptr = char*;
using GWorldFlags = uint32_t;

// The pixel depth or format is not 32-bit ARGB.
inline constexpr OSErr cDepthErr = -157;

inline constexpr uint32_t k32ARGBPixelFormat = 0x00000020;
// Native-endian premultiplied ARGB on this machine: a window's backing
// store. Only Quartz contexts begun on such a port draw into it.
inline constexpr uint32_t k32BGRAPixelFormat = FourCharCode("BGRA");

// Set on a pixel map's row length, also in what GetPixRowBytes returns;
// callers mask the length with 0x3FFF.
inline constexpr uint16_t kPixMapRowBytesFlag = 0x8000;

// GWorldFlags: accepted and ignored; pixels are never purged or moved.
inline constexpr GWorldFlags pixPurge = 1u << 0;
inline constexpr GWorldFlags noNewDevice = 1u << 1;
inline constexpr GWorldFlags useTempMem = 1u << 2;
inline constexpr GWorldFlags keepLocal = 1u << 3;

// CopyBits transfer modes.
inline constexpr int16_t srcCopy = 0;

struct ColorTable;
using CTabHandle = ColorTable**;
struct GDevice;
using GDHandle = GDevice**;
// Published layout.
struct MacRegion {
    uint16_t rgnSize;
    Rect rgnBBox;
};
using RgnHandle = MacRegion**;

// The leading fields of every pixel map: what CopyBits is handed.
struct BitMap {
    Ptr baseAddr;
    int16_t rowBytes;
    Rect bounds;
};

using Fixed = int32_t;

// Published layout; rowBytes carries the flag bits.
struct PixMap {
    Ptr baseAddr;
    int16_t rowBytes;
    Rect bounds;
    int16_t pmVersion;
    int16_t packType;
    int32_t packSize;
    Fixed hRes;
    Fixed vRes;
    int16_t pixelType;
    int16_t pixelSize;
    int16_t cmpCount;
    int16_t cmpSize;
    uint32_t pixelFormat;
    CTabHandle pmTable;
    void* pmExt;
};
using PixMapPtr = PixMap*;
using PixMapHandle = PixMap**;

struct OpaqueGrafPtr;
using GrafPtr = OpaqueGrafPtr*;
using CGrafPtr = GrafPtr;
using GWorldPtr = CGrafPtr;

#pragma GCC visibility push(default)
extern "C" {

// A graphics world of boundsRect's size (its top-left corner becomes the
// port's origin) with zeroed pixels. pixelDepth must be 32 (0 means 32 here);
// cTable and aGDevice are ignored. cDepthErr for another depth, paramErr
// for a null argument, an empty rectangle or one wider than 4095 pixels,
// memFullErr when the pixels cannot be allocated. *offscreenGWorld is
// null on failure.
QDErr NewGWorld(GWorldPtr* offscreenGWorld, int16_t pixelDepth, const Rect* boundsRect, CTabHandle cTable,
                GDHandle aGDevice, GWorldFlags flags);
// The same over the caller's memory (4-byte aligned, rowBytes a multiple of
// 4 covering a row, valid until DisposeGWorld), which is not cleared.
// pixelFormat must be k32ARGBPixelFormat (or 32).
QDErr NewGWorldFromPtr(GWorldPtr* offscreenGWorld, uint32_t pixelFormat, const Rect* boundsRect,
                       CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags, Ptr buffer, long rowBytes);
// Disposing the current port makes the current port null.
void DisposeGWorld(GWorldPtr offscreenGWorld);
PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);
PixMapHandle GetPortPixMap(CGrafPtr port);

// Pixels never move here; locking is counted so that the state can be read.
bool LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
bool IsPixMapLocked(PixMapHandle pm);
Ptr GetPixBaseAddr(PixMapHandle pm);
// The row length with the flag bits set (see kPixMapRowBytesFlag).
long GetPixRowBytes(PixMapHandle pm);
int16_t GetPixDepth(PixMapHandle pm);
Rect* GetPixBounds(PixMapHandle pm, Rect* bounds);

Rect* GetPortBounds(CGrafPtr port, Rect* rect);
// What CopyBits takes for the port's pixels.
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);

// The current port and device; gdh is ignored, and GetGWorld reports a null
// device.
void SetGWorld(CGrafPtr port, GDHandle gdh);
void GetGWorld(CGrafPtr* port, GDHandle* gdh);
void SetPort(GrafPtr port);
void GetPort(GrafPtr* port);

// The current port's colours (nothing without a current port). New ports
// have black foreground and white background.
void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void GetBackColor(RGBColor* color);

// Copies srcRect of one pixel map to dstRect of another (rectangles in each
// map's own coordinates), scaling by nearest pixel when their sizes differ,
// clipped to both maps. Only srcCopy without a mask exists: the pixels are
// copied as they are, without colouring by the port colours (between a
// window's map and another their bytes are put in the window's order). A
// window whose port it is shows the copy after the event loop's pass.
// Another mode, a
// mask, or a bitmap that is not one of these pixel maps copies nothing and
// sets QDError to paramErr.
void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect,
              int16_t mode, RgnHandle maskRgn);
// Regions are rectangles here: a region is the rectangle that bounds what
// was put in it. A new region is empty.
RgnHandle NewRgn(void);
void DisposeRgn(RgnHandle rgn);
void RectRgn(RgnHandle rgn, const Rect* r);
void SetRectRgn(RgnHandle rgn, int16_t left, int16_t top, int16_t right, int16_t bottom);
// The bounds of the union of the two.
void UnionRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn);
Rect* GetRegionBounds(RgnHandle region, Rect* bounds);
bool EmptyRgn(RgnHandle rgn);

// The result of the last QuickDraw call that reports one.
QDErr QDError(void);

// A Quartz context on the port's pixels: origin at the bottom-left corner of
// the port, y upwards, one unit per pixel, premultiplied alpha. Until
// QDEndCGContext the port is for that context only. paramErr for a null
// port or context pointer, or a port already begun.
OSStatus QDBeginCGContext(CGrafPtr port, CGContextRef* context);
// Releases the context begun on the port (its drawing stays in the pixels)
// and sets *context to null; paramErr when it is not that context.
OSStatus QDEndCGContext(CGrafPtr port, CGContextRef* context);
// A context begun on a port has its origin at the port's bottom-left corner
// already: noErr for the port's context, paramErr otherwise.
OSStatus SyncCGContextOriginWithPort(CGContextRef context, CGrafPtr port);
// Counts as drawing into the port, so that a window whose port it is shows
// its pixels after the event loop's pass. The region is ignored.
OSStatus QDFlushPortBuffer(CGrafPtr port, RgnHandle region);

} // extern "C"
#pragma GCC visibility pop
