#include "platform/graphics/Resources.h"

namespace {

OSErr lastResourceError = noErr;

Handle notFound()
{
    lastResourceError = resNotFound;
    return nullptr;
}

} // namespace

Handle GetResource(ResType, int16_t)
{
    return notFound();
}
Handle Get1Resource(ResType, int16_t)
{
    return notFound();
}
PicHandle GetPicture(int16_t)
{
    return reinterpret_cast<PicHandle>(notFound());
}
void ReleaseResource(Handle)
{
}
OSErr ResError(void)
{
    return lastResourceError;
}

Rect* QDGetPictureBounds(PicHandle picH, Rect* outRect)
{
    *outRect = picH && *picH ? (**picH).picFrame : Rect{0, 0, 0, 0};
    return outRect;
}
