#include "host/Automation.h"

#include <algorithm>
#include <fstream>

#include "host/CommandLine.h"
#include "host/HostError.h"

namespace {

std::string_view trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Splits off the first whitespace-separated word of `text`.
std::string_view nextWord(std::string_view& text)
{
    text = trim(text);
    const size_t end = std::min(text.find_first_of(" \t"), text.size());
    const std::string_view word = text.substr(0, end);
    text = trim(text.substr(end));
    return word;
}

AutomationEvent parseLine(std::string_view line, const ParameterLookup& findParameter)
{
    const std::string_view keyword = nextWord(line);
    if (keyword != "set" && keyword != "ramp")
        throw UsageError("expected 'set' or 'ramp', found '" + std::string(keyword) + "'");
    const bool ramp = keyword == "ramp";
    AutomationEvent event{};
    event.frame = parseCount(nextWord(line), "frame");
    if (ramp) {
        event.duration = parseCount(nextWord(line), "ramp length");
        if (event.duration == 0) throw UsageError("a ramp needs a length of at least one frame");
    }
    const size_t equals = line.rfind('=');
    if (equals == std::string_view::npos) throw UsageError("expected PARAMETER = VALUE");
    const ParameterDescription parameter = findParameter(trim(line.substr(0, equals)));
    event.parameter = parameter.id;
    std::string_view values = line.substr(equals + 1);
    event.startValue = static_cast<float>(parseNumber(nextWord(values), "value"));
    event.endValue = ramp ? static_cast<float>(parseNumber(nextWord(values), "end value")) : event.startValue;
    if (!values.empty()) throw UsageError("unexpected '" + std::string(values) + "' after the value");
    checkRange(parameter, event.startValue);
    checkRange(parameter, event.endValue);
    return event;
}

} // namespace

Automation::Automation(const std::string& path, const EffectUnit& unit)
{
    std::ifstream in(path);
    if (!in) throw HostError("cannot open automation file '" + path + "'", "check the path");
    *this = Automation(in, path, [&unit](std::string_view name) { return unit.findParameter(name); });
}

Automation::Automation(std::istream& text, const std::string& origin, const ParameterLookup& findParameter)
{
    std::string line;
    for (int number = 1; std::getline(text, line); ++number) {
        const std::string_view content = trim(std::string_view(line).substr(0, line.find('#')));
        if (content.empty()) continue;
        try {
            list.push_back(parseLine(content, findParameter));
        } catch (const UsageError& error) {
            throw UsageError(origin + ":" + std::to_string(number) + ": " + error.what(),
                             error.hint.empty() ? "see 'auhost process --help' for the file format"
                                                : error.hint);
        }
    }
    std::ranges::stable_sort(list, {}, &AutomationEvent::frame);
}

std::vector<AudioUnitParameterEvent> Automation::eventsForBlock(uint64_t blockStart, uint32_t frames) const
{
    const uint64_t blockEnd = blockStart + frames;
    std::vector<AudioUnitParameterEvent> scheduled;
    for (const AutomationEvent& event : list) {
        if (event.frame >= blockEnd) break;
        AudioUnitParameterEvent out{};
        out.scope = kAudioUnitScope_Global;
        out.element = 0;
        out.parameter = event.parameter;
        if (event.duration == 0) {
            if (event.frame < blockStart) continue;
            out.eventType = kParameterEvent_Immediate;
            out.eventValues.immediate = {static_cast<UInt32>(event.frame - blockStart), event.startValue};
        } else {
            const uint64_t rampEnd = event.frame + event.duration;
            if (rampEnd <= blockStart) continue;
            const uint64_t from = std::max(event.frame, blockStart);
            const uint64_t to = std::min(rampEnd, blockEnd);
            const auto valueAt = [&](uint64_t frame) {
                const double position = static_cast<double>(frame - event.frame) / event.duration;
                const double start = event.startValue, end = event.endValue;
                return static_cast<float>(start + (end - start) * position);
            };
            out.eventType = kParameterEvent_Ramped;
            out.eventValues.ramp = {static_cast<SInt32>(from - blockStart), static_cast<UInt32>(to - from),
                                    valueAt(from), valueAt(to)};
        }
        scheduled.push_back(out);
    }
    return scheduled;
}
