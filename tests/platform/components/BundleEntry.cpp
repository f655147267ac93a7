// The component of the test bundles. Built into two bundles that differ only
// in BUNDLE_COUNTER_STEP, so both define the same internal names.

#include "platform/components/Components.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "tests/platform/components/BundleSelectors.h"

// External linkage on purpose: hidden visibility and RTLD_LOCAL must keep
// each bundle's definition its own.
int internalCount = 0;
int internalCounter()
{
    return internalCount += BUNDLE_COUNTER_STEP;
}

namespace {

ComponentResult makeObjects(ComponentParameters* params)
{
    *reinterpret_cast<CFStringRef*>(params->params[2]) =
        CFStringCreateWithCString(nullptr, kBundleText, kCFStringEncodingUTF8);
    *reinterpret_cast<CFStringRef*>(params->params[1]) = CFSTR("one per process");
    const int value = 7;
    const CFNumberRef number = CFNumberCreate(nullptr, kCFNumberIntType, &value);
    CFArrayAppendValue(reinterpret_cast<CFMutableArrayRef>(params->params[0]), number);
    CFRelease(number);
    return noErr;
}

ComponentResult openHostComponent()
{
    const ComponentDescription looking{0, kHostSubtype, 0, 0, 0};
    const Component component = FindNextComponent(nullptr, &looking);
    if (!component) return invalidComponentID;
    ComponentInstance instance;
    const OSErr status = OpenAComponent(component, &instance);
    if (status != noErr) return status;
    const ComponentResult answer = platform::callSelector(instance, kHostSelect);
    CloseComponent(instance);
    return answer;
}

} // namespace

extern "C" __attribute__((visibility("default"))) ComponentResult TestEntry(ComponentParameters* params,
                                                                            void* storage)
{
    const auto instance = reinterpret_cast<ComponentInstance>(params->params[0]);
    switch (params->what) {
    case kComponentOpenSelect:
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
    case kMakeObjectsSelect:
        return makeObjects(params);
    case kOpenHostComponentSelect:
        return openHostComponent();
    default:
        return badComponentSelector;
    }
}
