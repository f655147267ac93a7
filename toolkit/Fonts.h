#pragma once

// The toolkit's fonts: an index into a table of faces and standard sizes,
// and the style bits added to the face's name.

#include <cstdint>

enum CFont : int32_t {
    kFontSystem = 0,
    kFontVeryBig,
    kFontBig,
    kFontNormal,
    kFontSmall,
    kFontSmaller,
    kFontVerySmall,
    kFontSymbol,
    kFontCount
};

enum CTxtFace : int32_t {
    kPlainFace = 0,
    kBoldFace = 1,
    kItalicFace = 2,
    kUnderlineFace = 4,
};

extern const char* const gMacXfontNames[kFontCount];
extern const int32_t gStandardFontSize[kFontCount];

namespace toolkit {

// Out-of-range indexes are font 0.
constexpr CFont validFont(int32_t font)
{
    return font >= 0 && font < kFontCount ? static_cast<CFont>(font) : kFontSystem;
}

} // namespace toolkit
