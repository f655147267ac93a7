#include "platform/hitoolbox/Appearance.h"

#include "platform/hitoolbox/WindowBackend.h"

OSStatus SetThemeCursor(ThemeCursor inCursor)
{
    if (inCursor > kThemePoofCursor) return themeBadCursorIndexErr;
    platform::detail::windowBackend().setCursor(inCursor);
    return noErr;
}

void InitCursor(void)
{
    SetThemeCursor(kThemeArrowCursor);
}
