#pragma once

// The script that drives an editor without a display (auhost edit --script):
// one step a line, '#' starting a comment, coordinates in editor pixels.
//
//   press X Y [MODIFIERS]         release                move X Y
//   click X Y [MODIFIERS]         drag X1 Y1 X2 Y2 [STEPS] [MODIFIERS]
//   wheel X Y DELTA [MODIFIERS]   key NAME [MODIFIERS]
//   menu ITEM                     wait MS                screenshot FILE.png
//
// MODIFIERS are any of shift, command, option and control.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ScriptAction { press, release, move, click, drag, wheel, key, menu, wait, screenshot };

struct ScriptStep {
    ScriptAction action = ScriptAction::wait;
    int line = 0;
    double x = 0, y = 0;   // press, move, click, wheel; the drag's start
    double x2 = 0, y2 = 0; // the drag's end
    int steps = 0;         // drag: moves between start and end
    int delta = 0;         // wheel: lines, up positive
    int item = 0;          // menu: 1-based, 0 dismisses
    double milliseconds = 0;
    uint32_t modifiers = 0; // the toolbox's modifier bits
    uint32_t keyCode = 0;   // key: the Macintosh key code
    char character = 0;     // key: the character it types
    std::string file;       // screenshot
};

inline constexpr int kDefaultDragSteps = 10;
inline constexpr int kMaxDragSteps = 1000;

// The steps of the script text; UsageError "ORIGIN:LINE: ..." for the first
// line that is not understood.
std::vector<ScriptStep> parseEditScript(std::string_view text, std::string_view origin);

// The key names a script may use, for messages and help.
std::string scriptKeyNames();
