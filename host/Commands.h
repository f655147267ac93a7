#pragma once

// The host's commands. Each gets its own options plus --plugins and --help,
// and runs against the components registered from the plug-in path.

#include <span>
#include <string_view>

#include "host/Catalog.h"
#include "host/CommandLine.h"

struct Command {
    std::string_view name;
    std::string_view summary;
    std::string_view help;
    std::span<const OptionSpec> options;
    // The exit status; failures are thrown as HostError.
    int (*run)(const CommandLine& arguments, const Catalog& catalog);
};

extern const Command listCommand;
extern const Command infoCommand;
extern const Command processCommand;
extern const Command demoCommand;
extern const Command editCommand;
