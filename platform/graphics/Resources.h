#pragma once

// The Resource Manager's picture lookup. Files here have no resource forks,
// so no classic resource exists: every lookup answers "not found" (a null
// handle, ResError resNotFound), and callers take their other paths.

#include <cstdint>

#include "platform/graphics/QuickDraw.h"

using ResType = OSType;

inline constexpr OSErr resNotFound = -192;

// The published head of a picture record.
struct Picture {
    int16_t picSize;
    Rect picFrame;
};
using PicPtr = Picture*;
using PicHandle = Picture**;

#pragma GCC visibility push(default)
extern "C" {

// Always null; ResError then reports resNotFound.
Handle GetResource(ResType theType, int16_t theID);
Handle Get1Resource(ResType theType, int16_t theID);
PicHandle GetPicture(int16_t picID);
// No resource can have been loaded: does nothing.
void ReleaseResource(Handle theResource);
// The result of the last lookup.
OSErr ResError(void);

// The picture's frame (picFrame); rect is returned. An empty rectangle for a
// null picture.
Rect* QDGetPictureBounds(PicHandle picH, Rect* outRect);

} // extern "C"
#pragma GCC visibility pop
