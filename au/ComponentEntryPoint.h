#pragma once

// The entry function of a component class T: open creates the object and
// stores it as the instance's storage, every other selector goes to T's
// dispatch, and no exception crosses the boundary.

#include "au/ComponentBase.h"

template <class T> class ComponentEntryPoint {
  public:
    static ComponentResult Dispatch(ComponentParameters* params, void* storage)
    {
        return CallCatchingExceptions([&]() -> ComponentResult {
            if (params->what == kComponentOpenSelect) {
                const auto instance = ComponentParameter<ComponentInstance>(params, 0);
                auto* object = new T(instance);
                try {
                    object->PostConstructor();
                } catch (...) {
                    delete object;
                    throw;
                }
                SetComponentInstanceStorage(instance,
                                            reinterpret_cast<Handle>(static_cast<ComponentBase*>(object)));
                return noErr;
            }
            auto* object = static_cast<T*>(static_cast<ComponentBase*>(storage));
            return T::ComponentEntryDispatch(params, object);
        });
    }
};
