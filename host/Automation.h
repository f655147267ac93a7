#pragma once

// Parameter automation read from a text file, played to the unit as
// immediate values at exact frames.
//
// One event per line; '#' starts a comment; blank lines are ignored:
//
//   set  FRAME PARAMETER = VALUE
//   ramp FRAME FRAMES PARAMETER = START END
//
// PARAMETER is an id or a name (names may contain spaces). A ramp goes
// linearly from START at FRAME to END at FRAME + FRAMES, as a staircase of
// values kRampStepFrames apart; it leaves the parameter at END.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <span>
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
    int line; // in the file
};

class Automation {
  public:
    // Units hear only immediate values, so a ramp is played as one value per
    // step; 32 frames is below a millisecond at the usual rates.
    static constexpr uint32_t kRampStepFrames = 32;
    // Larger automation files are refused rather than read.
    static constexpr size_t kMaxFileBytes = size_t{64} << 20;

    Automation() = default;
    // UsageError naming the file and line for anything malformed, an unknown
    // parameter or a value outside its range; HostError if the file cannot
    // be read.
    Automation(const std::string& path, const EffectUnit& unit);
    // The same from text; `origin` names it in errors.
    Automation(std::istream& text, const std::string& origin, const ParameterLookup& findParameter);

    // By frame, in file order within a frame.
    const std::vector<AutomationEvent>& events() const { return list; }

    // What rendering `frames` frames leaves out: events at or past the end,
    // and ramps cut short by it; one line each, naming the first.
    std::vector<std::string> warningsPastEnd(uint64_t frames) const;

  private:
    std::string origin;
    std::vector<AutomationEvent> list;
};

// Walks an Automation in frame order, handing out the values due at each
// frame as immediate events at offset 0, so that a render starting at that
// frame hears them. Only the constructor allocates.
class AutomationPlayer {
  public:
    explicit AutomationPlayer(const Automation& automation);

    // The next frame at which a value is due; UINT64_MAX when none is left.
    uint64_t nextFrame() const;

    // Fills `due` with values due at or before `frame`, in order; returns how
    // many. Call again until it returns 0.
    size_t take(uint64_t frame, std::span<AudioUnitParameterEvent> due);

  private:
    // The next step of a ramp that has begun.
    struct Step {
        uint64_t frame;
        size_t event; // index in events; orders steps due at the same frame
    };
    static bool later(const Step& a, const Step& b);
    bool listFirst() const;
    AudioUnitParameterEvent play(const Step& step);

    const std::vector<AutomationEvent>& events;
    size_t cursor = 0;
    std::vector<Step> ramps; // a min-heap by (frame, event), at most one step per ramp
};
