#pragma once

// The editable text field: a view holding a line of text, drawn with its
// font, caret and selection highlight, that edits on raw keys while it has
// the keyboard focus; font families by name; and the process-local scrap
// that its copy, cut and paste use.
//
// The field's own handling runs after the handlers installed on it, so a
// handler there sees raw keys first and passes a key on to the field with
// CallNextEventHandler (or by answering eventNotHandledErr). The field
// takes: printable characters (kEventParamKeyMacCharCodes) replacing the
// selection; backspace and forward delete; left and right arrows, home and
// end (with shift: extending the selection); command-A, -C, -X and -V; the
// commands kHICommandSelectAll, Copy, Cut, Paste and Clear
// (kEventCommandProcess to the field); a click placing the caret, a drag
// extending the selection. A single-line field leaves return, enter and tab
// to others. The text holds at most 32767 characters.
//
// Main thread only.

#include "platform/graphics/MacMemory.h"
#include "platform/hitoolbox/Menus.h"

using FMFontFamily = SInt16;
using ScrapRef = struct OpaqueScrapRef*;
using ScrapFlavorType = OSType;
using ScrapFlavorFlags = UInt32;

struct ControlFontStyleRec {
    SInt16 flags;
    SInt16 font;
    SInt16 size;
    SInt16 style;
    SInt16 mode;
    SInt16 just;
    RGBColor foreColor;
    RGBColor backColor;
};

// ControlFontStyleRec.flags: which fields apply.
enum : SInt16 {
    kControlUseFontMask = 0x0001,
    kControlUseFaceMask = 0x0002,
    kControlUseSizeMask = 0x0004,
    kControlUseForeColorMask = 0x0008,
    kControlUseBackColorMask = 0x0010,
    kControlUseModeMask = 0x0020,
    kControlUseJustMask = 0x0040,
};

// Justification.
enum : SInt16 {
    teFlushDefault = 0,
    teCenter = 1,
    teFlushRight = -1,
    teFlushLeft = -2,
};

// Font faces (ControlFontStyleRec.style).
enum : SInt16 {
    normal = 0,
    bold = 1,
    italic = 2,
};

// The family drawn when none is set: the system font.
inline constexpr FMFontFamily kFMInvalidFontFamily = -1;
inline constexpr FMFontFamily systemFont = 0;

// SetControlData / GetControlData tags of the field.
inline constexpr ControlPartCode kControlEntireControl = 0;
inline constexpr ControlPartCode kControlEditTextPart = 5;
// A CFStringRef: set copies it; get gives a new one, retained for the
// caller.
inline constexpr ResType kControlEditTextCFStringTag = FourCharCode("cfst");
// A ControlEditTextSelectionRec, in characters; set clamps it to the text.
inline constexpr ResType kControlEditTextSelectionTag = FourCharCode("sele");
// A Boolean: a single-line field keeps line breaks out of its text.
inline constexpr ResType kControlEditTextSingleLineTag = FourCharCode("sglc");
// A Boolean: the field shows bullets for its characters.
inline constexpr ResType kControlEditTextPasswordTag = FourCharCode("pass");

struct ControlEditTextSelectionRec {
    SInt16 selStart;
    SInt16 selEnd;
};

inline constexpr OSStatus errDataNotSupported = -30583;
inline constexpr OSStatus errDataSizeMismatch = -30584;

// Scrap flavours.
inline constexpr ScrapFlavorType kScrapFlavorTypeText = FourCharCode("TEXT");
inline constexpr ScrapFlavorType kScrapFlavorTypeUnicode = FourCharCode("utxt");
inline constexpr ScrapFlavorFlags kScrapFlavorMaskNone = 0;
inline constexpr OSStatus noTypeErr = -102;
inline constexpr OSStatus noScrapErr = -100;

#pragma GCC visibility push(default)
extern "C" {

// A field over boundsRect in the window's content view (or alone when the
// window is null), with the text and style (either may be null). Single
// line unless set otherwise; takes the keyboard focus on a click.
OSStatus CreateEditUnicodeTextControl(WindowRef window, const Rect* boundsRect, CFStringRef text,
                                      Boolean isPassword, const ControlFontStyleRec* style,
                                      ControlRef* outControl);
// errDataNotSupported for a view that is not a field or an unknown tag;
// errDataSizeMismatch for a buffer of the wrong size (GetControlData:
// smaller than the data).
OSErr SetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inSize,
                     const void* inData);
OSErr GetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inBufferSize,
                     void* inBuffer, Size* outActualSize);
OSErr GetControlDataSize(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size* outMaxSize);
// Applies the fields that flags names; a null style or flags 0 goes back
// to the system font, size 12, left justified, black.
OSErr SetControlFontStyle(ControlRef inControl, const ControlFontStyleRec* inStyle);
OSErr GetControlFontStyle(ControlRef inControl, ControlFontStyleRec* outStyle);
// The field's text.
OSStatus HIViewSetText(HIViewRef inView, CFStringRef inText);
CFStringRef HIViewCopyText(HIViewRef inView);

// A family number for a font name (length-prefixed); the same name gives
// the same number. kFMInvalidFontFamily for an empty or null name.
FMFontFamily FMGetFontFamilyFromName(ConstStr255Param iName);
OSStatus FMGetFontFamilyName(FMFontFamily iFontFamily, Str255 oName);

// The scrap: one per process, holding one piece of data per flavour.
OSStatus GetCurrentScrap(ScrapRef* scrap);
// Empties it; a scrap reference taken before goes stale (noScrapErr).
OSStatus ClearCurrentScrap(void);
OSStatus PutScrapFlavor(ScrapRef scrap, ScrapFlavorType flavorType, ScrapFlavorFlags flavorFlags,
                        Size flavorSize, const void* flavorData);
// noTypeErr when the flavour is not there.
OSStatus GetScrapFlavorSize(ScrapRef scrap, ScrapFlavorType flavorType, Size* byteCount);
// byteCount: in, the room; out, the bytes copied.
OSStatus GetScrapFlavorData(ScrapRef scrap, ScrapFlavorType flavorType, Size* byteCount, void* destination);

} // extern "C"
#pragma GCC visibility pop
