#pragma once

// A view holding child views in the order added (the last one on top):
// draws them over its background, routes the mouse, the wheel, keys and
// drags to them, keeps track of the dirty ones and can draw through an
// off-screen context. Children are in the container's coordinates.
//
// Main thread only.

#include <vector>

#include "toolkit/CColor.h"
#include "toolkit/CView.h"

class COffscreenContext;

enum CViewContainerUpdateMode : long {
    kRedrawWhenDirty = 0,     // the whole container when anything is dirty
    kRedrawDirtyChildren = 1, // only the dirty children
    kNoUpdate = 2,            // and any other value
};

class CViewContainer : public CView {
  public:
    // frame may be null; it becomes the container's parent frame.
    CViewContainer(const CRect& size, CFrame* frame, CBitmap* background = nullptr);
    ~CViewContainer() override;

    // Takes a reference to view; null is ignored.
    virtual void addView(CView* view);
    virtual void addView(CView* view, const CRect& mouseableArea, bool mouseEnabled = true);
    // Releases the list's reference, and one more withForget.
    virtual void removeView(CView* view, bool withForget = true);
    virtual void removeAll(bool withForget = true);
    virtual bool isChild(CView* view) const;
    virtual long getNbViews() const { return long(children.size()); }
    // Null out of range.
    virtual CView* getView(long index) const;
    virtual void setBackgroundColor(const CColor& color);
    virtual CColor getBackgroundColor() const { return backgroundColor; }
    virtual void setBackgroundOffset(const CPoint& offset) { backgroundOffset = offset; }
    virtual const CPoint& getBackgroundOffset() const { return backgroundOffset; }
    // rect in local coordinates.
    virtual void drawBackgroundRect(CDrawContext* context, const CRect& rect);
    virtual void setMode(long mode) { updateMode = mode; }
    virtual long getMode() const { return updateMode; }
    virtual void useOffscreen(bool use);
    // The child under the frame's current mouse location.
    virtual CView* getCurrentView() const;
    // where in the container's parent coordinates; deep descends into child
    // containers.
    virtual CView* getViewAt(const CPoint& where, bool deep = false) const;
    // Makes the first child after current that wants the focus the frame's
    // focus view.
    virtual bool advanceNextFocusView(CView* current, bool reverse = false);

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    // Always kNotHandled, also when a child took the key.
    long onKeyDown(VstKeyCode& keyCode) override;
    long onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance) override;
    bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void looseFocus(CDrawContext* context = nullptr) override;
    void takeFocus(CDrawContext* context = nullptr) override;
    // Also true when a dirty child overlaps the container.
    bool isDirty() const override;
    void setViewSize(const CRect& rect) override;
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    CPoint& frameToLocal(CPoint& point) const override;
    CPoint& localToFrame(CPoint& point) const override;
    long notify(CView* sender, const char* message) override;
    void redrawRect(CDrawContext* context, const CRect& rect) override;
    bool isTypeOf(const char* type) const override;
    void update(CDrawContext* context) override;

    // Whether a mouse-enabled child is under where (parent coordinates).
    bool hitTestSubViews(const CPoint& where, long buttons = kButtonsFromContext);
    // Shift the context's offset by the container's origin and back.
    void modifyDrawContext(CPoint& saved, CDrawContext* context) const;
    void restoreDrawContext(CDrawContext* context, const CPoint& saved) const;

  protected:
    // The local rectangle (0, 0, width, height).
    CRect localRect() const;
    // A new off-screen context of the container's size.
    void makeOffscreen();
    // The context the children draw in: the off-screen one, or context
    // moved to the container's origin. endChildDrawing copies the local
    // rectangle drawn off-screen to context, or moves context back.
    CDrawContext* beginChildDrawing(CDrawContext* context, CPoint& savedOffset);
    void endChildDrawing(CDrawContext* context, const CRect& local, const CPoint& savedOffset);

    std::vector<CView*> children; // first added first
    CColor backgroundColor = kBlackCColor;
    CPoint backgroundOffset;
    long updateMode = kRedrawDirtyChildren;
    bool bDrawInOffscreen = false;
    COffscreenContext* pOffscreenContext = nullptr;
    CView* pLastDragView = nullptr; // the child under the drag, not held
};
