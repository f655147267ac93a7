#include "platform/hitoolbox/X11Keys.h"

#include <X11/keysym.h>

#include <algorithm>
#include <iterator>

namespace {

struct Entry {
    unsigned long keysym;
    UInt32 code;
    char character;
};

// Characters 0 come from X; the others are what the Macintosh keyboard
// types for keys that print nothing.
constexpr Entry kKeys[] = {
    {XK_a, 0, 0},
    {XK_s, 1, 0},
    {XK_d, 2, 0},
    {XK_f, 3, 0},
    {XK_h, 4, 0},
    {XK_g, 5, 0},
    {XK_z, 6, 0},
    {XK_x, 7, 0},
    {XK_c, 8, 0},
    {XK_v, 9, 0},
    {XK_b, 11, 0},
    {XK_q, 12, 0},
    {XK_w, 13, 0},
    {XK_e, 14, 0},
    {XK_r, 15, 0},
    {XK_y, 16, 0},
    {XK_t, 17, 0},
    {XK_1, 18, 0},
    {XK_2, 19, 0},
    {XK_3, 20, 0},
    {XK_4, 21, 0},
    {XK_6, 22, 0},
    {XK_5, 23, 0},
    {XK_equal, 24, 0},
    {XK_9, 25, 0},
    {XK_7, 26, 0},
    {XK_minus, 27, 0},
    {XK_8, 28, 0},
    {XK_0, 29, 0},
    {XK_bracketright, 30, 0},
    {XK_o, 31, 0},
    {XK_u, 32, 0},
    {XK_bracketleft, 33, 0},
    {XK_i, 34, 0},
    {XK_p, 35, 0},
    {XK_Return, 36, '\r'},
    {XK_l, 37, 0},
    {XK_j, 38, 0},
    {XK_apostrophe, 39, 0},
    {XK_k, 40, 0},
    {XK_semicolon, 41, 0},
    {XK_backslash, 42, 0},
    {XK_comma, 43, 0},
    {XK_slash, 44, 0},
    {XK_n, 45, 0},
    {XK_m, 46, 0},
    {XK_period, 47, 0},
    {XK_Tab, 48, '\t'},
    {XK_ISO_Left_Tab, 48, '\t'},
    {XK_space, 49, ' '},
    {XK_grave, 50, 0},
    {XK_BackSpace, 51, '\b'},
    {XK_Escape, 53, 0x1B},
    // The keypad: with and without num lock.
    {XK_KP_Decimal, 65, '.'},
    {XK_KP_Delete, 65, '.'},
    {XK_KP_Multiply, 67, '*'},
    {XK_KP_Add, 69, '+'},
    {XK_Num_Lock, 71, 0x1B},
    {XK_KP_Divide, 75, '/'},
    {XK_KP_Enter, 76, 0x03},
    {XK_KP_Subtract, 78, '-'},
    {XK_KP_Equal, 81, '='},
    {XK_KP_0, 82, '0'},
    {XK_KP_Insert, 82, '0'},
    {XK_KP_1, 83, '1'},
    {XK_KP_End, 83, '1'},
    {XK_KP_2, 84, '2'},
    {XK_KP_Down, 84, '2'},
    {XK_KP_3, 85, '3'},
    {XK_KP_Next, 85, '3'},
    {XK_KP_4, 86, '4'},
    {XK_KP_Left, 86, '4'},
    {XK_KP_5, 87, '5'},
    {XK_KP_Begin, 87, '5'},
    {XK_KP_6, 88, '6'},
    {XK_KP_Right, 88, '6'},
    {XK_KP_7, 89, '7'},
    {XK_KP_Home, 89, '7'},
    {XK_KP_8, 91, '8'},
    {XK_KP_Up, 91, '8'},
    {XK_KP_9, 92, '9'},
    {XK_KP_Prior, 92, '9'},
    // Function keys type 0x10; print, scroll lock and pause are where F13
    // to F15 are, insert where help is.
    {XK_F5, 96, 0x10},
    {XK_F6, 97, 0x10},
    {XK_F7, 98, 0x10},
    {XK_F3, 99, 0x10},
    {XK_F8, 100, 0x10},
    {XK_F9, 101, 0x10},
    {XK_F11, 103, 0x10},
    {XK_F13, 105, 0x10},
    {XK_Print, 105, 0x10},
    {XK_F14, 107, 0x10},
    {XK_Scroll_Lock, 107, 0x10},
    {XK_F10, 109, 0x10},
    {XK_F12, 111, 0x10},
    {XK_F15, 113, 0x10},
    {XK_Pause, 113, 0x10},
    {XK_Help, 114, 0x05},
    {XK_Insert, 114, 0x05},
    {XK_Home, 115, 0x01},
    {XK_Prior, 116, 0x0B},
    {XK_Delete, 117, 0x7F},
    {XK_F4, 118, 0x10},
    {XK_End, 119, 0x04},
    {XK_F2, 120, 0x10},
    {XK_Next, 121, 0x0C},
    {XK_F1, 122, 0x10},
    {XK_Left, 123, 0x1C},
    {XK_Right, 124, 0x1D},
    {XK_Down, 125, 0x1F},
    {XK_Up, 126, 0x1E},
};

} // namespace

namespace platform::detail {

MacKey macKeyOf(unsigned long keysym)
{
    const auto found =
        std::find_if(std::begin(kKeys), std::end(kKeys), [&](const Entry& e) { return e.keysym == keysym; });
    if (found == std::end(kKeys)) return {kNoMacKeyCode, 0};
    return {found->code, found->character};
}

} // namespace platform::detail
