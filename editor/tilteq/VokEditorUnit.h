#pragma once

// What the editor bridge and the view of TiltEqUnit know of their unit:
// its editor, its parameter count and the engine that holds its values.

#include "VokVstEditor.h"
#include "core/TiltEqUnitTables.h"

using VokEditorUnit = TiltEqUnit;
