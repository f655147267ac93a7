#include "core/TiltEqUnitTables.h"

#include <iterator>

const ParameterDescription TiltEqUnit::parameters[kParameterCount] = {
    {nullptr, 1.0f, 0.0f}, {"Shelf", 1.0f, 0.0f},  {"Shelf q", 1.0f, 0.0f},  {"Bass lift", 1.0f, 0.0f},
    {nullptr, 1.0f, 0.0f}, {"Volume", 1.0f, 0.0f}, {"On / Off", 1.0f, 0.0f}, {"Shelf frquency", 1.0f, 0.0f},
    {nullptr, 1.0f, 0.0f}, {nullptr, 1.0f, 0.0f},  {nullptr, 1.0f, 0.0f},    {nullptr, 1.0f, 0.0f},
    {nullptr, 1.0f, 0.0f}, {nullptr, 1.0f, 0.0f},  {nullptr, 1.0f, 0.0f},    {nullptr, 1.0f, 0.0f},
    {nullptr, 1.0f, 0.0f}, {nullptr, 1.0f, 0.0f},  {nullptr, 1.0f, 0.0f},    {nullptr, 1.0f, 0.0f},
    {nullptr, 1.0f, 0.0f},
};

namespace {

constexpr VokPreset<TiltEqUnit::kParameterCount> kDefault = [] {
    VokPreset<TiltEqUnit::kParameterCount> p{};
    const char name[] = "default";
    for (size_t i = 0; i + 1 < sizeof name; ++i) p.name[i] = name[i];
    const float values[] = {0.0f, 0.5f, 0.5f, 0.5f, 0.0f, 0.5f, 1.0f, 0.4324f};
    for (size_t i = 0; i < std::size(values); ++i) p.values[i] = values[i];
    return p;
}();

} // namespace

// The ten programs are alike.
const VokPreset<TiltEqUnit::kParameterCount> TiltEqUnit::factoryProgramTable[kProgramCount] = {
    kDefault, kDefault, kDefault, kDefault, kDefault, kDefault, kDefault, kDefault, kDefault, kDefault,
};
