#pragma once

// Parsing of one command's arguments: options (--name VALUE, --name=VALUE,
// or a flag), repeatable, anywhere among the positional arguments; "--"
// ends the options.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct OptionSpec {
    std::string_view name;      // without the leading dashes
    std::string_view valueName; // empty for a flag
};

class CommandLine {
  public:
    // Throws UsageError for an unknown option or a missing value.
    CommandLine(std::span<const std::string> arguments, std::span<const OptionSpec> options);

    bool flag(std::string_view name) const;
    // The last value given.
    std::optional<std::string> value(std::string_view name) const;
    std::vector<std::string> values(std::string_view name) const;
    const std::vector<std::string>& positionals() const { return positional; }

  private:
    std::vector<std::pair<std::string, std::string>> given;
    std::vector<std::string> positional;
};

// UsageError showing `usage` unless exactly `count` positional arguments
// were given.
void expectPositionals(const CommandLine& arguments, size_t count, std::string_view usage);

// Strict number parsing of user text (the whole text must be the number);
// UsageError naming `what` otherwise.
double parseNumber(std::string_view text, std::string_view what);
uint32_t parseCount(std::string_view text, std::string_view what);
// A whole number from `least` to `most`; the UsageError names the range.
uint32_t parseCount(std::string_view text, std::string_view what, uint32_t least, uint32_t most);
bool isCount(std::string_view text);
// Nine significant digits ("%.9g"), for rates and times.
std::string formatNumber(double value);
// The shortest text that reads back as the same float: 0.4324, not 0.432399988.
std::string formatNumber(float value);
