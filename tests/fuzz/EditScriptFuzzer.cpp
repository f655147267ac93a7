// Parses arbitrary text as an auhost edit script. Malformed scripts must end
// in a UsageError naming a line of the text, nothing else; parsed ones must
// hold only steps the player can play: in line order, coordinates within
// 16-bit points, counts in their ranges, known modifiers.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/EditScript.h"
#include "host/HostError.h"
#include "platform/hitoolbox/CarbonEvents.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

bool isPoint(double x, double y)
{
    return std::isfinite(x) && std::isfinite(y) && std::fabs(x) <= 32767 && std::fabs(y) <= 32767;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int lines = 1;
    for (const char c : text) lines += c == '\n';
    std::vector<ScriptStep> steps;
    try {
        steps = parseEditScript(text, "fuzz");
    } catch (const UsageError& error) {
        const std::string message = error.what();
        require(message.starts_with("fuzz:"));
        const int line = std::atoi(message.c_str() + 5);
        require(line >= 1 && line <= lines);
        return 0;
    }
    constexpr uint32_t kModifiers = shiftKey | cmdKey | optionKey | controlKey;
    int previous = 0;
    for (const ScriptStep& step : steps) {
        require(step.line > previous && step.line <= lines);
        previous = step.line;
        require((step.modifiers & ~kModifiers) == 0);
        require(isPoint(step.x, step.y) && isPoint(step.x2, step.y2));
        switch (step.action) {
        case ScriptAction::drag:
            require(step.steps >= 1 && step.steps <= kMaxDragSteps);
            break;
        case ScriptAction::wheel:
            require(step.delta >= -100 && step.delta <= 100);
            break;
        case ScriptAction::menu:
            require(step.item >= 0 && step.item <= 999);
            break;
        case ScriptAction::wait:
            require(std::isfinite(step.milliseconds) && step.milliseconds >= 0);
            break;
        case ScriptAction::screenshot:
            require(step.file.size() > 4 && step.file.ends_with(".png"));
            break;
        default:
            break;
        }
    }
    return 0;
}
