#include <algorithm>
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

// Settings worth hearing beside the factory programs of the units this
// project ships: the flanger's tempo lock at two tempos, and the tilt EQ,
// whose programs are all alike, tilted, lifted and off.
struct Showcase {
    std::string_view unit;
    std::string_view title;
    std::string_view preset; // empty: as the unit opens
    std::string_view setting;
    double tempo; // 0: no host tempo
};

constexpr Showcase showcases[] = {
    // "Sync Tempo" 2 sweeps once a bar.
    {"FlangerUnit", "Stereo Sweepy synced at 90 BPM", "Stereo Sweepy", "Sync Tempo=2", 90.0},
    {"FlangerUnit", "Stereo Sweepy synced at 140 BPM", "Stereo Sweepy", "Sync Tempo=2", 140.0},
    {"TiltEqUnit", "tilted up", "", "Shelf=0.75", 0.0},
    {"TiltEqUnit", "tilted down", "", "Shelf=0.25", 0.0},
    {"TiltEqUnit", "bass lift", "", "Bass lift=0.85", 0.0},
    {"TiltEqUnit", "off", "", "On / Off=0", 0.0},
};

// "3, 7–19" for 3, 7, 8, ..., 19.
std::string formatRanges(const std::vector<SInt32>& numbers)
{
    std::string text;
    for (size_t first = 0; first < numbers.size();) {
        size_t last = first;
        while (last + 1 < numbers.size() && numbers[last + 1] == numbers[last] + 1) ++last;
        text += (text.empty() ? "" : ", ") + std::to_string(numbers[first]);
        if (last > first) text += "\u2013" + std::to_string(numbers[last]);
        first = last + 1;
    }
    return text;
}

// The factory programs whose parameter values differ from every earlier
// one's, and in `duplicates` what the others repeat ("programs 7–19 are the
// same as 6 ('default')"), empty if nothing.
std::vector<PresetDescription> distinctPrograms(const CatalogEntry& entry, std::string& duplicates)
{
    EffectUnit unit(entry);
    const std::vector<ParameterDescription> parameters = unit.parameters();
    std::vector<PresetDescription> distinct;
    std::vector<std::vector<AudioUnitParameterValue>> valuesOf;
    std::vector<std::vector<SInt32>> repeatsOf;
    for (const PresetDescription& preset : unit.factoryPresets()) {
        unit.choosePreset(preset);
        std::vector<AudioUnitParameterValue> values;
        for (const ParameterDescription& parameter : parameters)
            values.push_back(unit.parameterValue(parameter));
        const auto same = std::ranges::find(valuesOf, values);
        if (same != valuesOf.end()) {
            repeatsOf[static_cast<size_t>(same - valuesOf.begin())].push_back(preset.number);
            continue;
        }
        distinct.push_back(preset);
        valuesOf.push_back(std::move(values));
        repeatsOf.emplace_back();
    }
    duplicates.clear();
    for (size_t i = 0; i < distinct.size(); ++i) {
        if (repeatsOf[i].empty()) continue;
        duplicates += duplicates.empty() ? "" : "; ";
        duplicates += (repeatsOf[i].size() == 1 ? "program " : "programs ") + formatRanges(repeatsOf[i]) +
                      (repeatsOf[i].size() == 1 ? " is" : " are") + " the same as " +
                      std::to_string(distinct[i].number) + " ('" + distinct[i].name + "')";
    }
    return distinct;
}

// One render with its summary line; false if it failed.
bool render(const CatalogEntry& entry, const ProcessOptions& options, const std::string& label)
{
    try {
        std::printf("%-60s %s\n", label.c_str(), describe(processFile(entry, options)).c_str());
        return true;
    } catch (const HostError& failure) {
        std::printf("%-60s FAILED: %s\n", label.c_str(), failure.what());
        return false;
    }
}

// Removes, when the demo ends, the folders it created that it leaves empty.
class CreatedFolder {
  public:
    explicit CreatedFolder(const fs::path& folder)
    {
        std::error_code error;
        for (fs::path level = fs::absolute(folder, error); !level.empty() && !fs::exists(level, error);
             level = level.parent_path())
            created.push_back(level);
        fs::create_directories(folder, error);
        if (error)
            throw HostError("cannot create '" + folder.string() + "': " + error.message(),
                            "choose another folder");
    }
    ~CreatedFolder()
    {
        // Innermost first; removing a folder that is not empty fails and keeps it.
        std::error_code error;
        for (const fs::path& level : created)
            if (!fs::remove(level, error)) break;
    }
    CreatedFolder(const CreatedFolder&) = delete;
    CreatedFolder& operator=(const CreatedFolder&) = delete;

  private:
    std::vector<fs::path> created;
};

int runDemo(const CommandLine& arguments, const Catalog& catalog)
{
    if (arguments.positionals().empty())
        throw UsageError("missing OUTDIR",
                         "usage: auhost demo OUTDIR [COMPONENT]... [--input FILE] [--seconds S]");
    std::vector<const CatalogEntry*> units;
    for (size_t i = 1; i < arguments.positionals().size(); ++i)
        units.push_back(&catalog.find(arguments.positionals()[i]));
    if (units.empty())
        for (const CatalogEntry& entry : catalog.entries())
            if (entry.description.componentType == kAudioUnitType_Effect) units.push_back(&entry);
    if (units.empty())
        throw HostError("no effects found on the plug-in path", "add a folder of bundles with --plugins DIR");
    const double seconds = parseNumber(arguments.value("seconds").value_or("4"), "--seconds");
    if (seconds <= 0.0 || seconds > 600.0) throw UsageError("--seconds must be more than 0 and at most 600");

    const fs::path folder = arguments.positionals()[0];
    const CreatedFolder created(folder);
    std::string input;
    if (const auto given = arguments.value("input")) {
        input = *given;
    } else {
        input = (folder / "input.wav").string();
        writeDemoInput(input, seconds);
        std::printf("%s: generated input\n", input.c_str());
    }

    int failures = 0;
    for (const CatalogEntry* entry : units) {
        std::string duplicates;
        std::vector<PresetDescription> presets = distinctPrograms(*entry, duplicates);
        if (!duplicates.empty())
            std::printf("%s: %s; rendered once\n", entry->name.c_str(), duplicates.c_str());
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
            failures += !render(*entry, options, entry->name + " #" + number + " '" + preset.name + "'");
        }
        for (const Showcase& showcase : showcases) {
            if (showcase.unit != entry->name) continue;
            ProcessOptions options;
            options.input = input;
            options.output = (folder / (slug(entry->name) + "-" + slug(showcase.title) + ".wav")).string();
            if (!showcase.preset.empty()) options.preset = std::string(showcase.preset);
            options.settings.emplace_back(showcase.setting);
            if (showcase.tempo > 0.0) options.tempo = showcase.tempo;
            failures += !render(*entry, options,
                                entry->name + " " + std::string(showcase.title) + " (" +
                                    std::string(showcase.setting) + ")");
        }
    }
    return failures ? 1 : 0;
}

} // namespace

const Command demoCommand{
    "demo",
    "process a test signal through every distinct factory preset of the effects",
    "Usage: auhost demo OUTDIR [COMPONENT]... [--input FILE] [--seconds S] [--plugins DIR]...\n"
    "Processes one input through every distinct factory preset of each COMPONENT\n"
    "(default: every effect on the plug-in path) into OUTDIR, one file per preset\n"
    "named UNIT-NN-PRESET.wav, and prints one summary line per file. A preset whose\n"
    "parameter values equal an earlier one's is named, not rendered again. The\n"
    "FlangerUnit also plays 'Stereo Sweepy' locked to the tempo (Sync Tempo 2) at\n"
    "90 and 140 BPM; the TiltEqUnit plays tilted up (Shelf 0.75), tilted down\n"
    "(Shelf 0.25), with a bass lift (Bass lift 0.85) and off, each named\n"
    "UNIT-SETTING.wav. The exit status is 1 if any file failed; a folder the demo\n"
    "created is removed if it stays empty.\n"
    "\n"
    "  --input FILE   the input (default: a generated stereo test signal, written\n"
    "                 to OUTDIR/input.wav: a sawtooth chord under a slow swell with\n"
    "                 a noise burst every second, 44.1 kHz float)\n"
    "  --seconds S    length of the generated signal (default 4)\n",
    options,
    runDemo,
};
