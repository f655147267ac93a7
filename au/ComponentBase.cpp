#include "au/ComponentBase.h"

OSStatus ComponentBase::ComponentEntryDispatch(ComponentParameters* params, ComponentBase* object)
{
    if (object == nullptr) return paramErr;
    switch (params->what) {
    case kComponentVersionSelect:
        return object->Version();
    case kComponentCanDoSelect: {
        const auto asked = ComponentParameter<int16_t>(params, 0);
        return asked >= kComponentVersionSelect && asked <= kComponentOpenSelect ? 1 : 0;
    }
    case kComponentCloseSelect:
        object->PreDestructor();
        delete object;
        return noErr;
    default:
        return badComponentSelector;
    }
}
