#pragma once

// The component and instance records behind Component and ComponentInstance.
//
// The host's copy of this library makes the records and every bundle's copy
// reads them, so this layout is shared by all copies in a process: change it
// only together with every bundle. Both records are standard-layout and start
// with a tag, so a record passed as either handle can be told apart.

#include "platform/components/Components.h"

#include <atomic>
#include <string>
#include <type_traits>

namespace platform::detail {

enum class RecordTag : OSType {
    component = FourCharCode("cmpR"),
    instance = FourCharCode("cmpI"),
};

} // namespace platform::detail

struct ComponentRecord {
    platform::detail::RecordTag tag;
    ComponentDescription description;
    ComponentRoutine entry;
    std::string name;
    // Open instances point at this record; it cannot be unregistered while
    // any exist. Opened and closed from any thread.
    std::atomic<int32_t> openInstances;
};

struct ComponentInstanceRecord {
    platform::detail::RecordTag tag;
    Component component;
    Handle storage;
};

static_assert(std::is_standard_layout_v<ComponentRecord> &&
                  std::is_standard_layout_v<ComponentInstanceRecord>,
              "the tag must be readable through either handle");

namespace platform::detail {

// Whether record, of either kind or null, carries tag. A standard-layout
// record and its first member share an address.
inline bool hasTag(const void* record, RecordTag tag)
{
    return record && *static_cast<const RecordTag*>(record) == tag;
}

} // namespace platform::detail
