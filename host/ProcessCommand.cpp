#include <unistd.h>

#include <cstdio>

#include "host/Commands.h"
#include "host/FileProcessor.h"

namespace {

constexpr OptionSpec options[] = {
    {"preset", "N|NAME"}, {"set", "PARAMETER=VALUE"}, {"state", "FILE"},      {"save-state", "FILE"},
    {"tempo", "BPM"},     {"block", "FRAMES"},        {"automation", "FILE"}, {"bypass", ""},
    {"format", "FORMAT"},
};

int runProcess(const CommandLine& arguments, const Catalog& catalog)
{
    expectPositionals(arguments, 3, "auhost process COMPONENT IN OUT [OPTION]...");
    ProcessOptions options;
    options.input = arguments.positionals()[1];
    options.output = arguments.positionals()[2];
    options.preset = arguments.value("preset");
    options.settings = arguments.values("set");
    options.stateIn = arguments.value("state");
    options.stateOut = arguments.value("save-state");
    options.automation = arguments.value("automation");
    if (const auto tempo = arguments.value("tempo")) options.tempo = parseNumber(*tempo, "--tempo");
    if (const auto block = arguments.value("block"))
        options.blockFrames = parseCount(*block, "--block", 1, kMaxBlockFrames);
    if (const auto format = arguments.value("format")) options.encoding = parseSampleEncoding(*format);
    options.bypass = arguments.flag("bypass");
    options.showProgress = isatty(STDERR_FILENO);

    const ProcessSummary summary = processFile(catalog.find(arguments.positionals()[0]), options);
    std::printf("%s\n", describe(summary).c_str());
    for (const std::string& warning : summary.warnings)
        std::fprintf(stderr, "auhost process: warning: %s\n", warning.c_str());
    if (summary.clippedSamples)
        std::fprintf(stderr,
                     "auhost process: warning: %llu samples clipped in '%s'\n"
                     "  lower the level (e.g. --set with the unit's volume) or write --format float\n",
                     static_cast<unsigned long long>(summary.clippedSamples), summary.output.c_str());
    return 0;
}

} // namespace

const Command processCommand{
    "process",
    "process an audio file through an effect",
    "Usage: auhost process COMPONENT IN OUT [OPTION]... [--plugins DIR]...\n"
    "Processes the audio file IN through the effect COMPONENT into OUT, block by\n"
    "block, as a host does. IN must be mono or stereo (or whatever the unit\n"
    "supports); OUT gets IN's sample rate, channels, file type and sample format\n"
    "unless --format says otherwise; IN's rate must lie between 8000 and 768000 Hz.\n"
    "OUT and the --save-state file appear together when complete, or neither\n"
    "does (also on Ctrl-C); OUT is never IN (also not through another path to\n"
    "the same file). A WAV output over 4 GiB is written as RF64. Samples clipped\n"
    "when writing integer formats are counted and reported; an input shorter than\n"
    "its header says and restored values outside their range are warned about.\n"
    "Prints one summary line.\n"
    "\n"
    "Settings are applied in this order: --state, --preset, each --set.\n"
    "  --preset N|NAME         choose factory preset number N, or the one named NAME\n"
    "  --set PARAMETER=VALUE   set a parameter (id or name) before processing;\n"
    "                          repeatable\n"
    "  --state FILE            restore a saved state (XML or binary property list)\n"
    "  --save-state FILE       after processing, save the unit's state as an XML\n"
    "                          property list (written together with OUT)\n"
    "  --tempo BPM             give the unit a host tempo (without it the unit gets\n"
    "                          no host callbacks)\n"
    "  --block FRAMES          frames per render call (default 512, at most 65536)\n"
    "  --automation FILE       schedule parameter events from FILE (see below)\n"
    "  --bypass                bypass the effect (the output equals the input)\n"
    "  --format FORMAT         sample format of OUT: float, pcm16 or pcm24\n"
    "\n"
    "Automation file: one event per line, '#' starts a comment:\n"
    "  set  FRAME PARAMETER = VALUE\n"
    "  ramp FRAME FRAMES PARAMETER = START END\n"
    "FRAME is the position in IN in sample frames, PARAMETER an id or a name\n"
    "(which may contain spaces). Renders are split so that each value takes\n"
    "effect exactly at its frame, whatever --block is. A ramp moves from START at\n"
    "FRAME to END at FRAME+FRAMES in steps of 32 frames and leaves the parameter\n"
    "at END. Events past the end of IN are reported as warnings. The file must be\n"
    "a regular file of at most 64 MiB (a --state file at most 16 MiB). Example:\n"
    "  set  0      Depth = 0.2\n"
    "  ramp 44100  22050  Dry / Wet = 0.0 1.0\n"
    "  set  88200  Depth = 0.8\n"
    "\n"
    "Example:\n"
    "  auhost process FlangerUnit in.wav out.wav --preset 1 --set Depth=0.7 --tempo 96\n",
    options,
    runProcess,
};
