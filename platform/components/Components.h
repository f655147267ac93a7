#pragma once

// The Component Manager subset the framework and hosts call: component
// descriptions, registration (one component at a time, or every component of
// a bundle folder), lookup, open and close, selector calls with a packed
// parameter block, instance storage and component info.
//
// 64-bit: the argument words of a parameter block are pointer-sized and still
// numbered from the end of the call (word 0 is the last argument). A float
// travels as its 32-bit pattern in the low half of a word.
//
// Thread safety: registration and lookup are for the main thread; open,
// close and calls on different instances may come from any thread. Calls on
// one instance are the caller's to serialise, as on the original platform.

#include <cstdint>
#include <string>
#include <vector>

using OSErr = int16_t;
using OSStatus = int32_t;
using ComponentResult = int32_t;
using OSType = uint32_t;

enum : OSStatus {
    noErr = 0,
    paramErr = -50,
    memFullErr = -108,
    invalidComponentID = -3000,
    badComponentInstance = static_cast<OSStatus>(0x80008001),
    badComponentSelector = static_cast<OSStatus>(0x80008002),
};

// Selectors every component answers.
enum : int16_t {
    kComponentOpenSelect = -1,
    kComponentCloseSelect = -2,
    kComponentCanDoSelect = -3,
    kComponentVersionSelect = -4,
};

// Four-character code from a literal: 'aufx' style constants without the
// multi-character literal warning.
constexpr OSType FourCharCode(const char (&code)[5])
{
    return (static_cast<OSType>(static_cast<unsigned char>(code[0])) << 24) |
           (static_cast<OSType>(static_cast<unsigned char>(code[1])) << 16) |
           (static_cast<OSType>(static_cast<unsigned char>(code[2])) << 8) |
           static_cast<OSType>(static_cast<unsigned char>(code[3]));
}

// 20 bytes; a zero field in a search description matches anything.
struct ComponentDescription {
    OSType componentType;
    OSType componentSubType;
    OSType componentManufacturer;
    uint32_t componentFlags;
    uint32_t componentFlagsMask;
};
static_assert(sizeof(ComponentDescription) == 20);

// The parameter block of one call: flags, the size of the arguments in bytes
// (words x sizeof(uintptr_t)), the selector, then the argument words in
// reverse order. params has room for the largest call (five words).
struct ComponentParameters {
    uint8_t flags;
    uint8_t paramSize;
    int16_t what;
    uintptr_t params[8];
};

using Handle = char**;
struct ComponentRecord;
struct ComponentInstanceRecord;
using Component = ComponentRecord*;
using ComponentInstance = ComponentInstanceRecord*;

// The exported entry function of a component: the parameter block and the
// instance's storage (null until the open call has stored an object).
using ComponentRoutine = ComponentResult (*)(ComponentParameters* params, void* storage);

extern "C" {

// Registers one component; returns null if the description is already
// registered with the same entry function.
Component RegisterComponent(const ComponentDescription* description, ComponentRoutine entry, const char* name);
OSErr UnregisterComponent(Component component);

// The next registered component after previous (null: the first) that
// matches looking (null: any).
Component FindNextComponent(Component previous, const ComponentDescription* looking);
long CountComponents(const ComponentDescription* looking);

// The component's description and, when name is not null, its name. An
// instance may be passed (cast to Component) for the description of the
// component it is an instance of.
OSErr GetComponentInfo(Component component, ComponentDescription* description, std::string* name);

// Opens an instance: sends the open selector with the instance as argument
// word 0. A failed open leaves no instance and returns the status.
OSErr OpenAComponent(Component component, ComponentInstance* instance);
ComponentInstance OpenComponent(Component component);
// Sends the close selector and frees the instance whatever it answers.
OSErr CloseComponent(ComponentInstance instance);

// Sends one selector call to the instance's entry function.
ComponentResult CallComponent(ComponentInstance instance, ComponentParameters* params);

void SetComponentInstanceStorage(ComponentInstance instance, Handle storage);
Handle GetComponentInstanceStorage(ComponentInstance instance);

}  // extern "C"

namespace platform {

// Packs a selector call, arguments in call order, each into one word.
template <typename... Args>
ComponentResult callSelector(ComponentInstance instance, int16_t selector, Args... args);

// What registering a bundle folder did: the components it registered, and
// for a bundle or component that could not be registered, a message naming
// the bundle and the problem.
struct BundleRegistration {
    std::vector<Component> components;
    std::vector<std::string> errors;
};

// Registers every component listed in folder/Contents/Info.plist, loading the
// bundle's executable with RTLD_LOCAL. Missing or malformed bundles and
// missing entry symbols are reported in errors; the other components of the
// bundle are still registered.
BundleRegistration RegisterComponentBundle(const std::string& folder);

}  // namespace platform

#include "platform/components/ComponentCall.h"
