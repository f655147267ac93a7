#include "toolkit/CKickButton.h"

#include <cstring>

#include "toolkit/MouseButtons.h"

bool CKickButton::isTypeOf(const char* name) const
{
    return std::strcmp(name, "CKickButton") == 0 || CMovieButton::isTypeOf(name);
}

bool CKickButton::held(long buttons, long) const
{
    return buttons == kPrimaryButton;
}

void CKickButton::released(CDrawContext* context)
{
    value = 0.f;
    tell(context);
}
