#pragma once

// What makes the tilt equaliser's unit: its engine, parameter table, factory
// programs and codes.

#include <array>

#include "core/ParameterDescription.h"
#include "core/VokPreset.h"
#include "dsp/tilteq/TiltEqEngine.h"
#include "platform/components/Components.h"

struct TiltEqUnit {
    using Engine = TiltEqEngine;
    static constexpr uint32_t kParameterCount = tilteq::kParameterCount;
    static constexpr uint32_t kProgramCount = 10;
    static constexpr OSType kSubtype = FourCharCode("TILT");
    static constexpr bool kTakesTempo = false;
    // The unit leaves the default of its named parameters unset.
    static constexpr bool kReportsDefaults = false;

    // Indexed by tilteq::Parameter.
    static const std::array<ParameterDescription, kParameterCount> parameters;
    static const VokPreset<kParameterCount> factoryProgramTable[kProgramCount];
};
