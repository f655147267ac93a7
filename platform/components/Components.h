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
// One copy of this library serves the process: a bundle links it
// dynamically, so the host and every bundle share one registry and the same
// records.
//
// Thread safety: registration and lookup (RegisterComponent,
// UnregisterComponent, FindNextComponent, CountComponents,
// RegisterComponentBundle) may come from any thread; each takes the
// registry's lock for its own work, so looking for a component and then
// registering it is the caller's to make one step. GetComponentInfo, open,
// close and calls on different instances may come from any thread. CallComponent and the
// storage calls allocate nothing, lock nothing and make no system call, so
// they may be used on the render thread. Calls on one instance are the
// caller's to serialise, as on the original platform.
//
// Results typed OSErr carry the low 16 bits of a 32-bit status, as on the
// original platform: badComponentSelector (0x80008002) comes back as -32766.
// Hosts that need the whole status open with platform::openComponent.

#include <cstdint>
#include <string>
#include <vector>

using OSErr = int16_t;
using OSStatus = int32_t;
using ComponentResult = int32_t;
using OSType = uint32_t;

inline constexpr OSStatus noErr = 0;
inline constexpr OSStatus paramErr = -50;
inline constexpr OSStatus memFullErr = -108;
inline constexpr OSStatus invalidComponentID = -3000;
inline constexpr OSStatus validInstancesExist = -3001;
inline constexpr OSStatus badComponentInstance = static_cast<OSStatus>(0x80008001);
inline constexpr OSStatus badComponentSelector = static_cast<OSStatus>(0x80008002);

// Selectors every component answers.
inline constexpr int16_t kComponentOpenSelect = -1;
inline constexpr int16_t kComponentCloseSelect = -2;
inline constexpr int16_t kComponentCanDoSelect = -3;
inline constexpr int16_t kComponentVersionSelect = -4;

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
// reverse order. params has room for eight words; the largest call, the
// view's create call, has six.
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

// What follows is exported from the platform's shared library, which hides
// everything else.
#pragma GCC visibility push(default)
extern "C" {

// Registers one component (name null: empty); returns null if description
// or entry is null, or if the description is already registered with the
// same entry function.
Component RegisterComponent(const ComponentDescription* description, ComponentRoutine entry,
                            const char* name);
// invalidComponentID if component is not registered, validInstancesExist
// while it has open instances.
OSErr UnregisterComponent(Component component);

// The next registered component after previous (null: the first) that
// matches looking (null: any). Zero type, subtype or manufacturer fields of
// looking match anything; flags are compared under its componentFlagsMask.
// Components are found in registration order.
Component FindNextComponent(Component previous, const ComponentDescription* looking);
long CountComponents(const ComponentDescription* looking);

// The component's description and, when name is not null, its name. An
// instance may be passed (cast to Component) for the description of the
// component it is an instance of. description may be null too.
// invalidComponentID for null or a record that is neither.
OSErr GetComponentInfo(Component component, ComponentDescription* description, std::string* name);

// Opens an instance: sends the open selector with the instance as argument
// word 0. A failed open leaves no instance, sets *instance to null and
// returns the status (16 bits, see above).
OSErr OpenAComponent(Component component, ComponentInstance* instance);
// The instance, or null if the open failed.
ComponentInstance OpenComponent(Component component);
// Opens the first registered component of the type and subtype, of any
// manufacturer; invalidComponentID, with *instance null, when there is none.
OSErr OpenADefaultComponent(OSType componentType, OSType componentSubType, ComponentInstance* instance);
// Sends the close selector (argument word 0: the instance) and frees the
// instance whatever it answers; returns the answer.
OSErr CloseComponent(ComponentInstance instance);

// Sends one selector call to the instance's entry function with the
// instance's storage; badComponentInstance for null or a non-instance.
ComponentResult CallComponent(ComponentInstance instance, ComponentParameters* params);

void SetComponentInstanceStorage(ComponentInstance instance, Handle storage);
Handle GetComponentInstanceStorage(ComponentInstance instance);

} // extern "C"
#pragma GCC visibility pop

namespace platform {

// OpenAComponent with the entry's whole 32-bit status; paramErr if instance
// is null, invalidComponentID if component is not a component, memFullErr if
// the instance record cannot be allocated.
[[gnu::visibility("default")]] OSStatus openComponent(Component component, ComponentInstance* instance);

// Packs a selector call, arguments in call order, each into one word, and
// sends it with CallComponent. Allocates nothing.
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
// bundle's executable, folder/Contents/Linux-x86_64/<CFBundleExecutable>,
// with RTLD_NOW | RTLD_LOCAL; the library stays loaded for the life of the
// process. Info.plist (XML or binary) is a dictionary with the executable's
// file name under "CFBundleExecutable" and an "AudioComponents" array of
// dictionaries: "type", "subtype", "manufacturer" (four-character strings),
// "name", "factoryFunction" (the exported entry's name) and an optional
// integer "version", which is checked but not kept (hosts ask an instance
// for its version). Missing or malformed bundles, malformed entries and
// missing entry symbols are reported in errors; the other components of the
// bundle are still registered.
[[gnu::visibility("default")]] BundleRegistration RegisterComponentBundle(const std::string& folder);

} // namespace platform

#include "platform/components/ComponentCall.h"
