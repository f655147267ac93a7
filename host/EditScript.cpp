#include "host/EditScript.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iterator>

#include "host/HostError.h"
#include "platform/hitoolbox/CarbonEvents.h"

namespace {

struct KeyName {
    std::string_view name;
    uint32_t code;
    char character;
};

// Where each key sits on a US Macintosh keyboard, and what it types alone.
constexpr KeyName keys[] = {
    {"a", 0, 'a'},         {"s", 1, 's'},
    {"d", 2, 'd'},         {"f", 3, 'f'},
    {"h", 4, 'h'},         {"g", 5, 'g'},
    {"z", 6, 'z'},         {"x", 7, 'x'},
    {"c", 8, 'c'},         {"v", 9, 'v'},
    {"b", 11, 'b'},        {"q", 12, 'q'},
    {"w", 13, 'w'},        {"e", 14, 'e'},
    {"r", 15, 'r'},        {"y", 16, 'y'},
    {"t", 17, 't'},        {"1", 18, '1'},
    {"2", 19, '2'},        {"3", 20, '3'},
    {"4", 21, '4'},        {"6", 22, '6'},
    {"5", 23, '5'},        {"9", 25, '9'},
    {"7", 26, '7'},        {"minus", 27, '-'},
    {"8", 28, '8'},        {"0", 29, '0'},
    {"o", 31, 'o'},        {"u", 32, 'u'},
    {"i", 34, 'i'},        {"p", 35, 'p'},
    {"return", 36, '\r'},  {"l", 37, 'l'},
    {"j", 38, 'j'},        {"k", 40, 'k'},
    {"n", 45, 'n'},        {"m", 46, 'm'},
    {"period", 47, '.'},   {"tab", 48, '\t'},
    {"space", 49, ' '},    {"delete", 51, '\b'},
    {"escape", 53, 0x1B},  {"home", 115, 0x01},
    {"pageup", 116, 0x0B}, {"forwarddelete", 117, 0x7F},
    {"end", 119, 0x04},    {"pagedown", 121, 0x0C},
    {"left", 123, 0x1C},   {"right", 124, 0x1D},
    {"down", 125, 0x1F},   {"up", 126, 0x1E},
};

struct ModifierName {
    std::string_view name;
    uint32_t bit;
};
constexpr ModifierName modifierNames[] = {
    {"shift", shiftKey}, {"command", cmdKey}, {"option", optionKey}, {"control", controlKey}};

constexpr std::string_view commandNames[] = {"press", "release", "move", "click", "drag",
                                             "wheel", "key",     "menu", "wait",  "screenshot"};

// Coordinates stay within what the toolbox's 16-bit points hold.
constexpr double kMaxCoordinate = 32767;

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> list;
    size_t i = 0;
    while (true) {
        i = line.find_first_not_of(" \t\r", i);
        if (i == std::string_view::npos) return list;
        const size_t end = std::min(line.find_first_of(" \t\r", i), line.size());
        list.push_back(line.substr(i, end - i));
        i = end;
    }
}

class LineParser {
  public:
    LineParser(std::string_view origin, int line, std::vector<std::string_view> words)
        : origin(origin), line(line), list(std::move(words))
    {
    }

    [[noreturn]] void fail(const std::string& message) const
    {
        throw UsageError(std::string(origin) + ":" + std::to_string(line) + ": " + message,
                         "'auhost edit --help' describes scripts");
    }

    std::string_view command() const { return list[0]; }
    size_t remaining() const { return list.size() - next; }

    std::string_view take(std::string_view what)
    {
        if (next >= list.size()) fail(std::string(command()) + " needs " + std::string(what));
        return list[next++];
    }

    double number(std::string_view what, double least, double most)
    {
        const std::string_view text = take(what);
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
            fail(std::string(what) + " '" + std::string(text) + "' is not a number");
        if (value < least || value > most)
            fail(std::string(what) + " " + std::string(text) + " is outside " + trim(least) + " to " +
                 trim(most));
        return value;
    }

    int whole(std::string_view what, int least, int most)
    {
        const std::string_view peek = next < list.size() ? list[next] : std::string_view();
        const double value = number(what, least, most);
        if (value != std::floor(value)) fail(std::string(what) + " '" + std::string(peek) + "' is not whole");
        return static_cast<int>(value);
    }

    // The rest of the line.
    uint32_t modifiers()
    {
        uint32_t bits = 0;
        for (; next < list.size(); ++next) {
            const auto found = std::ranges::find(modifierNames, list[next], &ModifierName::name);
            if (found == std::end(modifierNames))
                fail("'" + std::string(list[next]) + "' is not a modifier (shift, command, option, control)");
            bits |= found->bit;
        }
        return bits;
    }

    bool nextIsNumber() const
    {
        return next < list.size() && (std::isdigit(static_cast<unsigned char>(list[next][0])) != 0 ||
                                      list[next][0] == '-' || list[next][0] == '.');
    }

    void end() const
    {
        if (next < list.size())
            fail("unexpected '" + std::string(list[next]) + "' after " + std::string(command()));
    }

  private:
    static std::string trim(double value) { return std::to_string(static_cast<long long>(value)); }

    std::string_view origin;
    int line;
    std::vector<std::string_view> list;
    size_t next = 1;
};

ScriptStep parseStep(LineParser& parser, ScriptAction action, int line)
{
    ScriptStep step;
    step.action = action;
    step.line = line;
    const auto point = [&](double& x, double& y) {
        x = parser.number("X", -kMaxCoordinate, kMaxCoordinate);
        y = parser.number("Y", -kMaxCoordinate, kMaxCoordinate);
    };
    switch (action) {
    case ScriptAction::press:
    case ScriptAction::click:
        point(step.x, step.y);
        step.modifiers = parser.modifiers();
        break;
    case ScriptAction::release:
        break;
    case ScriptAction::move:
        point(step.x, step.y);
        break;
    case ScriptAction::drag:
        point(step.x, step.y);
        point(step.x2, step.y2);
        step.steps = parser.nextIsNumber() ? parser.whole("STEPS", 1, kMaxDragSteps) : kDefaultDragSteps;
        step.modifiers = parser.modifiers();
        break;
    case ScriptAction::wheel:
        point(step.x, step.y);
        step.delta = parser.whole("DELTA", -100, 100);
        step.modifiers = parser.modifiers();
        break;
    case ScriptAction::key: {
        const std::string_view name = parser.take("a key NAME");
        const auto found = std::ranges::find(keys, name, &KeyName::name);
        if (found == std::end(keys))
            parser.fail("unknown key '" + std::string(name) + "' (" + scriptKeyNames() + ")");
        step.keyCode = found->code;
        step.character = found->character;
        step.modifiers = parser.modifiers();
        break;
    }
    case ScriptAction::menu:
        step.item = parser.whole("ITEM", 0, 999);
        break;
    case ScriptAction::wait:
        step.milliseconds = parser.number("MS", 0, 3600000);
        break;
    case ScriptAction::screenshot: {
        const std::string_view file = parser.take("a FILE.png");
        if (file.size() < 5 || file.substr(file.size() - 4) != ".png")
            parser.fail("the screenshot file '" + std::string(file) + "' does not end in .png");
        step.file = file;
        break;
    }
    }
    parser.end();
    return step;
}

} // namespace

std::vector<ScriptStep> parseEditScript(std::string_view text, std::string_view origin)
{
    std::vector<ScriptStep> steps;
    int line = 0;
    for (size_t start = 0; start <= text.size();) {
        const size_t newline = std::min(text.find('\n', start), text.size());
        std::string_view content = text.substr(start, newline - start);
        start = newline + 1;
        ++line;
        content = content.substr(0, std::min(content.find('#'), content.size()));
        std::vector<std::string_view> list = words(content);
        if (list.empty()) continue;
        LineParser parser(origin, line, std::move(list));
        const auto found = std::ranges::find(commandNames, parser.command());
        if (found == std::end(commandNames))
            parser.fail("unknown step '" + std::string(parser.command()) +
                        "' (press, release, move, click, drag, wheel, key, menu, wait, screenshot)");
        steps.push_back(parseStep(
            parser, static_cast<ScriptAction>(std::distance(std::begin(commandNames), found)), line));
    }
    return steps;
}

std::string scriptKeyNames()
{
    std::string names;
    for (const KeyName& key : keys) {
        if (key.name.size() == 1 && key.name != "a" && key.name != "0") continue;
        if (!names.empty()) names += ", ";
        names += key.name == "a" ? "a to z" : key.name == "0" ? "0 to 9" : std::string(key.name);
    }
    return names;
}
