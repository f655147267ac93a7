// auhost: a command-line host for Audio Unit effects.

#include <cstdio>
#include <string>
#include <vector>

#include "host/Commands.h"
#include "host/HostError.h"
#include "host/PluginPath.h"

namespace {

const Command* const commands[] = {&listCommand, &infoCommand, &processCommand, &demoCommand, &editCommand};

constexpr OptionSpec commonOptions[] = {{"plugins", "DIR"}, {"help", ""}};

void printUsage(FILE* stream)
{
    std::fprintf(stream, "Usage: auhost COMMAND [OPTION]... [ARGUMENT]...\n"
                         "Hosts Audio Unit effects from the command line.\n\nCommands:\n");
    for (const Command* command : commands)
        std::fprintf(stream, "  %-9.*s %.*s\n", static_cast<int>(command->name.size()), command->name.data(),
                     static_cast<int>(command->summary.size()), command->summary.data());
    std::fprintf(stream,
                 "\nOptions of every command:\n"
                 "  --plugins DIR   also look for *.component bundles in DIR (repeatable; searched first)\n"
                 "  --help          describe the command\n"
                 "\nBundles are looked for in the --plugins folders, then the folders of AU_PLUGIN_PATH\n"
                 "(colon-separated), then %s, then the bundles of\n"
                 "this build (%s). A bundle name found twice is taken from the first folder.\n"
                 "\n'auhost COMMAND --help' describes a command.\n",
                 userPluginFolder().empty() ? "~/.local/lib/auhost/plugins" : userPluginFolder().c_str(),
                 AUHOST_BUILD_BUNDLES_DIR);
}

int run(const Command& command, const std::vector<std::string>& arguments)
{
    std::vector<OptionSpec> options(command.options.begin(), command.options.end());
    options.insert(options.end(), std::begin(commonOptions), std::end(commonOptions));
    const CommandLine commandLine(arguments, options);
    if (commandLine.flag("help")) {
        std::fwrite(command.help.data(), 1, command.help.size(), stdout);
        return 0;
    }
    return command.run(commandLine, registerPlugins(commandLine.values("plugins")));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printUsage(stdout);
        return 0;
    }
    for (const Command* command : commands) {
        if (command->name != name) continue;
        try {
            return run(*command, std::vector<std::string>(argv + 2, argv + argc));
        } catch (const HostError& error) {
            std::fprintf(stderr, "auhost %s: error: %s\n", name.c_str(), error.what());
            if (!error.hint.empty()) std::fprintf(stderr, "  %s\n", error.hint.c_str());
            // Pointing at the help once is enough.
            if (dynamic_cast<const UsageError*>(&error) && error.hint.find("--help") == std::string::npos)
                std::fprintf(stderr, "  ('auhost %s --help' describes the command)\n", name.c_str());
            return dynamic_cast<const UsageError*>(&error) ? 2 : 1;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "auhost %s: error: %s\n", name.c_str(), error.what());
            return 1;
        }
    }
    std::fprintf(stderr, "auhost: unknown command '%s'\n\n", name.c_str());
    printUsage(stderr);
    return 2;
}
