// The FlangerUnit bundle's exported entries: the effect and its view.
#include "au/ComponentEntryPoint.h"
#include "core/FlangerUnitTables.h"
#include "core/VokBase.h"
#include "editor/VokView.h"

extern "C" __attribute__((visibility("default"))) ComponentResult VokBaseEntry(ComponentParameters* params,
                                                                               void* storage)
{
    return ComponentEntryPoint<VokBase<FlangerUnit>>::Dispatch(params, storage);
}

extern "C" __attribute__((visibility("default"))) ComponentResult VokViewEntry(ComponentParameters* params,
                                                                               void* storage)
{
    return ComponentEntryPoint<VokView>::Dispatch(params, storage);
}
