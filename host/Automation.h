#pragma once

// Parameter automation read from a text file: immediate and ramped events
// at frame positions in the input, scheduled block by block.
//
// One event per line; '#' starts a comment; blank lines are ignored:
//
//   set  FRAME PARAMETER = VALUE
//   ramp FRAME FRAMES PARAMETER = START END
//
// PARAMETER is an id or a name (names may contain spaces). A ramp goes
// linearly from START at FRAME to END at FRAME + FRAMES.

#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "host/EffectUnit.h"

// A parameter by id or name; UsageError if there is none.
using ParameterLookup = std::function<ParameterDescription(std::string_view)>;

struct AutomationEvent {
    uint64_t frame;
    uint32_t duration; // 0 for an immediate event
    AudioUnitParameterID parameter;
    AudioUnitParameterValue startValue, endValue;
};

class Automation {
  public:
    Automation() = default;
    // UsageError naming the file and line for anything malformed, an unknown
    // parameter or a value outside its range.
    Automation(const std::string& path, const EffectUnit& unit);
    // The same from text; `origin` names it in errors.
    Automation(std::istream& text, const std::string& origin, const ParameterLookup& findParameter);

    // The events for the block [blockStart, blockStart + frames), offsets
    // relative to the block. A ramp crossing blocks is cut at the block
    // edges into ramps between the values it passes there.
    std::vector<AudioUnitParameterEvent> eventsForBlock(uint64_t blockStart, uint32_t frames) const;

    const std::vector<AutomationEvent>& events() const { return list; }

  private:
    std::vector<AutomationEvent> list; // by frame
};
