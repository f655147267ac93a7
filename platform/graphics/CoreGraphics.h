#pragma once

// The Quartz subset the toolkit draws with: contexts (bitmap contexts on
// memory the caller gives or the context allocates), paths, colours, text,
// images from data providers, and the device RGB colour space. Drawing is
// done by Cairo.
//
// Coordinates are Quartz's: the origin of a bitmap context is its bottom-left
// corner and y grows upwards; one unit is one pixel. Text is drawn through
// the text matrix, so that a caller who flips the CTM sets a text matrix of
// (1, 0, 0, -1, 0, 0) to keep glyphs upright.
//
// Objects are reference counted: Create functions return one reference,
// Retain adds one, Release gives one back (Release of NULL does nothing).
//
// Thread safety: one context, image or provider is used by one thread at a
// time; different objects may be used on different threads.

#include <stddef.h>
#include <stdint.h>

#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef double CGFloat;

typedef struct CGPoint {
    CGFloat x, y;
} CGPoint;

typedef struct CGSize {
    CGFloat width, height;
} CGSize;

typedef struct CGRect {
    CGPoint origin;
    CGSize size;
} CGRect;

// Maps (x, y) to (a x + c y + tx, b x + d y + ty).
typedef struct CGAffineTransform {
    CGFloat a, b, c, d, tx, ty;
} CGAffineTransform;

typedef struct CGContext* CGContextRef;
typedef struct CGImage* CGImageRef;
typedef struct CGColorSpace* CGColorSpaceRef;
typedef struct CGDataProvider* CGDataProviderRef;

typedef int32_t CGPathDrawingMode;
enum {
    kCGPathFill = 0,
    kCGPathEOFill = 1,
    kCGPathStroke = 2,
    kCGPathFillStroke = 3,
    kCGPathEOFillStroke = 4,
};

typedef int32_t CGLineCap;
enum {
    kCGLineCapButt = 0,
    kCGLineCapRound = 1,
    kCGLineCapSquare = 2,
};

typedef int32_t CGLineJoin;
enum {
    kCGLineJoinMiter = 0,
    kCGLineJoinRound = 1,
    kCGLineJoinBevel = 2,
};

typedef int32_t CGTextDrawingMode;
enum {
    kCGTextFill = 0,
    kCGTextStroke = 1,
    kCGTextFillStroke = 2,
    kCGTextInvisible = 3,
    kCGTextFillClip = 4,
    kCGTextStrokeClip = 5,
    kCGTextFillStrokeClip = 6,
    kCGTextClip = 7,
};

typedef int32_t CGTextEncoding;
enum {
    kCGEncodingFontSpecific = 0,
    kCGEncodingMacRoman = 1,
};

typedef uint32_t CGImageAlphaInfo;
enum {
    kCGImageAlphaNone = 0,
    kCGImageAlphaPremultipliedLast = 1,
    kCGImageAlphaPremultipliedFirst = 2,
    kCGImageAlphaLast = 3,
    kCGImageAlphaFirst = 4,
    kCGImageAlphaNoneSkipLast = 5,
    kCGImageAlphaNoneSkipFirst = 6,
    kCGImageAlphaOnly = 7,
};

// Alpha info in the low bits, byte order above. The default byte order is
// big-endian: kCGImageAlphaPremultipliedFirst alone means bytes A, R, G, B.
typedef uint32_t CGBitmapInfo;
enum {
    kCGBitmapAlphaInfoMask = 0x1F,
    kCGBitmapFloatComponents = 1u << 8,
    kCGBitmapByteOrderMask = 0x7000,
    kCGBitmapByteOrderDefault = 0u << 12,
    kCGBitmapByteOrder16Little = 1u << 12,
    kCGBitmapByteOrder32Little = 2u << 12,
    kCGBitmapByteOrder16Big = 3u << 12,
    kCGBitmapByteOrder32Big = 4u << 12,
    kCGBitmapByteOrder32Host = kCGBitmapByteOrder32Little,
};

typedef int32_t CGColorRenderingIntent;
enum {
    kCGRenderingIntentDefault = 0,
    kCGRenderingIntentAbsoluteColorimetric = 1,
    kCGRenderingIntentRelativeColorimetric = 2,
    kCGRenderingIntentPerceptual = 3,
    kCGRenderingIntentSaturation = 4,
};

// ---------------------------------------------------------------------------
// Geometry helpers (inline, as published)

static inline CGPoint CGPointMake(CGFloat x, CGFloat y)
{
    CGPoint p = {x, y};
    return p;
}

static inline CGSize CGSizeMake(CGFloat width, CGFloat height)
{
    CGSize s = {width, height};
    return s;
}

static inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height)
{
    CGRect r = {{x, y}, {width, height}};
    return r;
}

static inline CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx,
                                                      CGFloat ty)
{
    CGAffineTransform t = {a, b, c, d, tx, ty};
    return t;
}

// The functions and constants from here on are exported from the platform's
// shared library, which hides everything else.
#pragma GCC visibility push(default)

extern const CGAffineTransform CGAffineTransformIdentity;
// The null rectangle: what an intersection of disjoint rectangles returns.
extern const CGRect CGRectNull;
extern const CGRect CGRectZero;

CGFloat CGRectGetMinX(CGRect rect);
CGFloat CGRectGetMaxX(CGRect rect);
CGFloat CGRectGetMinY(CGRect rect);
CGFloat CGRectGetMaxY(CGRect rect);
CGFloat CGRectGetWidth(CGRect rect);
CGFloat CGRectGetHeight(CGRect rect);
// True for CGRectNull only.
bool CGRectIsNull(CGRect rect);
// True for a null rectangle or one of zero width or height.
bool CGRectIsEmpty(CGRect rect);
// Both rectangles are standardised first; CGRectNull when they do not meet.
CGRect CGRectIntersection(CGRect r1, CGRect r2);
// A rectangle of non-negative width and height covering the same area.
CGRect CGRectStandardize(CGRect rect);

// ---------------------------------------------------------------------------
// Colour spaces: device RGB is the only one.

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
// No platform colour profiles exist here (see ColorSync.h): always NULL, and
// callers fall back to the device RGB space.
CGColorSpaceRef CGColorSpaceCreateWithPlatformColorSpace(const void* platformColorSpaceReference);
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space);
// 3 for RGB.
size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space);

// ---------------------------------------------------------------------------
// Data providers

// A sequential provider: bytes are read in order from the start; Quartz may
// skip forward and rewind to the start. getBytes returns how many bytes it
// copied (0 at the end). releaseProvider (may be null) runs when the last
// reference goes.
typedef size_t (*CGDataProviderGetBytesCallback)(void* info, void* buffer, size_t count);
typedef void (*CGDataProviderSkipBytesCallback)(void* info, size_t count);
typedef off_t (*CGDataProviderSkipForwardCallback)(void* info, off_t count);
typedef void (*CGDataProviderRewindCallback)(void* info);
typedef void (*CGDataProviderReleaseInfoCallback)(void* info);
typedef void (*CGDataProviderReleaseDataCallback)(void* info, const void* data, size_t size);

typedef struct CGDataProviderCallbacks {
    CGDataProviderGetBytesCallback getBytes;
    CGDataProviderSkipBytesCallback skipBytes;
    CGDataProviderRewindCallback rewind;
    CGDataProviderReleaseInfoCallback releaseProvider;
} CGDataProviderCallbacks;

// version must be 0. skipForward returns how many bytes it skipped.
typedef struct CGDataProviderSequentialCallbacks {
    unsigned int version;
    CGDataProviderGetBytesCallback getBytes;
    CGDataProviderSkipForwardCallback skipForward;
    CGDataProviderRewindCallback rewind;
    CGDataProviderReleaseInfoCallback releaseInfo;
} CGDataProviderSequentialCallbacks;

// NULL when callbacks or its getBytes is null (or, sequential, version is
// not 0).
CGDataProviderRef CGDataProviderCreate(void* info, const CGDataProviderCallbacks* callbacks);
CGDataProviderRef CGDataProviderCreateSequential(void* info,
                                                 const CGDataProviderSequentialCallbacks* callbacks);
// Reads size bytes at data directly; releaseData (may be null) runs when the
// last reference goes. The memory must stay valid until then.
CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData);
CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider);
void CGDataProviderRelease(CGDataProviderRef provider);

// ---------------------------------------------------------------------------
// Images
//
// An image holds its own copy of the pixels: the provider is read once, in
// CGImageCreate, and not kept.

// Supported: 8 bits per component, an RGB colour space (NULL means device
// RGB), 32 bits per pixel with alpha first or last, premultiplied or not, or
// none-skip first or last, in default, big or little 32-bit byte order.
// bytesPerRow must cover a row. decode must be NULL. Sides up to 32767 pixels. NULL when any of this fails or
// the provider supplies fewer bytes than the image needs.
CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat decode[], bool shouldInterpolate,
                         CGColorRenderingIntent intent);
// The part of image inside rect (in image pixels, origin at the top-left
// corner, y downwards), rect rounded outwards to whole pixels and cut to the
// image. NULL when nothing is left.
CGImageRef CGImageCreateWithImageInRect(CGImageRef image, CGRect rect);
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);
// What the image was created with (kCGImageAlphaPremultipliedFirst for
// images made from contexts and importers).
CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image);

// ---------------------------------------------------------------------------
// Contexts

CGContextRef CGContextRetain(CGContextRef context);
// Releasing the last reference of a bitmap context leaves its last drawing
// in the memory it was created on.
void CGContextRelease(CGContextRef context);

// Supported: 8 bits per component, 32 bits per pixel (bytesPerRow a
// multiple of 4 and at least width x 4, or 0 for width x 4), an RGB colour
// space (NULL means device RGB), alpha info premultiplied first or last or
// none-skip first or last, default, big or little 32-bit byte order. data
// may be NULL, in which case the context allocates zeroed memory it owns;
// otherwise it draws into the caller's memory, which must be 4-byte
// aligned, stay valid for the context's life and holds the pixels in the
// layout given at every return from a drawing call (the caller may also
// change it between calls). Sides from 1 to 32767. NULL when unsupported.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo);
void* CGBitmapContextGetData(CGContextRef context);
size_t CGBitmapContextGetWidth(CGContextRef context);
size_t CGBitmapContextGetHeight(CGContextRef context);
size_t CGBitmapContextGetBytesPerRow(CGContextRef context);
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef context);
// A copy of the current pixels as an image; NULL for a context that is not
// a bitmap context.
CGImageRef CGBitmapContextCreateImage(CGContextRef context);

// Graphics state: CTM, clip, line width, dash, cap and join, colours, alpha,
// anti-aliasing, font and text drawing mode. The path, the text position and
// the text matrix are not part of it. A restore without a matching save does
// nothing.
void CGContextSaveGState(CGContextRef context);
void CGContextRestoreGState(CGContextRef context);

// A transform that cannot be inverted (a scale by 0) is ignored: Quartz would
// draw nothing through it, Cairo would stop drawing for good.
void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(CGContextRef context, CGFloat sx, CGFloat sy);
void CGContextRotateCTM(CGContextRef context, CGFloat angle);
void CGContextConcatCTM(CGContextRef context, CGAffineTransform transform);
CGAffineTransform CGContextGetCTM(CGContextRef context);

// Intersect the clip; the current path is kept (ClipToRect) or used up.
void CGContextClipToRect(CGContextRef context, CGRect rect);
void CGContextClip(CGContextRef context);
void CGContextEOClip(CGContextRef context);
// The clip's bounding box in user space.
CGRect CGContextGetClipBoundingBox(CGContextRef context);

// Paths, in user space at the time each piece is added.
void CGContextBeginPath(CGContextRef context);
void CGContextMoveToPoint(CGContextRef context, CGFloat x, CGFloat y);
void CGContextAddLineToPoint(CGContextRef context, CGFloat x, CGFloat y);
void CGContextAddCurveToPoint(CGContextRef context, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y,
                              CGFloat x, CGFloat y);
void CGContextClosePath(CGContextRef context);
// Angles in radians; clockwise != 0 sweeps from startAngle towards smaller
// angles. A line joins the current point, if any, to the arc's start.
void CGContextAddArc(CGContextRef context, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle,
                     CGFloat endAngle, int clockwise);
void CGContextAddRect(CGContextRef context, CGRect rect);
// A closed ellipse inscribed in rect; nothing for a rect of zero width or
// height.
void CGContextAddEllipseInRect(CGContextRef context, CGRect rect);
void CGContextAddLines(CGContextRef context, const CGPoint points[], size_t count);
bool CGContextIsPathEmpty(CGContextRef context);

// Each of these uses up the current path.
void CGContextFillPath(CGContextRef context);
void CGContextEOFillPath(CGContextRef context);
void CGContextStrokePath(CGContextRef context);
void CGContextDrawPath(CGContextRef context, CGPathDrawingMode mode);
void CGContextFillRect(CGContextRef context, CGRect rect);
void CGContextStrokeRect(CGContextRef context, CGRect rect);
void CGContextFillEllipseInRect(CGContextRef context, CGRect rect);
void CGContextStrokeEllipseInRect(CGContextRef context, CGRect rect);
// Sets the pixels of rect to transparent black.
void CGContextClearRect(CGContextRef context, CGRect rect);
// Strokes count / 2 separate segments from consecutive pairs of points.
void CGContextStrokeLineSegments(CGContextRef context, const CGPoint points[], size_t count);

void CGContextSetLineWidth(CGContextRef context, CGFloat width);
// lengths NULL or count 0: solid lines.
void CGContextSetLineDash(CGContextRef context, CGFloat phase, const CGFloat lengths[], size_t count);
void CGContextSetLineCap(CGContextRef context, CGLineCap cap);
void CGContextSetLineJoin(CGContextRef context, CGLineJoin join);

// Components are clamped to 0..1.
void CGContextSetRGBStrokeColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue,
                                CGFloat alpha);
void CGContextSetRGBFillColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
void CGContextSetGrayStrokeColor(CGContextRef context, CGFloat gray, CGFloat alpha);
void CGContextSetGrayFillColor(CGContextRef context, CGFloat gray, CGFloat alpha);
// The colour space sets the colour to opaque black; components are then red,
// green, blue and alpha.
void CGContextSetStrokeColorSpace(CGContextRef context, CGColorSpaceRef space);
void CGContextSetFillColorSpace(CGContextRef context, CGColorSpaceRef space);
void CGContextSetStrokeColor(CGContextRef context, const CGFloat components[]);
void CGContextSetFillColor(CGContextRef context, const CGFloat components[]);

// Applies to shapes, images and text alike.
void CGContextSetShouldAntialias(CGContextRef context, bool shouldAntialias);
// Global alpha, 0..1, multiplies everything drawn.
void CGContextSetAlpha(CGContextRef context, CGFloat alpha);

// Bitmap contexts are always up to date in their memory; these do nothing
// more than Quartz promises.
void CGContextFlush(CGContextRef context);
void CGContextSynchronize(CGContextRef context);

// Draws image scaled into rect: its top row at the rect's maximum y.
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);

// ---------------------------------------------------------------------------
// Text
//
// name is a family ("Helvetica", "Symbol", anything fontconfig knows)
// optionally followed by " Bold", " Italic" and " Underline" in any order,
// matched through fontconfig (Helvetica resolves to a metric-compatible
// face). Text bytes are Mac Roman; kCGEncodingFontSpecific passes bytes
// below 0x80 through and draws nothing for the rest.
void CGContextSelectFont(CGContextRef context, const char* name, CGFloat size, CGTextEncoding encoding);
void CGContextSetFontSize(CGContextRef context, CGFloat size);
void CGContextSetTextDrawingMode(CGContextRef context, CGTextDrawingMode mode);
void CGContextSetTextMatrix(CGContextRef context, CGAffineTransform transform);
CGAffineTransform CGContextGetTextMatrix(CGContextRef context);
void CGContextSetTextPosition(CGContextRef context, CGFloat x, CGFloat y);
// Where the next glyph goes: after drawing, the start plus the text's
// advance through the text matrix.
CGPoint CGContextGetTextPosition(CGContextRef context);
void CGContextShowText(CGContextRef context, const char* string, size_t length);
void CGContextShowTextAtPoint(CGContextRef context, CGFloat x, CGFloat y, const char* string, size_t length);

#pragma GCC visibility pop

#ifdef __cplusplus
} // extern "C"
#endif
