// Parses arbitrary text as an automation file against a stand-in unit with
// the flanger's parameter ids, names and ranges, then plays the first values
// of it. Malformed files must end in UsageError, nothing else; parsed ones
// must yield immediate values inside the parameters' ranges, in frame order,
// passing over no event.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "host/Automation.h"
#include "host/CommandLine.h"
#include "host/HostError.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

ParameterDescription findParameter(std::string_view name)
{
    static const char* const kNames[] = {"",      "Speed",    "Sync Tempo", "Depth", "Delay",
                                         "Phase", "Feedback", "Dry / Wet",  "Volume"};
    for (AudioUnitParameterID id = 0; id < 22; ++id) {
        const std::string known = id < 9 ? kNames[id] : "";
        if (name == std::to_string(id) || (!known.empty() && name == known))
            return {id, known, 0.0f, id == 2 ? 8.0f : 1.0f, 0.0f, kAudioUnitParameterUnit_LinearGain, 0};
    }
    throw UsageError("no parameter '" + std::string(name) + "'");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto batch = input.ConsumeIntegralInRange<size_t>(1, 16);
    std::istringstream text(input.ConsumeRemainingBytesAsString());
    Automation automation;
    try {
        automation = Automation(text, "fuzz", findParameter);
    } catch (const UsageError&) {
        return 0;
    }

    // Long ramps have millions of steps; the first few thousand values show
    // the order as well.
    AutomationPlayer player(automation);
    std::vector<AudioUnitParameterEvent> due(batch);
    uint64_t previous = 0;
    size_t reached = 0, played = 0;
    while (played < 4096 && player.nextFrame() != UINT64_MAX) {
        const uint64_t frame = player.nextFrame();
        require(frame >= previous);
        previous = frame;
        size_t taken = 0;
        while (const size_t count = player.take(frame, due)) {
            require(count <= batch);
            for (size_t i = 0; i < count; ++i) {
                const AudioUnitParameterEvent& value = due[i];
                const ParameterDescription parameter = findParameter(std::to_string(value.parameter));
                require(value.eventType == kParameterEvent_Immediate);
                require(value.eventValues.immediate.bufferOffset == 0);
                const float v = value.eventValues.immediate.value;
                require(std::isfinite(v) && v >= parameter.min && v <= parameter.max);
            }
            taken += count;
        }
        require(taken > 0 && player.nextFrame() > frame);
        played += taken;
        // No event in the list is passed over: the next value is due no later than it.
        while (reached < automation.events().size() && automation.events()[reached].frame <= frame) ++reached;
        require(reached == automation.events().size() ||
                player.nextFrame() <= automation.events()[reached].frame);
    }
    return 0;
}
