#pragma once

// Registers the component class T once and opens an instance of it through
// the Component Manager, as a host does, for the scope or until close().

#include <stdexcept>

#include "au/ComponentEntryPoint.h"

template <class T> class OpenedComponent {
  public:
    OpenedComponent(OSType type, OSType subtype, const char* name)
    {
        static const Component component = [&] {
            const ComponentDescription description{type, subtype, FourCharCode("Vok "), 0, 0};
            return RegisterComponent(&description, ComponentEntryPoint<T>::Dispatch, name);
        }();
        if (OpenAComponent(component, &opened) != noErr) throw std::runtime_error("open failed");
    }
    ~OpenedComponent() { close(); }
    OpenedComponent(const OpenedComponent&) = delete;
    OpenedComponent& operator=(const OpenedComponent&) = delete;

    void close()
    {
        if (opened) CloseComponent(opened);
        opened = nullptr;
    }
    ComponentInstance instance() const { return opened; }
    // The object behind the instance.
    T& object() const
    {
        return *static_cast<T*>(reinterpret_cast<ComponentBase*>(GetComponentInstanceStorage(opened)));
    }

  private:
    ComponentInstance opened = nullptr;
};
