// Parses arbitrary text as an automation file against a stand-in unit with
// the flanger's parameter ids, names and ranges, then schedules the events
// over blocks around each of them. Malformed files must end in UsageError,
// nothing else; parsed ones must yield events inside their blocks and inside
// the parameters' ranges.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

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
    const auto block = input.ConsumeIntegralInRange<uint32_t>(1, 4096);
    std::istringstream text(input.ConsumeRemainingBytesAsString());
    Automation automation;
    try {
        automation = Automation(text, "fuzz", findParameter);
    } catch (const UsageError&) {
        return 0;
    }

    for (const AutomationEvent& event : automation.events()) {
        const uint64_t start = event.frame >= block ? event.frame - block : 0;
        for (uint64_t blockStart = start; blockStart <= event.frame + block; blockStart += block) {
            for (const AudioUnitParameterEvent& scheduled : automation.eventsForBlock(blockStart, block)) {
                const ParameterDescription parameter = findParameter(std::to_string(scheduled.parameter));
                const auto inRange = [&](float value) {
                    return std::isfinite(value) && value >= parameter.min && value <= parameter.max;
                };
                if (scheduled.eventType == kParameterEvent_Immediate) {
                    require(scheduled.eventValues.immediate.bufferOffset < block);
                    require(inRange(scheduled.eventValues.immediate.value));
                } else {
                    const auto& ramp = scheduled.eventValues.ramp;
                    require(ramp.startBufferOffset >= 0 && ramp.durationInFrames > 0);
                    require(static_cast<uint64_t>(ramp.startBufferOffset) + ramp.durationInFrames <= block);
                    require(inRange(ramp.startValue) && inRange(ramp.endValue));
                }
            }
        }
    }
    return 0;
}
