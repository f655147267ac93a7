// The component of the test bundles. Built into two bundles that differ only
// in BUNDLE_COUNTER_STEP, so both define the same internal names.

#include "platform/components/Components.h"
#include "tests/platform/components/BundleSelectors.h"

// External linkage on purpose: hidden visibility and RTLD_LOCAL must keep
// each bundle's definition its own.
int internalCount = 0;
int internalCounter()
{
    return internalCount += BUNDLE_COUNTER_STEP;
}

extern "C" __attribute__((visibility("default"))) ComponentResult TestEntry(ComponentParameters* params,
                                                                            void* storage)
{
    const auto instance = reinterpret_cast<ComponentInstance>(params->params[0]);
    switch (params->what) {
    case kComponentOpenSelect:
        // The bundle's copy of the Component Manager on the host's record.
        SetComponentInstanceStorage(instance, reinterpret_cast<Handle>(instance));
        return noErr;
    case kComponentCloseSelect:
        return noErr;
    case kCounterSelect:
        return internalCounter();
    case kRegistrySizeSelect:
        return static_cast<ComponentResult>(CountComponents(nullptr));
    case kSubtypeSelect: {
        if (storage != instance || GetComponentInstanceStorage(instance) != storage) return paramErr;
        ComponentDescription description;
        GetComponentInfo(reinterpret_cast<Component>(instance), &description, nullptr);
        return static_cast<ComponentResult>(description.componentSubType);
    }
    default:
        return badComponentSelector;
    }
}
