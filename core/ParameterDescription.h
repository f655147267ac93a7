#pragma once

// One row of a unit's parameter table. Unnamed rows are reserved slots.
struct ParameterDescription {
    const char* name; // null for a reserved slot
    float maxValue;
    float defaultValue;
};
