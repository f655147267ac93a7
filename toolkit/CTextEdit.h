#pragma once

// A value display that turns into an editable single-line field when
// clicked (style kDoubleClickStyle: double-clicked). Return or enter ends
// the edit and keeps the text, escape ends it and throws the edit away, and
// so does losing the focus or the window's activation; a changed text is
// reported to the listener.

#include "platform/hitoolbox/HIToolbox.h"
#include "toolkit/CParamDisplay.h"

using CTextEditStringConvert = void (*)(char* input, char* output);
using CTextEditStringConvertUserData = void (*)(char* input, char* output, void* userData);

class CTextEdit : public CParamDisplay {
  public:
    static constexpr int kTextSize = 256; // the terminator included

    CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* text = nullptr,
              CBitmap* background = nullptr, long style = 0);
    ~CTextEdit() override;

    // Cut to 255 characters; null clears the text.
    virtual void setText(const char* text);
    // text holds kTextSize characters.
    virtual void getText(char* text) const;
    virtual void setTextEditConvert(CTextEditStringConvert convert);
    virtual void setTextEditConvert(CTextEditStringConvertUserData convert, void* userData);

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = kButtonsFromContext) override;
    // Starts editing.
    void takeFocus(CDrawContext* context = nullptr) override;
    // Ends editing (once, however often it is called).
    void looseFocus(CDrawContext* context = nullptr) override;
    bool isTypeOf(const char* name) const override;

    bool isEditing() const { return editing; }
    bool wasReturnPressed() const { return bWasReturnPressed; }
    // The edit field while editing.
    ControlRef getPlatformControl() const { return platformControl; }

  protected:
    static OSStatus eventHandler(EventHandlerCallRef callRef, EventRef event, void* textEdit);
    OSStatus handleEvent(EventHandlerCallRef callRef, EventRef event);
    // The field's place in the frame's view.
    Rect fieldBounds(CDrawContext* context) const;

    char text[kTextSize] = {};
    char textBeforeEdit[kTextSize] = {};
    CTextEditStringConvert editConvert = nullptr;
    CTextEditStringConvertUserData editConvert2 = nullptr;
    void* editConvertUserData = nullptr;
    ControlRef platformControl = nullptr;
    EventHandlerRef fieldHandler = nullptr;
    EventHandlerRef windowHandler = nullptr;
    bool editing = false;
    bool bWasReturnPressed = false;
    bool escaped = false;
};
