#pragma once

// Drawing in the toolkit's coordinates (integers, y growing downwards) on a
// Quartz context: a drawing offset added to every coordinate, a clip
// rectangle, colours, a line style and width, and a font.
//
// The Quartz context handed in has Quartz's own convention (origin at the
// bottom-left corner, y upwards); the draw context flips it over the height
// of the frame or, without a frame, of the bitmap context.
//
// Strokes of odd width run through pixel centres: the point (x, y) names
// pixel column x and pixel row y - 1, so that drawRect's path outlines
// exactly the pixels of its rectangle. Fills cover whole pixels: fillRect
// fills columns left to right - 1 and rows top to bottom - 1.
//
// With a frame, the context covers the frame's view: its clip is the part
// the frame's scroll origin shows, and a context made without a Quartz
// context draws straight into the window's port at the view's place. Such a
// context is the frame's current context for its life. A context on a
// window without a frame has no Quartz context and draws nothing.
//
// Main thread only.

#include <cstdint>

#include "platform/graphics/CoreGraphics.h"
#include "platform/graphics/QuickDraw.h"
#include "toolkit/CColor.h"
#include "toolkit/CGeometry.h"
#include "toolkit/CReferenceCounter.h"
#include "toolkit/Fonts.h"

class CBitmap;
class CFrame;
struct OpaqueWindowPtr;
using WindowRef = OpaqueWindowPtr*;

enum CDrawStyle : int32_t { kDrawStroked = 0, kDrawFilled, kDrawFilledAndStroked };
enum CLineStyle : int32_t { kLineSolid = 0, kLineOnOffDash };
// Anti-aliasing is on exactly in kAntialias mode.
enum CDrawMode : int32_t { kCopyMode = 0, kAntialias = 3 };
enum CHoriTxtAlign : int32_t { kLeftText = 0, kCenterText, kRightText };

class CDrawContext : public CReferenceCounter {
  public:
    CDrawContext(CFrame* frame, CGContextRef cgContext, WindowRef window);
    ~CDrawContext() override;

    // Synchronises pending drawing first.
    void forget() override;
    // A new image of the pixels drawn, for contexts that own them.
    virtual CGImageRef getCGImage() { return nullptr; }
    virtual CBitmap* getBitmap() { return nullptr; }
    virtual void releaseBitmap() {}
    // The QuickDraw port the context draws on, if it has one.
    virtual CGrafPtr getPort() { return nullptr; }

    void moveTo(const CPoint& point);
    void lineTo(const CPoint& point);
    // numberOfLines segments, each from a pair of consecutive points.
    void drawLines(const CPoint* points, int32_t numberOfLines);
    void drawPolygon(const CPoint* points, int32_t numberOfPoints, CDrawStyle style = kDrawStroked);
    void fillPolygon(const CPoint* points, int32_t numberOfPoints);
    void polyLine(const CPoint* points, int32_t numberOfPoints);
    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void fillRect(const CRect& rect);
    void drawEllipse(const CRect& rect, CDrawStyle style = kDrawStroked);
    void fillEllipse(const CRect& rect);
    // Angles in degrees, anticlockwise on screen from startAngle to endAngle.
    void drawArc(const CRect& rect, float startAngle, float endAngle, CDrawStyle style = kDrawStroked);
    // The arc between the directions of two points from the rectangle's centre.
    void drawArc(const CRect& rect, const CPoint& point1, const CPoint& point2);
    // The pie slice between those directions.
    void fillArc(const CRect& rect, const CPoint& point1, const CPoint& point2);
    void drawPoint(const CPoint& point, const CColor& color);
    void floodFill(const CPoint&) {}
    CColor getPoint(const CPoint&) { return kBlackCColor; }

    void setLineStyle(CLineStyle style);
    CLineStyle getLineStyle() const { return lineStyle; }
    void setLineWidth(CCoord width);
    CCoord getLineWidth() const { return frameWidth; }
    void setDrawMode(CDrawMode mode);
    CDrawMode getDrawMode() const { return drawMode; }
    void setFrameColor(const CColor& color);
    CColor getFrameColor() const { return frameColor; }
    void setFillColor(const CColor& color);
    CColor getFillColor() const { return fillColor; }
    void setFontColor(const CColor& color) { fontColor = color; }
    CColor getFontColor() const { return fontColor; }
    // size 0: the font's standard size; style: CTxtFace bits.
    void setFont(int32_t font, int32_t size = 0, int32_t style = 0);
    CFont getFont() const { return fontId; }
    int32_t getFontSize() const { return fontSize; }
    int32_t getFontStyle() const { return fontStyle; }

    // rect is in drawing coordinates: the offset is added.
    void setClipRect(const CRect& rect);
    // In context coordinates (offset included).
    CRect& getClipRect(CRect& rect) const;
    void resetClipRect();

    CCoord getStringWidth(const char* text);
    // opaque is not used.
    void drawString(const char* text, const CRect& rect, int16_t opaque = 0,
                    CHoriTxtAlign align = kCenterText);

    // The Quartz context with the state saved and the clip applied, flipped
    // back to bottom-up coordinates unless keepFlip; null when there is none.
    // Give it back with releaseCGContext.
    CGContextRef beginCGContext(bool keepFlip = false);
    void releaseCGContext(CGContextRef context);
    void synchronizeCGContext();
    // Draws image into where (context coordinates, no offset added) upright;
    // between beginCGContext(true) and releaseCGContext.
    void drawCGImage(CGImageRef image, const CRect& where);
    CGContextRef getCGContext() const { return gCGContext; }

    // The buttons down and the modifiers held (CMouseButton bits); control
    // with the primary button reads as the secondary button.
    long getMouseButtons();
    // The mouse in frame coordinates.
    void getMouseLocation(CPoint& point);
    // Takes the next mouse down or drag within the double-click time: true
    // for a mouse down.
    bool waitDoubleClick();
    // Takes the next mouse up, down or drag while the primary button is
    // down: true for a drag.
    bool waitDrag();

    const CPoint& getOffset() const { return offset; }
    void setOffset(const CPoint& point) { offset = point; }
    const CPoint& getScreenOffset() const { return offsetScreen; }
    CFrame* getFrame() const { return pFrame; }
    // For a frame going before its context: the context forgets it.
    void detachFrame() { pFrame = nullptr; }
    WindowRef getWindow() const { return pWindow; }

  protected:
    // Takes a reference to context, flips it over height, moves the origin
    // to origin, clips it and sets its state to the toolkit's defaults.
    void attachCGContext(CGContextRef context, CCoord height, const CPoint& origin = CPoint());
    // Restores the context's state, synchronises and lets it go.
    void detachCGContext();
    // Saves the state, clips and shifts strokes onto pixel centres; pair
    // with endDrawing.
    bool beginDrawing();
    void endDrawing();
    void strokeOrFill(CDrawStyle style);
    // Strokes run through pixel centres (see above), fills along pixel edges.
    void addPath(const CPoint* points, int32_t numberOfPoints, bool throughCentres);
    CGPoint strokePoint(const CPoint& point) const;
    void applyFrameColor();
    void applyFillColor();
    void applyLineStyle();

    CPoint offsetScreen;
    CPoint offset;
    CGContextRef givenContext = nullptr;
    WindowRef pWindow = nullptr;
    CFrame* pFrame = nullptr;

    CFont fontId = kFontSystem;
    int32_t fontSize = 0;
    int32_t fontStyle = kPlainFace;
    CColor fontColor = kWhiteCColor;
    CColor frameColor = kWhiteCColor;
    CColor fillColor = kBlackCColor;
    CPoint penLoc;
    CCoord frameWidth = 1;
    CLineStyle lineStyle = kLineSolid;
    CDrawMode drawMode = kCopyMode;
    CRect clipRect;

    CGContextRef gCGContext = nullptr;
    CGContextRef windowContext = nullptr; // begun on the window's port
    CCoord flipHeight = 0;
    bool needToSynchronizeCGContext = false;
};
