#include "host/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "host/HostError.h"

CommandLine::CommandLine(std::span<const std::string> arguments, std::span<const OptionSpec> options)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !argument.starts_with("-") || argument == "-") {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!argument.starts_with("--")) throw UsageError("unknown option '" + argument + "'");
        const size_t equals = argument.find('=');
        const std::string name =
            argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const auto option = std::ranges::find(options, name, &OptionSpec::name);
        if (option == options.end()) throw UsageError("unknown option '--" + name + "'");
        if (option->valueName.empty()) {
            if (equals != std::string::npos) throw UsageError("option '--" + name + "' takes no value");
            given.emplace_back(name, std::string());
        } else if (equals != std::string::npos) {
            given.emplace_back(name, argument.substr(equals + 1));
        } else if (i + 1 < arguments.size()) {
            given.emplace_back(name, arguments[++i]);
        } else {
            throw UsageError("option '--" + name + "' needs a value (" + std::string(option->valueName) +
                             ")");
        }
    }
}

bool CommandLine::flag(std::string_view name) const
{
    return std::ranges::find(given, name, &std::pair<std::string, std::string>::first) != given.end();
}

std::optional<std::string> CommandLine::value(std::string_view name) const
{
    std::optional<std::string> last;
    for (const auto& [option, text] : given)
        if (option == name) last = text;
    return last;
}

std::vector<std::string> CommandLine::values(std::string_view name) const
{
    std::vector<std::string> all;
    for (const auto& [option, text] : given)
        if (option == name) all.push_back(text);
    return all;
}

void expectPositionals(const CommandLine& arguments, size_t count, std::string_view usage)
{
    const size_t given = arguments.positionals().size();
    if (given < count) throw UsageError("missing arguments", "usage: " + std::string(usage));
    if (given > count)
        throw UsageError("unexpected argument '" + arguments.positionals()[count] + "'",
                         "usage: " + std::string(usage));
}

double parseNumber(std::string_view text, std::string_view what)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        throw UsageError(std::string(what) + ": '" + std::string(text) + "' is not a number");
    return value;
}

bool isCount(std::string_view text)
{
    return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

uint32_t parseCount(std::string_view text, std::string_view what)
{
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (!isCount(text) || error != std::errc() || end != text.data() + text.size())
        throw UsageError(std::string(what) + ": '" + std::string(text) + "' is not a whole number");
    return value;
}

uint32_t parseCount(std::string_view text, std::string_view what, uint32_t least, uint32_t most)
{
    uint32_t value = 0;
    if (!isCount(text) || std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc() ||
        value < least || value > most)
        throw UsageError(std::string(what) + " must be between " + std::to_string(least) + " and " +
                             std::to_string(most) + ", not '" + std::string(text) + "'",
                         "give a whole number");
    return value;
}

std::string formatNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string formatNumber(float value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}
