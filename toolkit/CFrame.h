#pragma once

// The root of a view tree, living in a host window as a custom HIView of a
// class of its own: turns the view's Carbon events (draw, mouse, wheel,
// keys, drags, scrolling, focus) into calls on the tree, keeps the focus and
// modal views, and draws the dirty views at idle.
//
// close() tears the frame down (children, HIView, handlers, its class) and
// is what the destructor runs; the object itself lives on while anyone holds
// a reference, so that a tracking loop that remembered the frame can see
// isClosed() once it returns from the event loop.
//
// Main thread only.

#include <cstdint>
#include <string>

#include "platform/hitoolbox/HIToolbox.h"
#include "toolkit/CViewContainer.h"

class AEffGUIEditor;
class CDragContainer;

class CFrame : public CViewContainer {
  public:
    // Makes the HIView in window (none without a window). The frame's size
    // and mouseable area are moved to the origin once the HIView exists.
    CFrame(const CRect& size, WindowRef window, AEffGUIEditor* editor);
    // No HIView; the frame stays closed.
    CFrame(const CRect& size, const char* title, AEffGUIEditor* editor, long style);
    ~CFrame() override;

    // Does nothing: a frame opens with its HIView.
    virtual bool open(CPoint* position = nullptr);
    // Tears the frame down and clears its editor; false when already done.
    virtual bool close();
    virtual bool isOpen() const { return bOpenFlag; }
    // Draws the dirty views, once the window has drawn the frame.
    virtual void idle();
    // The editor's idle pacing; it runs the event loop.
    virtual void doIdleStuff();
    // Milliseconds, 0 without an editor.
    virtual int64_t getTicks() const;
    virtual long getKnobMode() const;
    virtual bool setPosition(CCoord x, CCoord y);
    virtual bool getPosition(CCoord& x, CCoord& y) const;
    virtual bool setSize(CCoord width, CCoord height);
    virtual bool getSize(CRect* rect) const;
    virtual bool getSize(CRect& rect) const;
    // Fails while a modal view is set; null removes it.
    virtual bool setModalView(CView* view);
    virtual CView* getModalView() const { return pModalView; }
    virtual void beginEdit(long index);
    virtual void endEdit(long index);
    // The mouse in frame coordinates.
    virtual void getCurrentLocation(CPoint& where);
    virtual void setCursor(CCursorType type);
    virtual void setFocusView(CView* view);
    virtual CView* getFocusView() const { return pFocusView; }
    // Installs or removes the window's drag handlers.
    virtual bool setDropActive(bool active);
    virtual bool isDropActive() const { return bDropActive; }
    virtual void setOpenFlag(bool open) { bOpenFlag = open; }
    virtual bool getOpenFlag() const { return bOpenFlag; }
    // Marks the children overlapping rect dirty; drawn at the next idle.
    virtual void invalidate(const CRect& rect);
    virtual bool updatesDisabled() const { return bUpdatesDisabled; }
    virtual bool updatesDisabled(bool disabled);
    // Draws view (a direct child) or, without one, the whole frame.
    virtual void draw(CView* view = nullptr);

    // Also clears the modal view when it is the one removed.
    void removeView(CView* view, bool withForget = true) override;
    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    long onKeyDown(VstKeyCode& keyCode) override;
    long onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance) override;
    void update(CDrawContext* context) override;
    bool advanceNextFocusView(CView* current, bool reverse = false) override;
    CView* getCurrentView() const override;
    void setViewSize(const CRect& rect) override;
    AEffGUIEditor* getEditor() const override { return pEditor; }
    bool isTypeOf(const char* type) const override;

    // Set once close() has run; stays readable through a held reference.
    bool isClosed() const { return bClosed; }
    WindowRef getSystemWindow() const { return pSystemWindow; }
    // The frame's HIView, for the host to embed; null when none was made.
    HIViewRef getPlatformControl() const { return controlRef; }
    // The HIView's bounds origin set by scrolling.
    CGPoint getScrollOrigin() const { return {hiScrollOffset.x, hiScrollOffset.y}; }

    // The current context with a reference added, else a new one on the
    // window; the caller forgets it.
    CDrawContext* createDrawContext();
    // A context registers itself here for its life.
    void setDrawContext(CDrawContext* context) { pFrameContext = context; }
    CDrawContext* getDrawContext() const { return pFrameContext; }

    // The toolbox focus switch; nothing sets it.
    static bool hiToolboxAllowFocusChange;

    // The identifier of the frame's own view class: a fixed prefix, a dot
    // and the frame's address in hexadecimal, all of its digits.
    static std::string classIDFor(const void* frame);
    // The theme cursor for a cursor type on a system of that version.
    static ThemeCursor themeCursorFor(CCursorType type, int32_t systemVersion);
    // The drag over any frame of the process, null when none.
    static CDragContainer* currentDrag();

  protected:
    static OSStatus carbonEventHandler(EventHandlerCallRef callRef, EventRef event, void* frame);
    static OSErr dragTrackingHandler(DragTrackingMessage message, WindowRef window, void* frame,
                                     DragRef drag);
    static OSErr dragReceiveHandler(WindowRef window, void* frame, DragRef drag);
    OSStatus handleEvent(EventRef event);
    OSStatus handleControlEvent(EventRef event, UInt32 kind);
    OSStatus handleDrawEvent(EventRef event);
    OSStatus handleMouseEvent(EventRef event, UInt32 kind);
    OSStatus handleKeyEvent(EventRef event);
    OSStatus handleWheelEvent(EventRef event);
    OSStatus handleScrollEvent(EventRef event);
    OSStatus handleFocusEvent(EventRef event, UInt32 kind);
    OSStatus handleDragEvent(EventRef event, UInt32 kind);
    // Releases the process's drag and wraps drag (none when null).
    static void setDragContainer(DragRef drag);
    // A drag tracking message (or the drop) to the views under the mouse.
    void dragMessage(DragTrackingMessage message);
    void initFrame();
    bool registerWithToolbox();
    // A context on the event's Quartz context, or on the window.
    CDrawContext* contextForEvent(EventRef event);

    AEffGUIEditor* pEditor = nullptr;
    WindowRef pSystemWindow = nullptr;
    CView* pModalView = nullptr;
    CView* pFocusView = nullptr;
    bool bFirstDraw = true;
    bool bOpenFlag = false;
    bool bDropActive = false;
    bool bUpdatesDisabled = false;
    bool bClosed = false;
    bool mouseFocus = false; // holds the toolbox focus
    ToolboxObjectClassRef controlClass = nullptr;
    ControlDefSpec controlSpec{};
    HIViewRef controlRef = nullptr;
    EventHandlerRef textInputHandler = nullptr;
    CGPoint hiScrollOffset{0, 0};
    CDrawContext* pFrameContext = nullptr; // not held
};
