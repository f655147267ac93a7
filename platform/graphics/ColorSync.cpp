#include "platform/graphics/ColorSync.h"

OSErr CMOpenProfile(CMProfileRef* prof, const CMProfileLocation*)
{
    if (prof) *prof = nullptr;
    return cmProfileNotFound;
}

OSErr CMCloseProfile(CMProfileRef)
{
    return static_cast<OSErr>(paramErr);
}
