#pragma once

// What the editor bridge and the view of FlangerUnit know of their unit:
// its editor, its parameter count and the engine that holds its values.

#include "VokVstEditor.h"
#include "core/FlangerUnitTables.h"

using VokEditorUnit = FlangerUnit;
