#pragma once

// The root of both component classes: the instance handle, the generic
// selectors (open, close, can-do, version) and the reading of argument words.

#include <bit>
#include <new>
#include <type_traits>

#include "platform/components/Components.h"

class ComponentBase {
  public:
    explicit ComponentBase(ComponentInstance instance) : componentInstance(instance) {}
    virtual ~ComponentBase() = default;
    ComponentBase(const ComponentBase&) = delete;
    ComponentBase& operator=(const ComponentBase&) = delete;

    virtual OSStatus Version() { return 1; }
    // After construction, with the object in place; may throw.
    virtual void PostConstructor() {}
    // Before destruction.
    virtual void PreDestructor() {}

    ComponentInstance GetComponentInstance() const { return componentInstance; }

    // The generic selectors; anything else is badComponentSelector.
    static OSStatus ComponentEntryDispatch(ComponentParameters* params, ComponentBase* object);

  private:
    ComponentInstance componentInstance;
};

// Argument word index of a call, numbered from its last argument, read as T:
// 32-bit integers and floats from the word's low half, pointers whole.
template <typename T> T ComponentParameter(const ComponentParameters* params, int index)
{
    const uintptr_t word = params->params[index];
    if constexpr (std::is_same_v<T, float>)
        return std::bit_cast<float>(static_cast<uint32_t>(word));
    else if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(word);
    else
        return static_cast<T>(static_cast<std::make_unsigned_t<T>>(word));
}

// The arguments of a call that has `count` of them, taken in the order the
// call lists them.
class ComponentArguments {
  public:
    ComponentArguments(const ComponentParameters* params, int count) : params(params), next(count - 1) {}
    template <typename T> T take() { return ComponentParameter<T>(params, next--); }

  private:
    const ComponentParameters* params;
    int next;
};

// Runs call and turns whatever it throws into the status a component
// returns: a 32-bit status as it is, a 16-bit one sign-extended, out of
// memory as memFullErr and anything else as -1.
template <typename Call> ComponentResult CallCatchingExceptions(Call&& call)
{
    try {
        return call();
    } catch (OSStatus status) {
        return status;
    } catch (OSErr error) {
        return error;
    } catch (const std::bad_alloc&) {
        return memFullErr;
    } catch (...) {
        return -1;
    }
}
