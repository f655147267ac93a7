#include "platform/graphics/CGContext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

using namespace platform::detail;

namespace {

constexpr double kPi = 3.14159265358979323846;

bool isFinite(double value)
{
    return std::isfinite(value);
}

double unit(double value)
{
    return isFinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

cairo_matrix_t toCairo(const CGAffineTransform& t)
{
    return {t.a, t.b, t.c, t.d, t.tx, t.ty};
}

// Quartz's device space is Cairo's turned upside down.
cairo_matrix_t flip(double height)
{
    return {1, 0, 0, -1, 0, height};
}

// Replaces the CTM unless the new one cannot be inverted: Cairo would stop
// drawing altogether.
void setMatrixIfInvertible(cairo_t* cr, const cairo_matrix_t& matrix)
{
    cairo_matrix_t inverse = matrix;
    if (cairo_matrix_invert(&inverse) == CAIRO_STATUS_SUCCESS) cairo_set_matrix(cr, &matrix);
}

// The transform m applied before the CTM.
void concat(cairo_t* cr, const cairo_matrix_t& m)
{
    cairo_matrix_t current, product;
    cairo_get_matrix(cr, &current);
    cairo_matrix_multiply(&product, &m, &current);
    setMatrixIfInvertible(cr, product);
}

} // namespace

CGContext::~CGContext()
{
    cairo_destroy(cr);
    cairo_surface_destroy(mirror);
    if (ownsMemory) std::free(memory.data);
}

CGContext::Box CGContext::userBox(double x1, double y1, double x2, double y2) const
{
    double xs[4] = {x1, x2, x1, x2}, ys[4] = {y1, y1, y2, y2};
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (int i = 0; i < 4; ++i) {
        cairo_user_to_device(cr, &xs[i], &ys[i]);
        left = std::min(left, xs[i]);
        right = std::max(right, xs[i]);
        top = std::min(top, ys[i]);
        bottom = std::max(bottom, ys[i]);
    }
    // The clip, in device space.
    double cx1, cy1, cx2, cy2;
    cairo_clip_extents(cr, &cx1, &cy1, &cx2, &cy2);
    double cxs[4] = {cx1, cx2, cx1, cx2}, cys[4] = {cy1, cy1, cy2, cy2};
    double clipLeft = INFINITY, clipTop = INFINITY, clipRight = -INFINITY, clipBottom = -INFINITY;
    for (int i = 0; i < 4; ++i) {
        cairo_user_to_device(cr, &cxs[i], &cys[i]);
        clipLeft = std::min(clipLeft, cxs[i]);
        clipRight = std::max(clipRight, cxs[i]);
        clipTop = std::min(clipTop, cys[i]);
        clipBottom = std::max(clipBottom, cys[i]);
    }
    const auto width = static_cast<double>(memory.width), height = static_cast<double>(memory.height);
    auto cut = [](double value, double low, double high) {
        return isFinite(value) ? std::clamp(value, low, high) : low;
    };
    // NaN fails every comparison: such a box ends up empty.
    const double boxLeft = cut(std::max(std::floor(left) - 1, std::floor(clipLeft)), 0, width);
    const double boxRight = cut(std::min(std::ceil(right) + 1, std::ceil(clipRight)), 0, width);
    const double boxTop = cut(std::max(std::floor(top) - 1, std::floor(clipTop)), 0, height);
    const double boxBottom = cut(std::min(std::ceil(bottom) + 1, std::ceil(clipBottom)), 0, height);
    return {static_cast<int>(boxLeft), static_cast<int>(boxTop), static_cast<int>(boxRight),
            static_cast<int>(boxBottom)};
}

void CGContext::setSource(const Colour& colour) const
{
    cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, colour.alpha * state.alpha);
}

void CGContext::fill(cairo_fill_rule_t rule)
{
    double x1, y1, x2, y2;
    cairo_set_fill_rule(cr, rule);
    cairo_fill_extents(cr, &x1, &y1, &x2, &y2);
    paint(userBox(x1, y1, x2, y2), [this] {
        setSource(state.fill);
        cairo_fill(cr);
    });
}

void CGContext::stroke()
{
    double x1, y1, x2, y2;
    cairo_stroke_extents(cr, &x1, &y1, &x2, &y2);
    paint(userBox(x1, y1, x2, y2), [this] {
        setSource(state.stroke);
        cairo_stroke(cr);
    });
}

PathKeeper::PathKeeper(cairo_t* cr) : cr(cr)
{
    cairo_get_matrix(cr, &matrix);
    if (cairo_has_current_point(cr)) path = cairo_copy_path(cr);
    cairo_new_path(cr);
}

PathKeeper::~PathKeeper()
{
    cairo_set_matrix(cr, &matrix);
    cairo_new_path(cr);
    if (path) {
        cairo_append_path(cr, path);
        cairo_path_destroy(path);
    }
}

// ---------------------------------------------------------------------------
// Creation

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo)
{
    if (bitsPerComponent != 8 || width > kMaxImageSide || height > kMaxImageSide) return nullptr;
    if (space && CGColorSpaceGetNumberOfComponents(space) != 3) return nullptr;
    const auto format = bitmapContextFormat(bitmapInfo);
    if (!format) return nullptr;
    if (bytesPerRow == 0) bytesPerRow = width * 4;
    if (!isAddressable(width, height, bytesPerRow)) return nullptr;
    if (data && reinterpret_cast<uintptr_t>(data) % 4 != 0) return nullptr;

    auto* context = new (std::nothrow) CGContext;
    if (!context) return nullptr;
    if (!data) {
        data = std::calloc(height, bytesPerRow);
        context->ownsMemory = true;
    }
    context->memory = {*format, data, width, height, bytesPerRow};
    context->bitmapInfo = bitmapInfo;
    context->mirror = newSurface(width, height);
    if (!data || !context->mirror) {
        CGContextRelease(context);
        return nullptr;
    }
    context->cr = cairo_create(context->mirror);
    const cairo_matrix_t base = flip(static_cast<double>(height));
    cairo_set_matrix(context->cr, &base);
    return context;
}

CGContextRef CGContextRetain(CGContextRef context)
{
    return retain(context);
}

void CGContextRelease(CGContextRef context)
{
    release(context);
}

void* CGBitmapContextGetData(CGContextRef context)
{
    return context ? context->memory.data : nullptr;
}
size_t CGBitmapContextGetWidth(CGContextRef context)
{
    return context ? context->memory.width : 0;
}
size_t CGBitmapContextGetHeight(CGContextRef context)
{
    return context ? context->memory.height : 0;
}
size_t CGBitmapContextGetBytesPerRow(CGContextRef context)
{
    return context ? context->memory.bytesPerRow : 0;
}
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef context)
{
    return context ? context->bitmapInfo : 0;
}

CGImageRef CGBitmapContextCreateImage(CGContextRef context)
{
    if (!context) return nullptr;
    return imageFromPixels(context->memory, true, context->bitmapInfo & kCGBitmapAlphaInfoMask);
}

// ---------------------------------------------------------------------------
// Graphics state and transforms

void CGContextSaveGState(CGContextRef c)
{
    cairo_save(c->cr);
    c->saved.push_back(c->state);
}

void CGContextRestoreGState(CGContextRef c)
{
    if (c->saved.empty()) return;
    cairo_restore(c->cr);
    c->state = c->saved.back();
    c->saved.pop_back();
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty)
{
    concat(c->cr, {1, 0, 0, 1, tx, ty});
}

void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy)
{
    concat(c->cr, {sx, 0, 0, sy, 0, 0});
}

void CGContextRotateCTM(CGContextRef c, CGFloat angle)
{
    concat(c->cr, {std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), 0, 0});
}

void CGContextConcatCTM(CGContextRef c, CGAffineTransform transform)
{
    concat(c->cr, toCairo(transform));
}

CGAffineTransform CGContextGetCTM(CGContextRef c)
{
    cairo_matrix_t current, quartz;
    cairo_get_matrix(c->cr, &current);
    const cairo_matrix_t base = flip(static_cast<double>(c->memory.height));
    cairo_matrix_multiply(&quartz, &current, &base);
    return {quartz.xx, quartz.yx, quartz.xy, quartz.yy, quartz.x0, quartz.y0};
}

// ---------------------------------------------------------------------------
// Clipping

void CGContextClipToRect(CGContextRef c, CGRect rect)
{
    PathKeeper keeper(c->cr);
    rect = CGRectStandardize(rect);
    cairo_rectangle(c->cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(c->cr);
}

void CGContextClip(CGContextRef c)
{
    cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(c->cr);
}

void CGContextEOClip(CGContextRef c)
{
    cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(c->cr);
}

CGRect CGContextGetClipBoundingBox(CGContextRef c)
{
    double x1, y1, x2, y2;
    cairo_clip_extents(c->cr, &x1, &y1, &x2, &y2);
    return CGRectMake(x1, y1, x2 - x1, y2 - y1);
}

// ---------------------------------------------------------------------------
// Paths

void CGContextBeginPath(CGContextRef c)
{
    cairo_new_path(c->cr);
}

void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y)
{
    cairo_move_to(c->cr, x, y);
}

void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y)
{
    cairo_line_to(c->cr, x, y);
}

void CGContextAddCurveToPoint(CGContextRef c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y,
                              CGFloat x, CGFloat y)
{
    cairo_curve_to(c->cr, cp1x, cp1y, cp2x, cp2y, x, y);
}

void CGContextClosePath(CGContextRef c)
{
    cairo_close_path(c->cr);
}

void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle,
                     CGFloat endAngle, int clockwise)
{
    if (!isFinite(startAngle) || !isFinite(endAngle)) return;
    // Angles grow from the x axis towards the y axis of user space.
    if (clockwise)
        cairo_arc_negative(c->cr, x, y, radius, startAngle, endAngle);
    else
        cairo_arc(c->cr, x, y, radius, startAngle, endAngle);
}

void CGContextAddRect(CGContextRef c, CGRect rect)
{
    cairo_rectangle(c->cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

void CGContextAddEllipseInRect(CGContextRef c, CGRect rect)
{
    rect = CGRectStandardize(rect);
    if (!(rect.size.width > 0 && rect.size.height > 0)) return;
    cairo_matrix_t saved;
    cairo_get_matrix(c->cr, &saved);
    cairo_translate(c->cr, rect.origin.x + rect.size.width / 2, rect.origin.y + rect.size.height / 2);
    cairo_scale(c->cr, rect.size.width / 2, rect.size.height / 2);
    cairo_new_sub_path(c->cr);
    cairo_arc(c->cr, 0, 0, 1, 0, 2 * kPi);
    cairo_close_path(c->cr);
    cairo_set_matrix(c->cr, &saved);
}

void CGContextAddLines(CGContextRef c, const CGPoint points[], size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (i == 0)
            cairo_move_to(c->cr, points[i].x, points[i].y);
        else
            cairo_line_to(c->cr, points[i].x, points[i].y);
    }
}

bool CGContextIsPathEmpty(CGContextRef c)
{
    return !cairo_has_current_point(c->cr);
}

// ---------------------------------------------------------------------------
// Drawing

void CGContextFillPath(CGContextRef c)
{
    c->fill(CAIRO_FILL_RULE_WINDING);
}

void CGContextEOFillPath(CGContextRef c)
{
    c->fill(CAIRO_FILL_RULE_EVEN_ODD);
}

void CGContextStrokePath(CGContextRef c)
{
    c->stroke();
}

void CGContextDrawPath(CGContextRef c, CGPathDrawingMode mode)
{
    const bool evenOdd = mode == kCGPathEOFill || mode == kCGPathEOFillStroke;
    const bool fills = mode != kCGPathStroke;
    const bool strokes = mode == kCGPathStroke || mode == kCGPathFillStroke || mode == kCGPathEOFillStroke;
    if (fills && strokes) {
        cairo_path_t* path = cairo_copy_path(c->cr);
        c->fill(evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        cairo_append_path(c->cr, path);
        cairo_path_destroy(path);
        c->stroke();
    } else if (fills) {
        c->fill(evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    } else {
        c->stroke();
    }
}

void CGContextFillRect(CGContextRef c, CGRect rect)
{
    cairo_new_path(c->cr);
    CGContextAddRect(c, rect);
    CGContextFillPath(c);
}

void CGContextStrokeRect(CGContextRef c, CGRect rect)
{
    cairo_new_path(c->cr);
    CGContextAddRect(c, rect);
    CGContextStrokePath(c);
}

void CGContextFillEllipseInRect(CGContextRef c, CGRect rect)
{
    cairo_new_path(c->cr);
    CGContextAddEllipseInRect(c, rect);
    CGContextFillPath(c);
}

void CGContextStrokeEllipseInRect(CGContextRef c, CGRect rect)
{
    cairo_new_path(c->cr);
    CGContextAddEllipseInRect(c, rect);
    CGContextStrokePath(c);
}

void CGContextClearRect(CGContextRef c, CGRect rect)
{
    cairo_new_path(c->cr);
    CGContextAddRect(c, rect);
    double x1, y1, x2, y2;
    cairo_fill_extents(c->cr, &x1, &y1, &x2, &y2);
    c->paint(c->userBox(x1, y1, x2, y2), [c] {
        cairo_set_operator(c->cr, CAIRO_OPERATOR_CLEAR);
        cairo_fill(c->cr);
        cairo_set_operator(c->cr, CAIRO_OPERATOR_OVER);
    });
}

void CGContextStrokeLineSegments(CGContextRef c, const CGPoint points[], size_t count)
{
    cairo_new_path(c->cr);
    for (size_t i = 0; i + 1 < count; i += 2) {
        cairo_move_to(c->cr, points[i].x, points[i].y);
        cairo_line_to(c->cr, points[i + 1].x, points[i + 1].y);
    }
    c->stroke();
}

void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image)
{
    if (!image) return;
    rect = CGRectStandardize(rect);
    if (!(rect.size.width > 0 && rect.size.height > 0) || !isFinite(rect.origin.x) ||
        !isFinite(rect.origin.y))
        return;
    const double width = cairo_image_surface_get_width(image->surface);
    const double height = cairo_image_surface_get_height(image->surface);
    PathKeeper keeper(c->cr);
    cairo_save(c->cr);
    // Image rows run top-down; user space runs bottom-up.
    concat(c->cr, {rect.size.width / width, 0, 0, -rect.size.height / height, rect.origin.x,
                   rect.origin.y + rect.size.height});
    c->paint(c->userBox(0, 0, width, height), [c, image, width, height] {
        cairo_rectangle(c->cr, 0, 0, width, height);
        cairo_clip(c->cr);
        cairo_set_source_surface(c->cr, image->surface, 0, 0);
        cairo_pattern_set_extend(cairo_get_source(c->cr), CAIRO_EXTEND_PAD);
        cairo_paint_with_alpha(c->cr, c->state.alpha);
    });
    cairo_restore(c->cr);
}

// ---------------------------------------------------------------------------
// Line style, colours, anti-aliasing, alpha

void CGContextSetLineWidth(CGContextRef c, CGFloat width)
{
    if (isFinite(width)) cairo_set_line_width(c->cr, std::max(0.0, width));
}

void CGContextSetLineDash(CGContextRef c, CGFloat phase, const CGFloat lengths[], size_t count)
{
    // Cairo refuses negative lengths and an all-zero pattern, and stops
    // drawing for good when given one: those draw solid here.
    bool usable = lengths && count > 0 && isFinite(phase);
    double total = 0;
    for (size_t i = 0; usable && i < count; ++i) {
        usable = isFinite(lengths[i]) && lengths[i] >= 0;
        total += lengths[i];
    }
    if (usable && total > 0)
        cairo_set_dash(c->cr, lengths, static_cast<int>(count), phase);
    else
        cairo_set_dash(c->cr, nullptr, 0, 0);
}

void CGContextSetLineCap(CGContextRef c, CGLineCap cap)
{
    switch (cap) {
    case kCGLineCapRound:
        cairo_set_line_cap(c->cr, CAIRO_LINE_CAP_ROUND);
        break;
    case kCGLineCapSquare:
        cairo_set_line_cap(c->cr, CAIRO_LINE_CAP_SQUARE);
        break;
    default:
        cairo_set_line_cap(c->cr, CAIRO_LINE_CAP_BUTT);
    }
}

void CGContextSetLineJoin(CGContextRef c, CGLineJoin join)
{
    switch (join) {
    case kCGLineJoinRound:
        cairo_set_line_join(c->cr, CAIRO_LINE_JOIN_ROUND);
        break;
    case kCGLineJoinBevel:
        cairo_set_line_join(c->cr, CAIRO_LINE_JOIN_BEVEL);
        break;
    default:
        cairo_set_line_join(c->cr, CAIRO_LINE_JOIN_MITER);
    }
}

void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    c->state.stroke = {unit(red), unit(green), unit(blue), unit(alpha)};
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    c->state.fill = {unit(red), unit(green), unit(blue), unit(alpha)};
}

void CGContextSetGrayStrokeColor(CGContextRef c, CGFloat gray, CGFloat alpha)
{
    CGContextSetRGBStrokeColor(c, gray, gray, gray, alpha);
}

void CGContextSetGrayFillColor(CGContextRef c, CGFloat gray, CGFloat alpha)
{
    CGContextSetRGBFillColor(c, gray, gray, gray, alpha);
}

void CGContextSetStrokeColorSpace(CGContextRef c, CGColorSpaceRef)
{
    c->state.stroke = {};
}

void CGContextSetFillColorSpace(CGContextRef c, CGColorSpaceRef)
{
    c->state.fill = {};
}

void CGContextSetStrokeColor(CGContextRef c, const CGFloat components[])
{
    CGContextSetRGBStrokeColor(c, components[0], components[1], components[2], components[3]);
}

void CGContextSetFillColor(CGContextRef c, const CGFloat components[])
{
    CGContextSetRGBFillColor(c, components[0], components[1], components[2], components[3]);
}

void CGContextSetShouldAntialias(CGContextRef c, bool shouldAntialias)
{
    c->state.antialias = shouldAntialias;
    cairo_set_antialias(c->cr, shouldAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void CGContextSetAlpha(CGContextRef c, CGFloat alpha)
{
    c->state.alpha = unit(alpha);
}

void CGContextFlush(CGContextRef)
{
}

void CGContextSynchronize(CGContextRef)
{
}
