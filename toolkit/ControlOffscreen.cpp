#include "toolkit/ControlOffscreen.h"

#include "toolkit/COffscreenContext.h"

ControlOffscreen::~ControlOffscreen()
{
    release();
}

CDrawContext* ControlOffscreen::begin(CFrame* frame, CDrawContext* context, const CRect& size, CRect& area)
{
    if (!enabled) {
        area = size;
        return context;
    }
    if (offscreen && (offscreen->getWidth() != size.width() || offscreen->getHeight() != size.height()))
        release();
    if (!offscreen) offscreen = new COffscreenContext(frame, size.width(), size.height());
    area = CRect(0, 0, size.width(), size.height());
    return offscreen;
}

void ControlOffscreen::end(CDrawContext* context, const CRect& size)
{
    if (enabled && offscreen) offscreen->copyFrom(context, size);
}

void ControlOffscreen::release()
{
    if (offscreen) offscreen->forget();
    offscreen = nullptr;
}

void ControlOffscreen::setEnabled(bool use)
{
    enabled = use;
    if (!enabled) release();
}
