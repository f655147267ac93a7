#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

#include "host/Commands.h"
#include "host/EffectUnit.h"
#include "host/FileProcessor.h"
#include "host/HostError.h"
#include "platform/audiounit/AudioUnit.h"

namespace fs = std::filesystem;

namespace {

constexpr OptionSpec options[] = {{"input", "FILE"}, {"seconds", "S"}};
constexpr int kDemoRate = 44100;

// A stereo test signal that shows what an effect does: a sawtooth chord
// (dense harmonics for a flanger's comb to move through) under a slow swell,
// with a burst of noise every second for the transient response. Fixed
// seed, so every run writes the same file.
void writeDemoInput(const std::string& path, double seconds)
{
    const auto frames = static_cast<size_t>(seconds * kDemoRate);
    AudioWriter writer(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, SampleEncoding::SameAsInput, 2, kDemoRate,
                       static_cast<int64_t>(frames));
    constexpr double chord[] = {110.0, 164.81, 220.0, 277.18};
    uint32_t noise = 12345;
    std::vector<float> block;
    for (size_t start = 0; start < frames; start += kDemoRate / 10) {
        const size_t count = std::min<size_t>(kDemoRate / 10, frames - start);
        block.assign(count * 2, 0.0f);
        for (size_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(start + i) / kDemoRate;
            double left = 0.0, right = 0.0;
            for (const double frequency : chord) {
                left += 2.0 * (t * frequency - std::floor(t * frequency + 0.5));
                right += 2.0 * (t * frequency * 1.003 - std::floor(t * frequency * 1.003 + 0.5));
            }
            const double swell = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * t / 4.0);
            noise = noise * 1664525u + 1013904223u;
            const double white = static_cast<double>(noise >> 8) / (1 << 23) - 1.0;
            const double burst = std::fmod(t, 1.0) < 0.05 ? 0.4 * white : 0.0;
            block[2 * i] = static_cast<float>(0.1 * swell * left + burst);
            block[2 * i + 1] = static_cast<float>(0.1 * swell * right + burst);
        }
        writer.write(block.data(), count);
    }
    writer.commit();
}

// "Gentle Stereo Flanger" -> "gentle-stereo-flanger".
std::string slug(std::string_view name)
{
    std::string text;
    for (const unsigned char c : name) {
        if (std::isalnum(c))
            text += static_cast<char>(std::tolower(c));
        else if (!text.empty() && text.back() != '-')
            text += '-';
    }
    while (!text.empty() && text.back() == '-') text.pop_back();
    return text.empty() ? "preset" : text;
}

int runDemo(const CommandLine& arguments, const Catalog& catalog)
{
    if (arguments.positionals().empty())
        throw UsageError("missing OUTDIR",
                         "usage: auhost demo OUTDIR [COMPONENT]... [--input FILE] [--seconds S]");
    const fs::path folder = arguments.positionals()[0];
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw HostError("cannot create '" + folder.string() + "': " + error.message(),
                        "choose another folder");

    std::vector<const CatalogEntry*> units;
    for (size_t i = 1; i < arguments.positionals().size(); ++i)
        units.push_back(&catalog.find(arguments.positionals()[i]));
    if (units.empty())
        for (const CatalogEntry& entry : catalog.entries())
            if (entry.description.componentType == kAudioUnitType_Effect) units.push_back(&entry);
    if (units.empty())
        throw HostError("no effects found on the plug-in path", "add a folder of bundles with --plugins DIR");

    std::string input;
    if (const auto given = arguments.value("input")) {
        input = *given;
    } else {
        const double seconds = parseNumber(arguments.value("seconds").value_or("4"), "--seconds");
        if (seconds <= 0.0 || seconds > 600.0)
            throw UsageError("--seconds must be more than 0 and at most 600");
        input = (folder / "input.wav").string();
        writeDemoInput(input, seconds);
        std::printf("%s: generated input\n", input.c_str());
    }

    int failures = 0;
    for (const CatalogEntry* entry : units) {
        std::vector<PresetDescription> presets = EffectUnit(*entry).factoryPresets();
        const bool hasPresets = !presets.empty();
        if (!hasPresets) presets.push_back({0, "default settings"});
        for (const PresetDescription& preset : presets) {
            char number[16];
            std::snprintf(number, sizeof number, "%02d", preset.number);
            ProcessOptions options;
            options.input = input;
            options.output =
                (folder / (slug(entry->name) + "-" + number + "-" + slug(preset.name) + ".wav")).string();
            if (hasPresets) options.preset = std::to_string(preset.number);
            const std::string label = entry->name + " #" + number + " '" + preset.name + "'";
            try {
                std::printf("%-40s %s\n", label.c_str(), describe(processFile(*entry, options)).c_str());
            } catch (const HostError& failure) {
                std::printf("%-40s FAILED: %s\n", label.c_str(), failure.what());
                ++failures;
            }
        }
    }
    return failures ? 1 : 0;
}

} // namespace

const Command demoCommand{
    "demo",
    "process a test signal through every factory preset of the effects",
    "Usage: auhost demo OUTDIR [COMPONENT]... [--input FILE] [--seconds S] [--plugins DIR]...\n"
    "Processes one input through every factory preset of each COMPONENT (default:\n"
    "every effect on the plug-in path) into OUTDIR, one file per preset named\n"
    "UNIT-NN-PRESET.wav, and prints one summary line per file. The exit status is\n"
    "1 if any file failed.\n"
    "\n"
    "  --input FILE   the input (default: a generated stereo test signal, written\n"
    "                 to OUTDIR/input.wav: a sawtooth chord under a slow swell with\n"
    "                 a noise burst every second, 44.1 kHz float)\n"
    "  --seconds S    length of the generated signal (default 4)\n",
    options,
    runDemo,
};
