#include "toolkit/CDrawContext.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "platform/hitoolbox/HIToolbox.h"
#include "toolkit/CFrame.h"
#include "toolkit/QuartzStatics.h"

using toolkit::clampTo;

namespace {

constexpr CRect kFramelessClip(0, 0, 1000, 1000);

CGRect cgRect(const CRect& rect)
{
    return CGRectMake(rect.left, rect.top, rect.width(), rect.height());
}

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Direction of point from centre in degrees, anticlockwise on screen.
double angleOf(const CPoint& point, double cx, double cy)
{
    return std::atan2(cy - point.v, point.h - cx) * 180.0 / std::numbers::pi;
}

} // namespace

CDrawContext::CDrawContext(CFrame* frame, CGContextRef cgContext, WindowRef window)
    : givenContext(cgContext), pWindow(window), pFrame(frame), clipRect(kFramelessClip)
{
    fontSize = gStandardFontSize[fontId];
    if (frame) frame->getViewSize(clipRect);
    if (!frame || !(cgContext || window)) {
        if (cgContext)
            attachCGContext(cgContext, clampTo<CCoord>(int64_t(CGBitmapContextGetHeight(cgContext))));
        return;
    }

    // Where the frame's view lies in the window, and the part of the frame
    // its scroll origin shows.
    CRect viewRect = clipRect;
    if (HIViewRef view = frame->getPlatformControl()) {
        HIRect bounds{};
        HIViewGetFrame(view, &bounds);
        WindowAttributes attributes = 0;
        HIViewRef content = nullptr;
        if (window && GetWindowAttributes(window, &attributes) == noErr &&
            (attributes & kWindowCompositingAttribute) &&
            HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content) == noErr &&
            HIViewGetSuperview(view) != content)
            HIViewConvertRect(&bounds, HIViewGetSuperview(view), content);
        viewRect = CRect(CPoint(clampTo<CCoord>(bounds.origin.x), clampTo<CCoord>(bounds.origin.y)),
                         clampTo<CCoord>(bounds.size.width), clampTo<CCoord>(bounds.size.height));
    }
    const CGPoint scroll = frame->getScrollOrigin();
    const CPoint scrollOrigin(clampTo<CCoord>(scroll.x), clampTo<CCoord>(scroll.y));
    offsetScreen = CPoint(viewRect.left, viewRect.top).offset(scrollOrigin.h, scrollOrigin.v);
    clipRect = CRect(scrollOrigin, viewRect.width(), viewRect.height());

    if (cgContext) {
        attachCGContext(cgContext, clampTo<CCoord>(int64_t(CGBitmapContextGetHeight(cgContext))));
    } else {
        CGrafPtr port = GetWindowPort(window);
        if (!port || QDBeginCGContext(port, &windowContext) != noErr) {
            windowContext = nullptr;
            return;
        }
        SyncCGContextOriginWithPort(windowContext, port);
        Rect portBounds{};
        GetPortBounds(port, &portBounds);
        attachCGContext(windowContext, portBounds.bottom - portBounds.top,
                        CPoint(viewRect.left, viewRect.top).offset(-scrollOrigin.h, -scrollOrigin.v));
    }
    frame->setDrawContext(this);
}

CDrawContext::~CDrawContext()
{
    detachCGContext();
    if (windowContext) QDEndCGContext(GetWindowPort(pWindow), &windowContext);
    if (pFrame && pFrame->getDrawContext() == this) pFrame->setDrawContext(nullptr);
}

void CDrawContext::forget()
{
    if (needToSynchronizeCGContext) synchronizeCGContext();
    CReferenceCounter::forget();
}

void CDrawContext::attachCGContext(CGContextRef context, CCoord height, const CPoint& origin)
{
    gCGContext = CGContextRetain(context);
    flipHeight = height;
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, 0, height);
    CGContextScaleCTM(context, 1, -1);
    CGContextTranslateCTM(context, origin.h, origin.v);
    CGContextSaveGState(context);
    CGContextClipToRect(context, cgRect(clipRect));

    CGContextSetTextMatrix(context, CGAffineTransformMake(1, 0, 0, -1, 0, 0));
    CGContextSetShouldAntialias(context, drawMode == kAntialias);
    CGContextSetLineCap(context, kCGLineCapButt);
    CGContextSetLineJoin(context, kCGLineJoinMiter);
    CGContextSetLineWidth(context, frameWidth);
    applyLineStyle();
    applyFrameColor();
    applyFillColor();
    fontSize = 0; // forces the selection
    setFont(fontId, 0, fontStyle);
}

void CDrawContext::detachCGContext()
{
    if (!gCGContext) return;
    CGContextRestoreGState(gCGContext);
    CGContextRestoreGState(gCGContext);
    synchronizeCGContext();
    CGContextRelease(gCGContext);
    gCGContext = nullptr;
}

bool CDrawContext::beginDrawing()
{
    if (!gCGContext) return false;
    CGContextSaveGState(gCGContext);
    CGContextClipToRect(gCGContext, cgRect(clipRect));
    CGContextBeginPath(gCGContext);
    return true;
}

void CDrawContext::endDrawing()
{
    CGContextRestoreGState(gCGContext);
    needToSynchronizeCGContext = true;
}

CGPoint CDrawContext::strokePoint(const CPoint& point) const
{
    const double shift = frameWidth % 2 != 0 ? 0.5 : 0.0;
    return CGPointMake(double(point.h) + offset.h + shift, double(point.v) + offset.v - shift);
}

void CDrawContext::strokeOrFill(CDrawStyle style)
{
    CGContextDrawPath(gCGContext, style == kDrawFilled             ? kCGPathFill
                                  : style == kDrawFilledAndStroked ? kCGPathFillStroke
                                                                   : kCGPathStroke);
}

void CDrawContext::applyFrameColor()
{
    if (gCGContext)
        CGContextSetRGBStrokeColor(gCGContext, frameColor.red / 255.0, frameColor.green / 255.0,
                                   frameColor.blue / 255.0, frameColor.alpha / 255.0);
}

void CDrawContext::applyFillColor()
{
    if (gCGContext)
        CGContextSetRGBFillColor(gCGContext, fillColor.red / 255.0, fillColor.green / 255.0,
                                 fillColor.blue / 255.0, fillColor.alpha / 255.0);
}

void CDrawContext::applyLineStyle()
{
    if (!gCGContext) return;
    if (lineStyle == kLineOnOffDash) {
        const CGFloat lengths[] = {CGFloat(frameWidth), CGFloat(frameWidth)};
        CGContextSetLineDash(gCGContext, 0, lengths, 2);
    } else {
        CGContextSetLineDash(gCGContext, 0, nullptr, 0);
    }
}

void CDrawContext::moveTo(const CPoint& point)
{
    penLoc = point;
}

void CDrawContext::lineTo(const CPoint& point)
{
    if (beginDrawing()) {
        const CGPoint from = strokePoint(penLoc);
        const CGPoint to = strokePoint(point);
        CGContextMoveToPoint(gCGContext, from.x, from.y);
        CGContextAddLineToPoint(gCGContext, to.x, to.y);
        CGContextStrokePath(gCGContext);
        endDrawing();
    }
    penLoc = point;
}

void CDrawContext::drawLines(const CPoint* points, int32_t numberOfLines)
{
    if (numberOfLines <= 0 || !beginDrawing()) return;
    std::vector<CGPoint> ends;
    ends.reserve(size_t(numberOfLines) * 2);
    for (int32_t i = 0; i < numberOfLines * 2; ++i) ends.push_back(strokePoint(points[i]));
    if (const auto strokeLineSegments = _gQuartzStatics.strokeLineSegments()) {
        strokeLineSegments(gCGContext, ends.data(), ends.size());
    } else {
        for (size_t i = 0; i < ends.size(); i += 2) {
            CGContextMoveToPoint(gCGContext, ends[i].x, ends[i].y);
            CGContextAddLineToPoint(gCGContext, ends[i + 1].x, ends[i + 1].y);
        }
        CGContextStrokePath(gCGContext);
    }
    endDrawing();
}

void CDrawContext::addPath(const CPoint* points, int32_t numberOfPoints, bool throughCentres)
{
    for (int32_t i = 0; i < numberOfPoints; ++i) {
        const CGPoint point = throughCentres ? strokePoint(points[i])
                                             : CGPointMake(points[i].h + offset.h, points[i].v + offset.v);
        if (i == 0)
            CGContextMoveToPoint(gCGContext, point.x, point.y);
        else
            CGContextAddLineToPoint(gCGContext, point.x, point.y);
    }
}

void CDrawContext::drawPolygon(const CPoint* points, int32_t numberOfPoints, CDrawStyle style)
{
    if (numberOfPoints <= 0 || !beginDrawing()) return;
    // A fill covers the pixels inside the points, a stroke runs through pixel centres.
    if (style != kDrawStroked) {
        addPath(points, numberOfPoints, false);
        CGContextClosePath(gCGContext);
        CGContextFillPath(gCGContext);
    }
    if (style != kDrawFilled) {
        addPath(points, numberOfPoints, true);
        CGContextClosePath(gCGContext);
        CGContextStrokePath(gCGContext);
    }
    endDrawing();
}

void CDrawContext::fillPolygon(const CPoint* points, int32_t numberOfPoints)
{
    drawPolygon(points, numberOfPoints, kDrawFilled);
}

void CDrawContext::polyLine(const CPoint* points, int32_t numberOfPoints)
{
    if (numberOfPoints <= 0 || !beginDrawing()) return;
    addPath(points, numberOfPoints, true);
    CGContextStrokePath(gCGContext);
    endDrawing();
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
    if (style != kDrawStroked) fillRect(rect);
    if (style == kDrawFilled) return;
    const CPoint corners[] = {{rect.left, rect.top + 1},
                              {rect.right - 1, rect.top + 1},
                              {rect.right - 1, rect.bottom},
                              {rect.left, rect.bottom}};
    drawPolygon(corners, 4, kDrawStroked);
}

void CDrawContext::fillRect(const CRect& rect)
{
    if (!beginDrawing()) return;
    CRect shifted = rect;
    CGContextFillRect(gCGContext, cgRect(shifted.offset(offset.h, offset.v)));
    endDrawing();
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle style)
{
    if (!beginDrawing()) return;
    if (style != kDrawStroked) {
        CRect shifted = rect;
        CGContextAddEllipseInRect(gCGContext, cgRect(shifted.offset(offset.h, offset.v)));
        CGContextFillPath(gCGContext);
    }
    if (style != kDrawFilled) {
        // Through the centres of the outermost pixels, as drawRect's outline.
        const CGPoint topLeft = strokePoint({rect.left, rect.top + 1});
        CGContextAddEllipseInRect(gCGContext,
                                  CGRectMake(topLeft.x, topLeft.y, rect.width() - 1.0, rect.height() - 1.0));
        CGContextStrokePath(gCGContext);
    }
    endDrawing();
}

void CDrawContext::fillEllipse(const CRect& rect)
{
    drawEllipse(rect, kDrawFilled);
}

void CDrawContext::drawArc(const CRect& rect, float startAngle, float endAngle, CDrawStyle style)
{
    if (rect.width() <= 1 || rect.height() <= 1 || !beginDrawing()) return;
    const bool filled = style != kDrawStroked;
    const CGPoint topLeft = filled ? CGPointMake(rect.left + offset.h, rect.top + offset.v)
                                   : strokePoint({rect.left, rect.top + 1});
    const double inset = filled ? 0.0 : 1.0;
    const double rx = (rect.width() - inset) / 2.0;
    const double ry = (rect.height() - inset) / 2.0;
    const double cx = topLeft.x + rx;
    const double cy = topLeft.y + ry;
    if (filled) CGContextMoveToPoint(gCGContext, cx, cy);
    // The path keeps the coordinates it was added in; the scale shapes only it.
    CGContextSaveGState(gCGContext);
    CGContextTranslateCTM(gCGContext, cx, cy);
    CGContextScaleCTM(gCGContext, rx, ry);
    CGContextAddArc(gCGContext, 0, 0, 1, radians(-startAngle), radians(-endAngle), 1);
    CGContextRestoreGState(gCGContext);
    if (filled) CGContextClosePath(gCGContext);
    strokeOrFill(style);
    endDrawing();
}

void CDrawContext::drawArc(const CRect& rect, const CPoint& point1, const CPoint& point2)
{
    const double cx = rect.left + rect.width() / 2.0;
    const double cy = rect.top + rect.height() / 2.0;
    drawArc(rect, float(angleOf(point1, cx, cy)), float(angleOf(point2, cx, cy)), kDrawStroked);
}

void CDrawContext::fillArc(const CRect& rect, const CPoint& point1, const CPoint& point2)
{
    const double cx = rect.left + rect.width() / 2.0;
    const double cy = rect.top + rect.height() / 2.0;
    drawArc(rect, float(angleOf(point1, cx, cy)), float(angleOf(point2, cx, cy)), kDrawFilled);
}

void CDrawContext::drawPoint(const CPoint& point, const CColor& color)
{
    const CColor savedColor = frameColor;
    const CCoord savedWidth = frameWidth;
    setFrameColor(color);
    setLineWidth(1);
    if (beginDrawing()) {
        // The pixel the point names (see the header), covered end to end.
        const double x = double(point.h) + offset.h;
        const double y = double(point.v) + offset.v - 0.5;
        CGContextMoveToPoint(gCGContext, x, y);
        CGContextAddLineToPoint(gCGContext, x + 1, y);
        CGContextStrokePath(gCGContext);
        endDrawing();
    }
    setLineWidth(savedWidth);
    setFrameColor(savedColor);
}

void CDrawContext::setLineStyle(CLineStyle style)
{
    if (style == lineStyle) return;
    lineStyle = style;
    applyLineStyle();
}

void CDrawContext::setLineWidth(CCoord width)
{
    if (width == frameWidth) return;
    frameWidth = width;
    if (gCGContext) CGContextSetLineWidth(gCGContext, width);
    applyLineStyle(); // the dash lengths follow the width
}

void CDrawContext::setDrawMode(CDrawMode mode)
{
    if (mode == drawMode) return;
    drawMode = mode;
    if (gCGContext) CGContextSetShouldAntialias(gCGContext, mode == kAntialias);
}

void CDrawContext::setFrameColor(const CColor& color)
{
    if (color == frameColor) return;
    frameColor = color;
    applyFrameColor();
}

void CDrawContext::setFillColor(const CColor& color)
{
    if (color == fillColor) return;
    fillColor = color;
    applyFillColor();
}

void CDrawContext::setFont(int32_t font, int32_t size, int32_t style)
{
    const CFont face = toolkit::validFont(font);
    if (size <= 0) size = gStandardFontSize[face];
    if (face == fontId && size == fontSize && style == fontStyle) return;
    fontId = face;
    fontSize = size;
    fontStyle = style;
    if (!gCGContext) return;
    std::string name = gMacXfontNames[face];
    if (style & kBoldFace) name += " Bold";
    if (style & kItalicFace) name += " Italic";
    if (style & kUnderlineFace) name += " Underline";
    CGContextSelectFont(gCGContext, name.c_str(), size, kCGEncodingMacRoman);
}

void CDrawContext::setClipRect(const CRect& rect)
{
    clipRect = rect;
    clipRect.offset(offset.h, offset.v);
}

CRect& CDrawContext::getClipRect(CRect& rect) const
{
    rect = clipRect;
    return rect;
}

void CDrawContext::resetClipRect()
{
    clipRect = kFramelessClip;
    if (pFrame) pFrame->getViewSize(clipRect);
}

CCoord CDrawContext::getStringWidth(const char* text)
{
    if (!gCGContext || !text) return 0;
    CGContextSaveGState(gCGContext);
    CGContextSetTextDrawingMode(gCGContext, kCGTextInvisible);
    CGContextShowTextAtPoint(gCGContext, 0, 0, text, std::strlen(text));
    const CGPoint end = CGContextGetTextPosition(gCGContext);
    CGContextRestoreGState(gCGContext);
    return clampTo<CCoord>(end.x);
}

void CDrawContext::drawString(const char* text, const CRect& rect, int16_t, CHoriTxtAlign align)
{
    if (!text || !gCGContext) return;
    const CCoord textWidth = getStringWidth(text);
    int64_t x = rect.left + 1;
    if (align == kCenterText)
        x = int64_t{rect.left} + rect.width() / 2 - textWidth / 2;
    else if (align == kRightText)
        x = int64_t{rect.right} - textWidth;
    const int64_t y = int64_t{rect.bottom} + fontSize / 2 - rect.height() / 2 - 1;
    if (!beginDrawing()) return;
    CGContextSetShouldAntialias(gCGContext, true);
    CGContextSetRGBFillColor(gCGContext, fontColor.red / 255.0, fontColor.green / 255.0,
                             fontColor.blue / 255.0, fontColor.alpha / 255.0);
    CGContextSetTextDrawingMode(gCGContext, kCGTextFill);
    CGContextShowTextAtPoint(gCGContext, double(x + offset.h), double(y + offset.v), text, std::strlen(text));
    endDrawing();
}

CGContextRef CDrawContext::beginCGContext(bool keepFlip)
{
    if (!gCGContext) return nullptr;
    CGContextSaveGState(gCGContext);
    CGContextClipToRect(gCGContext, cgRect(clipRect));
    if (!keepFlip) {
        CGContextScaleCTM(gCGContext, 1, -1);
        CGContextTranslateCTM(gCGContext, 0, -flipHeight);
    }
    return gCGContext;
}

void CDrawContext::releaseCGContext(CGContextRef context)
{
    if (!context) return;
    CGContextRestoreGState(context);
    needToSynchronizeCGContext = true;
}

void CDrawContext::synchronizeCGContext()
{
    if (!needToSynchronizeCGContext || !gCGContext) return;
    CGContextSynchronize(gCGContext);
    needToSynchronizeCGContext = false;
}

void CDrawContext::drawCGImage(CGImageRef image, const CRect& where)
{
    CGContextSaveGState(gCGContext);
    CGContextTranslateCTM(gCGContext, where.left, where.bottom);
    CGContextScaleCTM(gCGContext, 1, -1);
    CGContextDrawImage(gCGContext, CGRectMake(0, 0, where.width(), where.height()), image);
    CGContextRestoreGState(gCGContext);
}

long CDrawContext::getMouseButtons()
{
    const UInt32 state = GetCurrentEventButtonState();
    long buttons = toolkit::modifierButtons(GetCurrentEventKeyModifiers());
    if (state & 1) buttons |= kPrimaryButton;
    if (state & 2) buttons |= kSecondaryButton;
    if (state & 4) buttons |= kMiddleButton;
    if ((buttons & kPrimaryButton) && (buttons & kControlHeld))
        buttons = (buttons & ~(kPrimaryButton | kControlHeld)) | kSecondaryButton;
    return buttons;
}

void CDrawContext::getMouseLocation(CPoint& point)
{
    Point global{};
    GetGlobalMouse(&global);
    Rect content{};
    if (pWindow) GetWindowBounds(pWindow, kWindowContentRgn, &content);
    // The screen offset has the scroll origin in it once already.
    const CGPoint scroll = pFrame ? pFrame->getScrollOrigin() : CGPoint{0, 0};
    point = CPoint(global.h - content.left, global.v - content.top)
                .offset(2 * clampTo<CCoord>(scroll.x) - offsetScreen.h - offset.h,
                        2 * clampTo<CCoord>(scroll.y) - offsetScreen.v - offset.v);
}

namespace {

// Takes the next event of these kinds from the queue, waiting up to timeout;
// its kind, or 0 when none came.
UInt32 takeMouseEvent(const EventTypeSpec* kinds, ItemCount count, EventTimeout timeout)
{
    EventRef event = nullptr;
    if (ReceiveNextEvent(count, kinds, timeout, true, &event) != noErr || !event) return 0;
    const UInt32 kind = GetEventKind(event);
    ReleaseEvent(event);
    return kind;
}

} // namespace

bool CDrawContext::waitDoubleClick()
{
    static constexpr EventTypeSpec kinds[] = {{kEventClassMouse, kEventMouseDown},
                                              {kEventClassMouse, kEventMouseDragged}};
    return takeMouseEvent(kinds, 2, GetDblTime() / 60.0) == kEventMouseDown;
}

bool CDrawContext::waitDrag()
{
    static constexpr EventTypeSpec kinds[] = {{kEventClassMouse, kEventMouseUp},
                                              {kEventClassMouse, kEventMouseDown},
                                              {kEventClassMouse, kEventMouseDragged}};
    if (!(GetCurrentEventButtonState() & 1)) return false;
    return takeMouseEvent(kinds, 3, kEventDurationForever) == kEventMouseDragged;
}
