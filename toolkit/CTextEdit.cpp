#include "toolkit/CTextEdit.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/NumericConversions.h"

namespace {

// Mac key codes.
constexpr UInt32 kReturnKey = 36;
constexpr UInt32 kEnterKey = 76;
constexpr UInt32 kEscapeKey = 53;

const char* const kMsgLooseFocus = "LooseFocus";

SInt16 justification(CHoriTxtAlign align)
{
    switch (align) {
    case kLeftText:
        return teFlushLeft;
    case kRightText:
        return teFlushRight;
    default:
        return teCenter;
    }
}

// The font family of a toolkit font, by its face name.
FMFontFamily fontFamily(CFont font)
{
    unsigned char name[256];
    const int length =
        std::snprintf(reinterpret_cast<char*>(name + 1), sizeof name - 1, "%s", gMacXfontNames[font]);
    name[0] = static_cast<unsigned char>(length < 255 ? length : 255);
    return FMGetFontFamilyFromName(name);
}

} // namespace

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* txt,
                     CBitmap* background, long style)
    : CParamDisplay(size, background, style)
{
    this->listener = listener;
    this->tag = tag;
    setText(txt);
}

CTextEdit::~CTextEdit()
{
    // A field still editing when the frame goes: drop it without reporting.
    if (fieldHandler) RemoveEventHandler(fieldHandler);
    if (windowHandler) RemoveEventHandler(windowHandler);
    if (platformControl) DisposeControl(platformControl);
}

bool CTextEdit::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CTextEdit") == 0 || CParamDisplay::isTypeOf(name);
}

void CTextEdit::setText(const char* txt)
{
    char newText[kTextSize];
    std::snprintf(newText, sizeof newText, "%s", txt ? txt : "");
    if (std::strcmp(newText, text) == 0) return;
    std::strcpy(text, newText);
    setDirty();
}

void CTextEdit::getText(char* txt) const
{
    if (txt) std::strcpy(txt, text);
}

void CTextEdit::setTextEditConvert(CTextEditStringConvert convert)
{
    editConvert = convert;
}

void CTextEdit::setTextEditConvert(CTextEditStringConvertUserData convert, void* userData)
{
    editConvert2 = convert;
    editConvertUserData = userData;
}

void CTextEdit::draw(CDrawContext* context)
{
    if (editing) {
        HIViewSetNeedsDisplay(platformControl, true);
        setDirty(false);
        return;
    }
    char shown[kTextSize] = {};
    if (editConvert2) {
        editConvert2(text, shown, editConvertUserData);
    } else if (editConvert) {
        editConvert(text, shown);
    } else if (stringConvert2 || stringConvert) {
        valueText(shown);
        std::strcpy(text, shown);
    } else {
        std::strcpy(shown, text);
    }
    drawText(context, shown);
}

void CTextEdit::mouse(CDrawContext* context, CPoint&, long buttons)
{
    if (!pParentFrame || !takesClick(context, buttons)) return;
    if (pParentFrame->getFocusView() == this) return;
    if ((style & kDoubleClickStyle) && !isDoubleClick()) return;
    beginEdit();
    takeFocus(context);
}

Rect CTextEdit::fieldBounds(CDrawContext* context) const
{
    CPoint origin;
    localToFrame(origin);
    if (context) origin.offset(context->getOffset().h, context->getOffset().v);
    CRect rect = size;
    rect.offset(origin.h, origin.v);
    // A field taller than its font keeps to a line in the middle.
    const CCoord fontSize = gStandardFontSize[toolkit::validFont(fontID)];
    if (rect.height() > fontSize) {
        rect.top = rect.top + rect.height() / 2 - fontSize / 2 + 1;
        rect.bottom = rect.top + fontSize;
    }
    return {toolkit::clampTo<short>(int64_t{rect.top}), toolkit::clampTo<short>(int64_t{rect.left}),
            toolkit::clampTo<short>(int64_t{rect.bottom}), toolkit::clampTo<short>(int64_t{rect.right})};
}

void CTextEdit::takeFocus(CDrawContext* context)
{
    CFrame* frame = pParentFrame;
    if (!frame || editing) return;
    WindowRef window = frame->getSystemWindow();

    const CFont font = toolkit::validFont(fontID);
    ControlFontStyleRec fontStyle{};
    fontStyle.flags = kControlUseFontMask | kControlUseSizeMask | kControlUseJustMask;
    fontStyle.font = fontFamily(font);
    fontStyle.size = static_cast<SInt16>(gStandardFontSize[font]);
    fontStyle.just = justification(horiTxtAlign);

    const Rect bounds = fieldBounds(context);
    CFStringRef content = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
    ControlRef field = nullptr;
    HIViewRef frameView = frame->getPlatformControl();
    OSStatus status = frameView
                          ? CreateEditUnicodeTextControl(nullptr, &bounds, content, false, &fontStyle, &field)
                          : eventNotHandledErr;
    if (content) CFRelease(content);
    if (status == noErr) status = HIViewAddSubview(frameView, field);
    if (status != noErr || !field) {
        // Not editing: the field goes on showing its text.
        if (field) DisposeControl(field);
        endEdit();
        if (frame->getFocusView() == this) frame->setFocusView(nullptr);
        return;
    }

    const Boolean singleLine = true;
    SetControlData(field, kControlEditTextPart, kControlEditTextSingleLineTag, sizeof singleLine,
                   &singleLine);
    const ControlEditTextSelectionRec all{0, 32767};
    SetControlData(field, kControlEditTextPart, kControlEditTextSelectionTag, sizeof all, &all);

    static const EventTypeSpec fieldEvents[] = {{kEventClassKeyboard, kEventRawKeyDown},
                                                {kEventClassKeyboard, kEventRawKeyRepeat}};
    static const EventTypeSpec windowEvents[] = {{kEventClassWindow, kEventWindowDeactivated},
                                                 {kEventClassMouse, kEventMouseMoved}};
    InstallEventHandler(GetControlEventTarget(field), NewEventHandlerUPP(eventHandler),
                        std::size(fieldEvents), fieldEvents, this, &fieldHandler);
    if (window)
        InstallEventHandler(GetWindowEventTarget(window), NewEventHandlerUPP(eventHandler),
                            std::size(windowEvents), windowEvents, this, &windowHandler);

    platformControl = field;
    std::strcpy(textBeforeEdit, text);
    bWasReturnPressed = false;
    escaped = false;
    editing = true;
    if (window) SetKeyboardFocus(window, field, kControlFocusNextPart);
}

OSStatus CTextEdit::eventHandler(EventHandlerCallRef callRef, EventRef event, void* textEdit)
{
    return static_cast<CTextEdit*>(textEdit)->handleEvent(callRef, event);
}

OSStatus CTextEdit::handleEvent(EventHandlerCallRef callRef, EventRef event)
{
    if (GetEventClass(event) == kEventClassMouse) {
        // An I-beam over the field, the arrow elsewhere.
        HIPoint where{};
        GetEventParameter(event, kEventParamWindowMouseLocation, typeHIPoint, nullptr, sizeof where, nullptr,
                          &where);
        HIViewConvertPoint(&where, HIViewGetRoot(pParentFrame->getSystemWindow()), platformControl);
        HIRect bounds{};
        HIViewGetBounds(platformControl, &bounds);
        const bool inside = where.x >= bounds.origin.x && where.y >= bounds.origin.y &&
                            where.x < bounds.origin.x + bounds.size.width &&
                            where.y < bounds.origin.y + bounds.size.height;
        SetThemeCursor(inside ? kThemeIBeamCursor : kThemeArrowCursor);
        return eventNotHandledErr;
    }
    if (GetEventClass(event) == kEventClassWindow) {
        // The window's own handling first, then the edit ends.
        const OSStatus status = CallNextEventHandler(callRef, event);
        looseFocus();
        return status;
    }
    UInt32 keyCode = 0;
    GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof keyCode, nullptr, &keyCode);
    if (keyCode == kReturnKey || keyCode == kEnterKey) {
        bWasReturnPressed = true;
        looseFocus();
        return noErr;
    }
    if (keyCode == kEscapeKey) {
        escaped = true;
        looseFocus();
        return noErr;
    }
    return eventNotHandledErr; // the field edits
}

void CTextEdit::looseFocus(CDrawContext*)
{
    // Clearing the frame's focus view comes back here: one ending only.
    if (!editing) return;
    editing = false;
    Tracking tracking(this);
    CFrame* frame = pParentFrame;

    endEdit();
    if (frame && frame->getFocusView() == this) frame->setFocusView(nullptr);
    RemoveEventHandler(fieldHandler);
    fieldHandler = nullptr;
    if (windowHandler) RemoveEventHandler(windowHandler);
    windowHandler = nullptr;

    if (!escaped)
        if (CFStringRef edited = HIViewCopyText(platformControl)) {
            char buffer[kTextSize];
            if (CFStringGetCString(edited, buffer, sizeof buffer, kCFStringEncodingUTF8))
                std::strcpy(text, buffer);
            CFRelease(edited);
        }
    DisposeControl(platformControl);
    platformControl = nullptr;
    setDirty();

    if (std::strcmp(text, textBeforeEdit) != 0 && tracking.frameOpen()) {
        if (listener) {
            CDrawContext* context = frame->createDrawContext();
            CPoint origin;
            localToFrame(origin);
            if (context) context->setOffset(origin);
            listener->valueChanged(context, this);
            if (context) context->forget();
        }
        doIdleStuff();
    }
    if (!tracking.frameOpen()) return;
    if (pParentView)
        pParentView->notify(this, kMsgLooseFocus);
    else if (frame)
        frame->notify(this, kMsgLooseFocus);
}
