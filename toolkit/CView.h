#pragma once

// The base of everything drawn in a frame: a rectangle in its container's
// coordinates that draws itself, answers the mouse, the wheel and keys, and
// carries attributes. Views are reference counted: a container holds one
// reference to each child.
//
// Main thread only.

#include <cstdint>
#include <vector>

#include "toolkit/CGeometry.h"
#include "toolkit/CReferenceCounter.h"
#include "toolkit/MouseButtons.h"
#include "toolkit/VstKeyCode.h"

class AEffGUIEditor;
class CBitmap;
class CDragContainer;
class CDrawContext;
class CFrame;
class CViewContainer;

// Compared by pointer: a container answers notify with true for exactly this
// message.
extern const char* const kMsgCheckIfViewContainer;

using CViewAttributeID = uint32_t;
inline constexpr CViewAttributeID kCViewAttributeReferencePointer = 0x63767270; // 'cvrp'

enum CMouseWheelAxis : int32_t { kMouseWheelAxisX = 0, kMouseWheelAxisY };

enum CCursorType : int32_t {
    kCursorDefault = 0,
    kCursorWait,
    kCursorHSize,
    kCursorVSize,
    kCursorSizeAll,
    kCursorNESWSize,
    kCursorNWSESize,
    kCursorCopy,
    kCursorNotAllowed,
    kCursorHand,
};

// What key and mouse calls answer when they leave the event to others.
inline constexpr long kNotHandled = -1;

class CView : public CReferenceCounter {
  public:
    explicit CView(const CRect& size);
    ~CView() override;

    // Clears the dirty flag.
    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    // Whether updateRect overlaps the view, edges inclusive.
    virtual bool checkUpdate(const CRect& updateRect) const;
    // where is in the container's coordinates; buttons kButtonsFromContext
    // asks the context.
    virtual void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext);
    // Remembers bitmap (which may be null), forgets the previous one.
    virtual void setBackground(CBitmap* bitmap);
    virtual CBitmap* getBackground() const { return pBackground; }
    // kNotHandled unless the key was used.
    virtual long onKeyDown(VstKeyCode& keyCode);
    virtual long onKeyUp(VstKeyCode& keyCode);
    virtual bool onWheel(CDrawContext* context, const CPoint& where, float distance);
    // Calls the form without axis.
    virtual bool onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance);
    virtual bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void looseFocus(CDrawContext* context = nullptr);
    virtual void takeFocus(CDrawContext* context = nullptr);
    virtual bool isDirty() const { return bDirty; }
    virtual void setDirty(bool dirty = true) { bDirty = dirty; }
    virtual void setMouseEnabled(bool enabled = true) { bMouseEnabled = enabled; }
    virtual bool getMouseEnabled() const { return bMouseEnabled; }
    virtual void setMouseableArea(const CRect& rect) { mouseableArea = rect; }
    virtual CRect& getMouseableArea(CRect& rect) const;
    // Inside the mouseable area, all four edges inclusive.
    virtual bool hitTest(const CPoint& where, long buttons = kButtonsFromContext);
    virtual void setTransparency(bool transparent) { bTransparencyEnabled = transparent; }
    virtual bool getTransparency() const { return bTransparencyEnabled; }
    // Stores the size and sets dirty.
    virtual void setViewSize(const CRect& rect);
    virtual CRect& getViewSize(CRect& rect) const;
    virtual bool removed(CView* parent);
    virtual bool attached(CView* parent);
    // The mouse in the view's container's coordinates.
    virtual void getMouseLocation(CDrawContext* context, CPoint& point);
    virtual CPoint& frameToLocal(CPoint& point) const;
    virtual CPoint& localToFrame(CPoint& point) const;
    virtual AEffGUIEditor* getEditor() const;
    virtual long notify(CView* sender, const char* message);
    virtual void redrawRect(CDrawContext* context, const CRect& rect);
    virtual bool wantsFocus() const { return bWantsFocus; }
    virtual void setWantsFocus(bool wants) { bWantsFocus = wants; }
    // True for this class's name and its bases' ("CView").
    virtual bool isTypeOf(const char* type) const;
    // Redraws the view when dirty.
    virtual void update(CDrawContext* context);

    // Asks the frame to draw this view.
    void redraw();

    // An existing key keeps its length: new bytes fit in it or are refused.
    bool setAttribute(CViewAttributeID id, int32_t size, const void* data);
    bool getAttributeSize(CViewAttributeID id, int32_t& size) const;
    // Refused when capacity is smaller than the stored length.
    bool getAttribute(CViewAttributeID id, int32_t capacity, void* data, int32_t& size) const;

    CFrame* getFrame() const { return pParentFrame; }
    CView* getParentView() const { return pParentView; }
    // Set by the container that adds the view.
    void setParentView(CView* parent) { pParentView = parent; }
    void setFrame(CFrame* frame) { pParentFrame = frame; }

  protected:
    struct Attribute {
        CViewAttributeID id;
        std::vector<uint8_t> bytes;
    };

    CRect size;
    CRect mouseableArea;
    CFrame* pParentFrame = nullptr;
    CView* pParentView = nullptr;
    bool bDirty = false;
    bool bMouseEnabled = true;
    bool bTransparencyEnabled = false;
    bool bWantsFocus = false;
    CBitmap* pBackground = nullptr;
    std::vector<Attribute> attributes; // in the order added
};
