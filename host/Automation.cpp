#include "host/Automation.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <sstream>

#include "host/CommandLine.h"
#include "host/HostError.h"
#include "host/InputFile.h"

namespace {

// Frames are counted in signed 64 bits elsewhere (summaries, sample times).
constexpr uint64_t kMaxFrame = std::numeric_limits<int64_t>::max();

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

uint64_t parseWhole(std::string_view text, std::string_view what, uint64_t min, uint64_t max)
{
    const auto refuse = [&](std::string_view problem) {
        return UsageError(std::string(what) + ": '" + std::string(text) + "' " + std::string(problem) + " (" +
                          std::to_string(min) + " to " + std::to_string(max) + ")");
    };
    if (!isCount(text)) throw refuse("is not a whole number");
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value < min || value > max) throw refuse("is out of range");
    return value;
}

// A number a parameter value (a float) can hold without turning into
// infinity or losing all precision.
float parseValue(std::string_view text, std::string_view what)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool outOfRange =
        error == std::errc::result_out_of_range ||
        (error == std::errc() && value != 0.0 && (std::fabs(value) < FLT_MIN || std::fabs(value) > FLT_MAX));
    if (outOfRange && end == text.data() + text.size())
        throw UsageError(std::string(what) + ": '" + std::string(text) +
                         "' is out of range (0, or a size from " + formatNumber(FLT_MIN) + " to " +
                         formatNumber(FLT_MAX) + ")");
    return static_cast<float>(parseNumber(text, what));
}

AutomationEvent parseLine(std::string_view line, const ParameterLookup& findParameter)
{
    const std::string_view keyword = nextWord(line);
    if (keyword != "set" && keyword != "ramp")
        throw UsageError("expected 'set' or 'ramp', found '" + std::string(keyword) + "'");
    const bool ramp = keyword == "ramp";
    AutomationEvent event{};
    event.frame = parseWhole(nextWord(line), "frame", 0, kMaxFrame);
    if (ramp)
        event.duration = static_cast<uint32_t>(
            parseWhole(nextWord(line), "ramp length", 1, std::numeric_limits<uint32_t>::max()));
    const size_t equals = line.rfind('=');
    if (equals == std::string_view::npos) throw UsageError("expected PARAMETER = VALUE");
    const std::string_view name = trim(line.substr(0, equals));
    if (name.empty()) throw UsageError("the parameter is missing before '='", "give its id or name");
    const ParameterDescription parameter = findParameter(name);
    event.parameter = parameter.id;
    std::string_view values = line.substr(equals + 1);
    event.startValue = parseValue(nextWord(values), "value");
    event.endValue = ramp ? parseValue(nextWord(values), "end value") : event.startValue;
    if (!values.empty()) throw UsageError("unexpected '" + std::string(values) + "' after the value");
    checkRange(parameter, event.startValue);
    checkRange(parameter, event.endValue);
    return event;
}

// A control byte would cut a message short or hide in it, and so would a
// byte-order mark (invisible) past the start of the file: name them instead.
void checkText(std::string_view line)
{
    const auto control = std::ranges::find_if(line, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\r') || byte == 0x7f;
    });
    const size_t mark = line.find(kByteOrderMark);
    if (mark < static_cast<size_t>(control - line.begin()))
        throw UsageError("a byte-order mark (U+FEFF) in column " + std::to_string(mark + 1),
                         "only the first line of a file may start with one; remove it");
    if (control == line.end()) return;
    char shown[8];
    std::snprintf(shown, sizeof shown, "\\x%02x", static_cast<unsigned char>(*control));
    throw UsageError("control character " + std::string(shown) + " in column " +
                         std::to_string(control - line.begin() + 1),
                     "an automation file is plain text");
}

} // namespace

Automation::Automation(const std::string& path, const EffectUnit& unit)
{
    std::istringstream text(readInputFile(path, "automation file", kMaxFileBytes));
    // Asking the unit costs a call per parameter, and files name few of them
    // over many lines.
    std::map<std::string, ParameterDescription, std::less<>> found;
    *this = Automation(text, path, [&](std::string_view name) {
        const auto known = found.find(name);
        if (known != found.end()) return known->second;
        return found.emplace(name, unit.findParameter(name)).first->second;
    });
}

Automation::Automation(std::istream& text, const std::string& origin, const ParameterLookup& findParameter)
    : origin(origin)
{
    std::string line;
    for (int number = 1; std::getline(text, line); ++number) {
        std::string_view content = line;
        if (number == 1 && content.starts_with(kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
        try {
            checkText(content);
            content = trim(content.substr(0, content.find('#')));
            if (content.empty()) continue;
            AutomationEvent event = parseLine(content, findParameter);
            event.line = number;
            list.push_back(event);
        } catch (const UsageError& error) {
            throw UsageError(origin + ":" + std::to_string(number) + ": " + error.what(),
                             error.hint.empty() ? "see 'auhost process --help' for the file format"
                                                : error.hint);
        }
    }
    std::ranges::stable_sort(list, {}, &AutomationEvent::frame);
}

std::vector<std::string> Automation::warningsPastEnd(uint64_t frames) const
{
    std::vector<std::string> warnings;
    const std::string end = "the end of the input (" + std::to_string(frames) + " frames)";
    const auto where = [&](const AutomationEvent& event) {
        return origin + ":" + std::to_string(event.line) + ": ";
    };

    const auto unplayed = std::ranges::lower_bound(list, frames, {}, &AutomationEvent::frame);
    if (unplayed != list.end()) {
        const auto more = list.end() - unplayed - 1;
        warnings.push_back(where(*unplayed) + "frame " + std::to_string(unplayed->frame) + " is past " + end +
                           "; this event" +
                           (more ? " and " + std::to_string(more) + " more after it were" : " was") +
                           " not played");
    }
    const auto runsPast = [frames](const AutomationEvent& event) {
        return event.frame + event.duration > frames;
    };
    const auto cut = std::find_if(list.begin(), unplayed, runsPast);
    if (cut != unplayed) {
        const auto more = std::count_if(std::next(cut), unplayed, runsPast);
        warnings.push_back(
            where(*cut) + "the ramp runs to frame " + std::to_string(cut->frame + cut->duration) + ", past " +
            end + "; it" +
            (more ? " and " + std::to_string(more) + " more ramp" + (more > 1 ? "s" : "") + " were"
                  : " was") +
            " played only up to the end");
    }
    return warnings;
}

AutomationPlayer::AutomationPlayer(const Automation& automation) : events(automation.events())
{
    ramps.reserve(static_cast<size_t>(
        std::ranges::count_if(events, [](const AutomationEvent& event) { return event.duration > 0; })));
}

bool AutomationPlayer::later(const Step& a, const Step& b)
{
    return a.frame != b.frame ? a.frame > b.frame : a.event > b.event;
}

// Whether the next event in the list comes before the next ramp step (they
// never tie: a ramp's steps follow its own event).
bool AutomationPlayer::listFirst() const
{
    return cursor < events.size() && (ramps.empty() || later(ramps.front(), {events[cursor].frame, cursor}));
}

uint64_t AutomationPlayer::nextFrame() const
{
    if (listFirst()) return events[cursor].frame;
    return ramps.empty() ? std::numeric_limits<uint64_t>::max() : ramps.front().frame;
}

AudioUnitParameterEvent AutomationPlayer::play(const Step& step)
{
    const AutomationEvent& event = events[step.event];
    AudioUnitParameterEvent out{};
    out.scope = kAudioUnitScope_Global;
    out.element = 0;
    out.parameter = event.parameter;
    out.eventType = kParameterEvent_Immediate;
    out.eventValues.immediate = {0, event.startValue};
    if (event.duration == 0) return out;

    const uint64_t into = step.frame - event.frame;
    if (into >= event.duration) {
        out.eventValues.immediate.value = event.endValue;
        return out;
    }
    const double start = event.startValue, end = event.endValue;
    out.eventValues.immediate.value =
        static_cast<float>(start + (end - start) * static_cast<double>(into) / event.duration);
    // The last step lands on the ramp's end, whatever its length.
    ramps.push_back(
        {event.frame + std::min<uint64_t>(into + Automation::kRampStepFrames, event.duration), step.event});
    std::ranges::push_heap(ramps, later);
    return out;
}

size_t AutomationPlayer::take(uint64_t frame, std::span<AudioUnitParameterEvent> due)
{
    size_t count = 0;
    while (count < due.size() && nextFrame() <= frame) {
        Step step{};
        if (listFirst()) {
            step = {events[cursor].frame, cursor};
            ++cursor;
        } else {
            step = ramps.front();
            std::ranges::pop_heap(ramps, later);
            ramps.pop_back();
        }
        due[count++] = play(step);
    }
    return count;
}
