#pragma once

// What makes the flanger's unit: its engine, parameter table, factory
// programs and codes.

#include "core/ParameterDescription.h"
#include "core/VokPreset.h"
#include "dsp/flanger/FlangerEngine.h"
#include "platform/components/Components.h"

struct FlangerUnit {
    using Engine = FlangerEngine;
    static constexpr uint32_t kParameterCount = 22;
    static constexpr uint32_t kProgramCount = 20;
    static constexpr OSType kSubtype = FourCharCode("Flan");
    static constexpr bool kTakesTempo = true;
    static constexpr bool kReportsDefaults = true;

    static const ParameterDescription parameters[kParameterCount];
    static const VokPreset<kParameterCount> factoryProgramTable[kProgramCount];
};
