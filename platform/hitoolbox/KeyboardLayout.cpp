#include "platform/hitoolbox/KeyboardLayout.h"

#include <cctype>

#include "platform/corefoundation/CoreFoundation.h"

// The one layout: US, as characters for each Macintosh key code without and
// with shift.
struct OpaqueKeyboardLayoutRef {
    struct Key {
        char plain, shifted;
    };
    Key keys[128];
};

namespace {

constexpr char kReturn = 0x0D, kEnter = 0x03, kTab = 0x09, kBackspace = 0x08, kEscape = 0x1B,
               kForwardDelete = 0x7F, kFunctionKey = 0x10, kHome = 0x01, kEnd = 0x04, kPageUp = 0x0B,
               kPageDown = 0x0C, kHelp = 0x05, kLeft = 0x1C, kRight = 0x1D, kUp = 0x1E, kDown = 0x1F;

constexpr OpaqueKeyboardLayoutRef makeUSLayout()
{
    OpaqueKeyboardLayoutRef layout{};
    auto set = [&](int code, char plain, char shifted) { layout.keys[code] = {plain, shifted}; };
    auto same = [&](int code, char c) { set(code, c, c); };
    // The letters and the main block's symbols.
    const char* letters = "asdfhgzxcv?bqweryt";
    for (int code = 0; code < 18; ++code)
        if (letters[code] != '?') set(code, letters[code], static_cast<char>(letters[code] - 'a' + 'A'));
    set(18, '1', '!');
    set(19, '2', '@');
    set(20, '3', '#');
    set(21, '4', '$');
    set(22, '6', '^');
    set(23, '5', '%');
    set(24, '=', '+');
    set(25, '9', '(');
    set(26, '7', '&');
    set(27, '-', '_');
    set(28, '8', '*');
    set(29, '0', ')');
    set(30, ']', '}');
    set(31, 'o', 'O');
    set(32, 'u', 'U');
    set(33, '[', '{');
    set(34, 'i', 'I');
    set(35, 'p', 'P');
    same(36, kReturn);
    set(37, 'l', 'L');
    set(38, 'j', 'J');
    set(39, '\'', '"');
    set(40, 'k', 'K');
    set(41, ';', ':');
    set(42, '\\', '|');
    set(43, ',', '<');
    set(44, '/', '?');
    set(45, 'n', 'N');
    set(46, 'm', 'M');
    set(47, '.', '>');
    same(48, kTab);
    same(49, ' ');
    set(50, '`', '~');
    same(51, kBackspace);
    same(53, kEscape);
    // The keypad.
    same(65, '.');
    same(67, '*');
    same(69, '+');
    same(71, kEscape);
    same(75, '/');
    same(76, kEnter);
    same(78, '-');
    same(81, '=');
    const int digits[] = {82, 83, 84, 85, 86, 87, 88, 89, 91, 92};
    for (int d = 0; d < 10; ++d) same(digits[d], static_cast<char>('0' + d));
    // Function keys, F1 to F15.
    for (int code : {122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113})
        same(code, kFunctionKey);
    // Navigation.
    same(114, kHelp);
    same(115, kHome);
    same(116, kPageUp);
    same(117, kForwardDelete);
    same(119, kEnd);
    same(121, kPageDown);
    same(123, kLeft);
    same(124, kRight);
    same(125, kDown);
    same(126, kUp);
    return layout;
}

constinit OpaqueKeyboardLayoutRef usLayout = makeUSLayout();

} // namespace

long GetScriptManagerVariable(short selector)
{
    if (selector == smKCHRCache) return reinterpret_cast<long>(&usLayout);
    return 0;
}

OSStatus KLGetCurrentKeyboardLayout(KeyboardLayoutRef* oKeyboardLayout)
{
    if (!oKeyboardLayout) return paramErr;
    *oKeyboardLayout = &usLayout;
    return noErr;
}

OSStatus KLGetKeyboardLayoutProperty(KeyboardLayoutRef iKeyboardLayout,
                                     KeyboardLayoutPropertyTag iPropertyTag, const void** oValue)
{
    if (iKeyboardLayout != &usLayout || !oValue) return paramErr;
    static const SInt32 identifier = kKLUSKeyboardLayout;
    switch (iPropertyTag) {
    case kKLKCHRData:
        *oValue = &usLayout;
        return noErr;
    case kKLIdentifier:
        *oValue = &identifier;
        return noErr;
    case kKLName:
        *oValue = CFSTR("U.S.");
        return noErr;
    default:
        return kKLUnsupportedPropertyErr;
    }
}

UInt32 KeyTranslate(const void* transData, UInt16 keycode, UInt32* state)
{
    if (state) *state = 0;
    if (transData != &usLayout) return 0;
    const OpaqueKeyboardLayoutRef::Key key = usLayout.keys[keycode & 0x7F];
    const UInt32 modifiers = keycode & 0xFF00u;
    char c = (modifiers & shiftKey) ? key.shifted : key.plain;
    if ((modifiers & alphaLock) && std::islower(static_cast<unsigned char>(c)))
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return static_cast<unsigned char>(c);
}
