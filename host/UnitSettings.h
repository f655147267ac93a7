#pragma once

// What a user sets on a unit before using it (a saved state, a factory
// preset, parameter values), and saving its state afterwards; shared by the
// commands that open a unit.

#include <optional>
#include <string>
#include <vector>

#include "host/AtomicFile.h"
#include "host/EffectUnit.h"

struct UnitSettings {
    std::optional<std::string> stateIn; // restored first
    std::optional<std::string> preset;  // number or name
    std::vector<std::string> settings;  // "ID=VALUE" or "NAME=VALUE", applied in order
};

// --state, then --preset, then each --set. Values a restored state holds
// outside their range are added to `warnings`.
void applySettings(EffectUnit& unit, const UnitSettings& options, std::vector<std::string>& warnings);

// Writes the unit's state into the file as an XML property list; the caller
// commits it.
void saveState(const EffectUnit& unit, AtomicFile& file);
