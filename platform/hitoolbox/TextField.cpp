#include "platform/hitoolbox/TextField.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <map>
#include <vector>

#include "platform/graphics/FontFace.h"
#include "platform/hitoolbox/Event.h"
#include "platform/hitoolbox/Strings.h"
#include "platform/hitoolbox/View.h"
#include "platform/hitoolbox/Window.h"

namespace {

using platform::detail::getParameter;
using platform::detail::setParameter;

constexpr size_t kMaxLength = 32767;
// Between the field's edges and its text.
constexpr double kInset = 2;
constexpr SInt16 kDefaultSize = 12;

// Key codes the field acts on.
enum : UInt32 {
    kReturnKey = 36,
    kTabKey = 48,
    kBackspaceKey = 51,
    kEscapeKey = 53,
    kEnterKey = 76,
    kHomeKey = 115,
    kForwardDeleteKey = 117,
    kEndKey = 119,
    kLeftKey = 123,
    kRightKey = 124,
    kDownKey = 125,
    kUpKey = 126,
};

// Font families by name, numbered from 1; 0 is the system font.
std::vector<std::string>& families()
{
    static std::vector<std::string> names{"sans-serif"};
    return names;
}

const std::string& familyName(FMFontFamily family)
{
    return family > 0 && static_cast<size_t>(family) < families().size()
               ? families()[static_cast<size_t>(family)]
               : families()[0];
}

double channel(uint16_t value)
{
    return value / 65535.0;
}

bool isLineBreak(char32_t c)
{
    return c == U'\r' || c == U'\n';
}

class TextField final : public platform::detail::ViewKind {
  public:
    TextField() { resetStyle(); }

    OSStatus handle(ControlRef view, EventHandlerCallRef, EventRef event) override;

    void setText(ControlRef view, std::u32string value)
    {
        if (singleLine) std::erase_if(value, isLineBreak);
        if (value.size() > kMaxLength) value.resize(kMaxLength);
        text = std::move(value);
        select(view, text.size(), text.size());
    }

    // Anchor and caret: the caret moves, the anchor stays while extending.
    void select(ControlRef view, size_t anchor, size_t caret)
    {
        selAnchor = std::min(anchor, text.size());
        selCaret = std::min(caret, text.size());
        view->invalidate();
    }
    size_t selStart() const { return std::min(selAnchor, selCaret); }
    size_t selEnd() const { return std::max(selAnchor, selCaret); }

    void resetStyle()
    {
        style = {};
        style.size = kDefaultSize;
        style.just = teFlushLeft;
        style.backColor = {0xFFFF, 0xFFFF, 0xFFFF};
    }

    void applyStyle(const ControlFontStyleRec& in)
    {
        if (in.flags == 0) resetStyle();
        if (in.flags & kControlUseFontMask) style.font = in.font;
        if (in.flags & kControlUseFaceMask) style.style = in.style;
        if (in.flags & kControlUseSizeMask) style.size = in.size > 0 ? in.size : kDefaultSize;
        if (in.flags & kControlUseForeColorMask) style.foreColor = in.foreColor;
        if (in.flags & kControlUseBackColorMask) style.backColor = in.backColor;
        if (in.flags & kControlUseModeMask) style.mode = in.mode;
        if (in.flags & kControlUseJustMask) style.just = in.just;
        style.flags = static_cast<SInt16>(style.flags | in.flags);
    }

    std::u32string text;
    size_t selAnchor = 0, selCaret = 0;
    ControlFontStyleRec style{};
    bool singleLine = true;
    bool password = false;
    bool focused = false;
    // How far the text is moved left to keep the caret in view.
    double scroll = 0;

  private:
    // Cairo on a scratch surface or the window, set to the field's font.
    void setFont(cairo_t* cr) const
    {
        cairo_set_font_face(
            cr, platform::detail::fontFace(familyName(style.font), style.style & bold, style.style & italic));
        cairo_set_font_size(cr, style.size);
    }
    std::u32string shown() const { return password ? std::u32string(text.size(), U'•') : text; }
    // The advance of each prefix of the shown text: offsets[i] is where
    // character i starts.
    std::vector<double> offsets() const;
    // Where the text starts, in the view, from its width.
    double textLeft(ControlRef view, double width) const;
    size_t indexAt(ControlRef view, double x) const;
    void keepCaretInView(ControlRef view);

    void draw(ControlRef view);
    OSStatus key(ControlRef view, EventRef event);
    OSStatus command(ControlRef view, UInt32 commandID);
    void track(ControlRef view, EventRef event);

    void replaceSelection(ControlRef view, std::u32string with)
    {
        if (singleLine) std::erase_if(with, isLineBreak);
        const size_t start = selStart();
        const size_t room = kMaxLength - (text.size() - (selEnd() - start));
        if (with.size() > room) with.resize(room);
        text.replace(start, selEnd() - start, with);
        select(view, start + with.size(), start + with.size());
        keepCaretInView(view);
    }
    void copy() const;
};

std::vector<double> TextField::offsets() const
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(surface);
    setFont(cr);
    const std::u32string characters = shown();
    std::vector<double> result{0};
    std::string prefix;
    for (char32_t c : characters) {
        prefix += platform::detail::utf8Of(std::u32string(1, c));
        cairo_text_extents_t extents;
        cairo_text_extents(cr, prefix.c_str(), &extents);
        result.push_back(extents.x_advance);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return result;
}

double TextField::textLeft(ControlRef view, double width) const
{
    const double room = view->frame.size.width - 2 * kInset;
    if (width > room || style.just == teFlushLeft || style.just == teFlushDefault) return kInset - scroll;
    if (style.just == teCenter) return kInset + (room - width) / 2;
    return kInset + room - width;
}

size_t TextField::indexAt(ControlRef view, double x) const
{
    const std::vector<double> at = offsets();
    const double left = textLeft(view, at.back());
    // The character boundary nearest to x.
    size_t best = 0;
    for (size_t i = 1; i < at.size(); ++i)
        if (std::abs(left + at[i] - x) < std::abs(left + at[best] - x)) best = i;
    return best;
}

void TextField::keepCaretInView(ControlRef view)
{
    const std::vector<double> at = offsets();
    const double room = view->frame.size.width - 2 * kInset;
    if (at.back() <= room) {
        scroll = 0;
        return;
    }
    const double caret = at[selCaret];
    if (caret - scroll > room) scroll = caret - room;
    if (caret - scroll < 0) scroll = caret;
    scroll = std::clamp(scroll, 0.0, at.back() - room);
}

void TextField::draw(ControlRef view)
{
    WindowRef window = view->window;
    if (!window) return;
    const CGRect visible = view->visibleArea();
    const CGRect area = CGRectIntersection(
        visible,
        window->drawing.value_or(CGRect{{0, 0}, {CGFloat(window->width()), CGFloat(window->height())}}));
    if (CGRectIsEmpty(area)) return;
    // Quartz contexts draw into the same pixels behind Cairo's back.
    cairo_surface_mark_dirty(window->backingStore);
    cairo_t* cr = cairo_create(window->backingStore);
    cairo_rectangle(cr, area.origin.x, area.origin.y, area.size.width, area.size.height);
    cairo_clip(cr);
    const HIPoint origin = view->toWindow(view->boundsOrigin);
    cairo_translate(cr, origin.x, origin.y);
    const double width = view->frame.size.width, height = view->frame.size.height;

    const RGBColor& back = style.backColor;
    cairo_set_source_rgb(cr, channel(back.red), channel(back.green), channel(back.blue));
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);

    setFont(cr);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    const std::vector<double> at = offsets();
    const double left = textLeft(view, at.back());
    const double baseline = std::round((height + font.ascent - font.descent) / 2);
    const double lineTop = baseline - font.ascent, lineHeight = font.ascent + font.descent;
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_clip(cr);
    if (focused && selStart() != selEnd()) {
        cairo_set_source_rgb(cr, 0.71, 0.84, 1.0);
        cairo_rectangle(cr, left + at[selStart()], lineTop, at[selEnd()] - at[selStart()], lineHeight);
        cairo_fill(cr);
    }
    const RGBColor& fore = style.foreColor;
    cairo_set_source_rgb(cr, channel(fore.red), channel(fore.green), channel(fore.blue));
    cairo_move_to(cr, left, baseline);
    cairo_show_text(cr, platform::detail::utf8Of(shown()).c_str());
    if (focused && selStart() == selEnd()) {
        const double x = std::floor(left + at[selCaret]) + 0.5;
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, x, lineTop);
        cairo_line_to(cr, x, lineTop + lineHeight);
        cairo_stroke(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(window->backingStore);
    window->changed = true;
}

void TextField::copy() const
{
    if (selStart() == selEnd() || password) return;
    const std::u32string part = text.substr(selStart(), selEnd() - selStart());
    const std::u16string utf16 = platform::detail::utf16Of(part);
    const std::string utf8 = platform::detail::utf8Of(part);
    ClearCurrentScrap();
    ScrapRef scrap = nullptr;
    GetCurrentScrap(&scrap);
    PutScrapFlavor(scrap, kScrapFlavorTypeUnicode, kScrapFlavorMaskNone,
                   static_cast<Size>(utf16.size() * sizeof(char16_t)), utf16.data());
    // Plain text: what ASCII holds of it.
    std::string plain;
    for (char32_t c : part) plain += c < 0x80 ? static_cast<char>(c) : '?';
    PutScrapFlavor(scrap, kScrapFlavorTypeText, kScrapFlavorMaskNone, static_cast<Size>(plain.size()),
                   plain.data());
}

OSStatus TextField::command(ControlRef view, UInt32 commandID)
{
    switch (commandID) {
    case kHICommandSelectAll:
        select(view, 0, text.size());
        return noErr;
    case kHICommandCopy:
        copy();
        return noErr;
    case kHICommandCut:
        copy();
        if (!password) replaceSelection(view, {});
        return noErr;
    case kHICommandClear:
        replaceSelection(view, {});
        return noErr;
    case kHICommandPaste: {
        ScrapRef scrap = nullptr;
        GetCurrentScrap(&scrap);
        Size size = 0;
        if (GetScrapFlavorSize(scrap, kScrapFlavorTypeUnicode, &size) == noErr) {
            std::u16string utf16(static_cast<size_t>(size) / sizeof(char16_t), u'\0');
            GetScrapFlavorData(scrap, kScrapFlavorTypeUnicode, &size, utf16.data());
            replaceSelection(view, platform::detail::codePoints(utf16));
        } else if (GetScrapFlavorSize(scrap, kScrapFlavorTypeText, &size) == noErr) {
            std::string plain(static_cast<size_t>(size), '\0');
            GetScrapFlavorData(scrap, kScrapFlavorTypeText, &size, plain.data());
            replaceSelection(view, platform::detail::codePoints(plain));
        }
        return noErr;
    }
    default:
        return eventNotHandledErr;
    }
}

OSStatus TextField::key(ControlRef view, EventRef event)
{
    const UInt32 code = getParameter<UInt32>(event, kEventParamKeyCode, typeUInt32);
    const UInt32 modifiers = getParameter<UInt32>(event, kEventParamKeyModifiers, typeUInt32);
    char c = 0;
    GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &c);
    const bool shift = modifiers & shiftKey;
    const auto moveTo = [&](size_t caret) {
        const size_t anchor = shift ? selAnchor : caret;
        select(view, anchor, caret);
        keepCaretInView(view);
        return noErr;
    };
    if (modifiers & cmdKey) {
        static constexpr struct {
            char key;
            UInt32 command;
        } commands[] = {
            {'a', kHICommandSelectAll}, {'c', kHICommandCopy}, {'x', kHICommandCut}, {'v', kHICommandPaste}};
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const auto& entry : commands)
            if (entry.key == lower) return command(view, entry.command);
        return eventNotHandledErr;
    }
    switch (code) {
    case kBackspaceKey:
        if (selStart() == selEnd() && selStart() > 0) select(view, selStart() - 1, selStart());
        replaceSelection(view, {});
        return noErr;
    case kForwardDeleteKey:
        if (selStart() == selEnd() && selEnd() < text.size()) select(view, selEnd(), selEnd() + 1);
        replaceSelection(view, {});
        return noErr;
    case kLeftKey:
        if (!shift && selStart() != selEnd()) return moveTo(selStart());
        return moveTo(selCaret > 0 ? selCaret - 1 : 0);
    case kRightKey:
        if (!shift && selStart() != selEnd()) return moveTo(selEnd());
        return moveTo(std::min(selCaret + 1, text.size()));
    case kHomeKey:
    case kUpKey:
        return moveTo(0);
    case kEndKey:
    case kDownKey:
        return moveTo(text.size());
    case kReturnKey:
    case kEnterKey:
        if (singleLine) return eventNotHandledErr;
        replaceSelection(view, U"\r");
        return noErr;
    case kTabKey:
    case kEscapeKey:
        return eventNotHandledErr;
    default:
        break;
    }
    // Printable characters, as the keyboard's Macintosh character codes:
    // those of ASCII.
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
        return eventNotHandledErr;
    replaceSelection(view, std::u32string(1, static_cast<char32_t>(c)));
    return noErr;
}

void TextField::track(ControlRef view, EventRef event)
{
    const HIPoint where = getParameter<HIPoint>(event, kEventParamMouseLocation, typeHIPoint);
    const UInt32 modifiers = getParameter<UInt32>(event, kEventParamKeyModifiers, typeUInt32);
    const size_t at = indexAt(view, where.x);
    if (getParameter<UInt32>(event, kEventParamClickCount, typeUInt32, 1) >= 2) {
        // A double click: the word.
        const auto inWord = [&](size_t i) {
            return i < text.size() && std::iswalnum(static_cast<wint_t>(text[i]));
        };
        size_t start = at, end = at;
        while (start > 0 && inWord(start - 1)) --start;
        while (inWord(end)) ++end;
        select(view, start, end);
    } else {
        select(view, (modifiers & shiftKey) ? selAnchor : at, at);
    }
    // Drag until the button goes up.
    static const EventTypeSpec mouse[] = {{kEventClassMouse, kEventMouseDragged},
                                          {kEventClassMouse, kEventMouseUp}};
    WindowRef window = view->window;
    while (Button()) {
        EventRef next = nullptr;
        if (ReceiveNextEvent(std::size(mouse), mouse, kEventDurationForever, true, &next) != noErr) break;
        const bool up = GetEventKind(next) == kEventMouseUp;
        const HIPoint point = getParameter<HIPoint>(next, kEventParamWindowMouseLocation, typeHIPoint);
        ReleaseEvent(next);
        if (!platform::detail::isWindow(window) || !platform::detail::isView(view)) return;
        select(view, selAnchor, indexAt(view, view->fromWindow(point).x));
        keepCaretInView(view);
        if (up) break;
    }
}

OSStatus TextField::handle(ControlRef view, EventHandlerCallRef, EventRef event)
{
    const UInt32 eventClass = GetEventClass(event), kind = GetEventKind(event);
    if (eventClass == kEventClassKeyboard && (kind == kEventRawKeyDown || kind == kEventRawKeyRepeat))
        return focused ? key(view, event) : eventNotHandledErr;
    if (eventClass == kEventClassCommand && kind == kEventCommandProcess) {
        const HICommand hiCommand = getParameter<HICommand>(event, kEventParamDirectObject, typeHICommand);
        return command(view, hiCommand.commandID);
    }
    // Control events of subviews pass by on their way up.
    if (eventClass != kEventClassControl ||
        getParameter<ControlRef>(event, kEventParamDirectObject, typeControlRef) != view)
        return eventNotHandledErr;
    switch (kind) {
    case kEventControlDraw:
        draw(view);
        return noErr;
    case kEventControlHitTest:
        setParameter(event, kEventParamControlPart, typeControlPartCode, kControlEditTextPart);
        return noErr;
    case kEventControlTrack:
        track(view, event);
        return noErr;
    case kEventControlSetFocusPart: {
        const auto part = getParameter<ControlPartCode>(event, kEventParamControlPart, typeControlPartCode);
        // Moving on from the field (tab) leaves it; any other part takes it.
        focused = part != kControlFocusNoPart && !(focused && part == kControlFocusNextPart) &&
                  !(focused && part == kControlFocusPrevPart);
        setParameter(event, kEventParamControlPart, typeControlPartCode,
                     focused ? kControlEditTextPart : ControlPartCode{kControlFocusNoPart});
        view->invalidate();
        return noErr;
    }
    case kEventControlGetFocusPart:
        setParameter(event, kEventParamControlPart, typeControlPartCode,
                     focused ? kControlEditTextPart : ControlPartCode{kControlFocusNoPart});
        return noErr;
    default:
        return eventNotHandledErr;
    }
}

TextField* fieldOf(ControlRef view)
{
    return platform::detail::isView(view) ? dynamic_cast<TextField*>(view->kind.get()) : nullptr;
}

// The scrap's contents; a reference names the generation it was taken in.
struct Scrap {
    uintptr_t generation = 1;
    std::map<ScrapFlavorType, std::vector<unsigned char>> flavors;
};

Scrap& scrap()
{
    static Scrap current;
    return current;
}

bool isCurrent(ScrapRef ref)
{
    return reinterpret_cast<uintptr_t>(ref) == scrap().generation;
}

} // namespace

OSStatus CreateEditUnicodeTextControl(WindowRef window, const Rect* boundsRect, CFStringRef text,
                                      Boolean isPassword, const ControlFontStyleRec* style,
                                      ControlRef* outControl)
{
    if (!outControl) return paramErr;
    *outControl = nullptr;
    if (!boundsRect || (window && !platform::detail::isWindow(window))) return paramErr;
    ControlRef view = platform::detail::newView(nullptr, platform::detail::hiRect(*boundsRect), nullptr);
    view->features = kControlSupportsFocus | kControlGetsFocusOnClick;
    auto field = std::make_unique<TextField>();
    field->password = isPassword;
    if (style) field->applyStyle(*style);
    view->kind = std::move(field);
    fieldOf(view)->setText(view, platform::detail::codePoints(platform::detail::utf8Of(text)));
    if (window) HIViewAddSubview(window->content, view);
    *outControl = view;
    return noErr;
}

OSErr SetControlData(ControlRef inControl, ControlPartCode, ResType inTagName, Size inSize,
                     const void* inData)
{
    TextField* field = fieldOf(inControl);
    if (!field) return static_cast<OSErr>(errDataNotSupported);
    if (!inData) return static_cast<OSErr>(paramErr);
    const auto sized = [&](Size size) { return inSize == size; };
    switch (inTagName) {
    case kControlEditTextCFStringTag:
        if (!sized(sizeof(CFStringRef))) return static_cast<OSErr>(errDataSizeMismatch);
        field->setText(inControl, platform::detail::codePoints(
                                      platform::detail::utf8Of(*static_cast<const CFStringRef*>(inData))));
        return noErr;
    case kControlEditTextSelectionTag: {
        if (!sized(sizeof(ControlEditTextSelectionRec))) return static_cast<OSErr>(errDataSizeMismatch);
        const auto& selection = *static_cast<const ControlEditTextSelectionRec*>(inData);
        const auto clamp = [&](SInt16 at) { return static_cast<size_t>(std::max<SInt16>(at, 0)); };
        field->select(inControl, clamp(selection.selStart), clamp(selection.selEnd));
        return noErr;
    }
    case kControlEditTextSingleLineTag:
    case kControlEditTextPasswordTag: {
        if (!sized(sizeof(Boolean))) return static_cast<OSErr>(errDataSizeMismatch);
        const bool on = *static_cast<const Boolean*>(inData) != 0;
        (inTagName == kControlEditTextSingleLineTag ? field->singleLine : field->password) = on;
        if (field->singleLine) field->setText(inControl, field->text);
        inControl->invalidate();
        return noErr;
    }
    default:
        return static_cast<OSErr>(errDataNotSupported);
    }
}

OSErr GetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inBufferSize,
                     void* inBuffer, Size* outActualSize)
{
    TextField* field = fieldOf(inControl);
    Size size = 0;
    const OSErr status = GetControlDataSize(inControl, inPart, inTagName, &size);
    if (status != noErr) return status;
    if (outActualSize) *outActualSize = size;
    if (!inBuffer) return noErr;
    if (inBufferSize < size) return static_cast<OSErr>(errDataSizeMismatch);
    switch (inTagName) {
    case kControlEditTextCFStringTag: {
        const CFStringRef copy = platform::detail::newCFString(platform::detail::utf8Of(field->text));
        std::memcpy(inBuffer, &copy, sizeof copy);
        return noErr;
    }
    case kControlEditTextSelectionTag: {
        const ControlEditTextSelectionRec selection{static_cast<SInt16>(field->selStart()),
                                                    static_cast<SInt16>(field->selEnd())};
        std::memcpy(inBuffer, &selection, sizeof selection);
        return noErr;
    }
    default: {
        const Boolean on = inTagName == kControlEditTextSingleLineTag ? field->singleLine : field->password;
        std::memcpy(inBuffer, &on, sizeof on);
        return noErr;
    }
    }
}

OSErr GetControlDataSize(ControlRef inControl, ControlPartCode, ResType inTagName, Size* outMaxSize)
{
    if (!fieldOf(inControl)) return static_cast<OSErr>(errDataNotSupported);
    if (!outMaxSize) return static_cast<OSErr>(paramErr);
    switch (inTagName) {
    case kControlEditTextCFStringTag:
        *outMaxSize = sizeof(CFStringRef);
        return noErr;
    case kControlEditTextSelectionTag:
        *outMaxSize = sizeof(ControlEditTextSelectionRec);
        return noErr;
    case kControlEditTextSingleLineTag:
    case kControlEditTextPasswordTag:
        *outMaxSize = sizeof(Boolean);
        return noErr;
    default:
        return static_cast<OSErr>(errDataNotSupported);
    }
}

OSErr SetControlFontStyle(ControlRef inControl, const ControlFontStyleRec* inStyle)
{
    TextField* field = fieldOf(inControl);
    if (!field) return static_cast<OSErr>(errDataNotSupported);
    if (inStyle)
        field->applyStyle(*inStyle);
    else
        field->resetStyle();
    inControl->invalidate();
    return noErr;
}

OSErr GetControlFontStyle(ControlRef inControl, ControlFontStyleRec* outStyle)
{
    TextField* field = fieldOf(inControl);
    if (!field) return static_cast<OSErr>(errDataNotSupported);
    if (!outStyle) return static_cast<OSErr>(paramErr);
    *outStyle = field->style;
    return noErr;
}

OSStatus HIViewSetText(HIViewRef inView, CFStringRef inText)
{
    return SetControlData(inView, kControlEntireControl, kControlEditTextCFStringTag, sizeof inText, &inText);
}

CFStringRef HIViewCopyText(HIViewRef inView)
{
    CFStringRef text = nullptr;
    GetControlData(inView, kControlEntireControl, kControlEditTextCFStringTag, sizeof text, &text, nullptr);
    return text;
}

FMFontFamily FMGetFontFamilyFromName(ConstStr255Param iName)
{
    if (!iName || iName[0] == 0) return kFMInvalidFontFamily;
    const std::string name(reinterpret_cast<const char*>(iName + 1), iName[0]);
    auto& names = families();
    const auto found = std::find(names.begin() + 1, names.end(), name);
    if (found != names.end()) return static_cast<FMFontFamily>(found - names.begin());
    if (names.size() > 0x7FFF) return kFMInvalidFontFamily;
    names.push_back(name);
    return static_cast<FMFontFamily>(names.size() - 1);
}

OSStatus FMGetFontFamilyName(FMFontFamily iFontFamily, Str255 oName)
{
    if (!oName || iFontFamily < 0 || static_cast<size_t>(iFontFamily) >= families().size()) return paramErr;
    const std::string& name = families()[static_cast<size_t>(iFontFamily)];
    const size_t length = std::min<size_t>(name.size(), 255);
    oName[0] = static_cast<unsigned char>(length);
    std::memcpy(oName + 1, name.data(), length);
    return noErr;
}

OSStatus GetCurrentScrap(ScrapRef* outScrap)
{
    if (!outScrap) return paramErr;
    *outScrap = reinterpret_cast<ScrapRef>(scrap().generation);
    return noErr;
}

OSStatus ClearCurrentScrap(void)
{
    ++scrap().generation;
    scrap().flavors.clear();
    return noErr;
}

OSStatus PutScrapFlavor(ScrapRef ref, ScrapFlavorType flavorType, ScrapFlavorFlags, Size flavorSize,
                        const void* flavorData)
{
    if (!isCurrent(ref)) return noScrapErr;
    if (flavorSize < 0 || (flavorSize > 0 && !flavorData)) return paramErr;
    const auto* bytes = static_cast<const unsigned char*>(flavorData);
    scrap().flavors[flavorType].assign(bytes, bytes + flavorSize);
    return noErr;
}

OSStatus GetScrapFlavorSize(ScrapRef ref, ScrapFlavorType flavorType, Size* byteCount)
{
    if (!isCurrent(ref)) return noScrapErr;
    if (!byteCount) return paramErr;
    const auto found = scrap().flavors.find(flavorType);
    if (found == scrap().flavors.end()) return noTypeErr;
    *byteCount = static_cast<Size>(found->second.size());
    return noErr;
}

OSStatus GetScrapFlavorData(ScrapRef ref, ScrapFlavorType flavorType, Size* byteCount, void* destination)
{
    if (!isCurrent(ref)) return noScrapErr;
    if (!byteCount || *byteCount < 0 || (*byteCount > 0 && !destination)) return paramErr;
    const auto found = scrap().flavors.find(flavorType);
    if (found == scrap().flavors.end()) return noTypeErr;
    const size_t count = std::min(static_cast<size_t>(*byteCount), found->second.size());
    std::memcpy(destination, found->second.data(), count);
    *byteCount = static_cast<Size>(count);
    return noErr;
}
