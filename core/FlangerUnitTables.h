#pragma once

// What makes the flanger's unit: its engine, parameter table, factory
// programs and codes.

#include <array>

#include "core/ParameterDescription.h"
#include "core/VokPreset.h"
#include "dsp/flanger/FlangerEngine.h"
#include "platform/components/Components.h"

struct FlangerUnit {
    using Engine = FlangerEngine;
    static constexpr uint32_t kParameterCount = flanger::kParameterCount;
    static constexpr uint32_t kProgramCount = 20;
    static constexpr OSType kSubtype = FourCharCode("Flan");
    static constexpr bool kTakesTempo = true;
    static constexpr bool kReportsDefaults = true;

    // Indexed by flanger::Parameter.
    static const std::array<ParameterDescription, kParameterCount> parameters;
    static const VokPreset<kParameterCount> factoryProgramTable[kProgramCount];
};
