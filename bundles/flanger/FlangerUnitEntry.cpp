// The FlangerUnit bundle's exported entry: the effect component.
#include "au/ComponentEntryPoint.h"
#include "core/FlangerUnitTables.h"
#include "core/VokBase.h"

extern "C" __attribute__((visibility("default"))) ComponentResult VokBaseEntry(ComponentParameters* params,
                                                                               void* storage)
{
    return ComponentEntryPoint<VokBase<FlangerUnit>>::Dispatch(params, storage);
}
