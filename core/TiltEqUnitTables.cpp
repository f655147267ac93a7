#include "core/TiltEqUnitTables.h"

using namespace tilteq;

// Reserved ids have no name.
const std::array<ParameterDescription, TiltEqUnit::kParameterCount> TiltEqUnit::parameters = [] {
    std::array<ParameterDescription, kParameterCount> rows;
    rows.fill({nullptr, 1.0f, 0.0f});
    rows[kShelf] = {"Shelf", 1.0f, 0.0f};
    rows[kShelfQ] = {"Shelf q", 1.0f, 0.0f};
    rows[kBassLift] = {"Bass lift", 1.0f, 0.0f};
    rows[kVolume] = {"Volume", 1.0f, 0.0f};
    rows[kOnOff] = {"On / Off", 1.0f, 0.0f};
    rows[kShelfFrequency] = {"Shelf frquency", 1.0f, 0.0f};
    return rows;
}();

namespace {

constexpr VokPreset<TiltEqUnit::kParameterCount> kDefault = [] {
    VokPreset<TiltEqUnit::kParameterCount> p{};
    const char name[] = "default";
    for (size_t i = 0; i + 1 < sizeof name; ++i) p.name[i] = name[i];
    p.values[kShelf] = 0.5f;
    p.values[kShelfQ] = 0.5f;
    p.values[kBassLift] = 0.5f;
    p.values[kVolume] = 0.5f;
    p.values[kOnOff] = 1.0f;
    p.values[kShelfFrequency] = 0.4324f;
    return p;
}();

} // namespace

// The ten programs are alike.
const VokPreset<TiltEqUnit::kParameterCount> TiltEqUnit::factoryProgramTable[kProgramCount] = {
    kDefault, kDefault, kDefault, kDefault, kDefault, kDefault, kDefault, kDefault, kDefault, kDefault,
};
