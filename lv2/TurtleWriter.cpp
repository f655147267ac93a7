#include "lv2/TurtleWriter.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fstream>
#include <map>

#include "lv2/EffectAdapter.h"
#include "platform/corefoundation/CFRef.h"

namespace {

// What a host shows of a parameter beyond its range, which the units do
// not report: the flanger's tempo sync is a choice of note values, the tilt
// EQ's switch a toggle.
struct Presentation {
    bool toggled;
    std::vector<const char*> labels; // of the values from the minimum on
};
const std::map<std::string, Presentation, std::less<>> presentations = {
    {"Sync Tempo", {false, {"man", "1/2", "1/1", "2/1", "4/1", "1/2T", "1/1T", "2/1T", "4/1T"}}},
    {"On / Off", {true, {}}},
};

constexpr const char* kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                                  "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
                                  "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                                  "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                  "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                                  "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                  "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                                  "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                  "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                                  "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
                                  "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string text(CFStringRef string)
{
    const char* bytes = string ? CFStringGetCStringPtr(string, kCFStringEncodingUTF8) : nullptr;
    return bytes ? bytes : "";
}

std::vector<AUPreset> factoryPresets(AudioUnit unit)
{
    CFArrayRef array = nullptr;
    UInt32 size = sizeof array;
    if (AudioUnitGetProperty(unit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &array,
                             &size) != noErr ||
        !array)
        return {};
    // The array holds the unit's own records without owning them.
    const platform::CFRef owner(array);
    std::vector<AUPreset> presets;
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i)
        presets.push_back(*static_cast<const AUPreset*>(CFArrayGetValueAtIndex(array, i)));
    return presets;
}

std::string audioPort(uint32_t index, const char* symbol, const char* name, bool input)
{
    return std::string("[\n        a lv2:AudioPort , lv2:") + (input ? "InputPort" : "OutputPort") +
           " ;\n        lv2:index " + std::to_string(index) + " ;\n        lv2:symbol \"" + symbol +
           "\" ;\n        lv2:name \"" + name + "\"\n    ]";
}

} // namespace

std::string turtleNumber(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string number(buffer, result.ptr);
    if (number.find_first_of(".e") == std::string::npos) number += ".0";
    return number;
}

std::string turtleString(const std::string& text)
{
    std::string literal = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') literal += '\\';
        literal += c;
    }
    return literal + '"';
}

TurtleWriter::TurtleWriter(const HostedUnit& unit, PluginIdentity identity)
    : identity(std::move(identity)), ports(unit.controlPorts())
{
    const AudioUnit au = unit.get();
    version = static_cast<UInt32>(platform::callSelector(au, kComponentVersionSelect));
    const std::vector<AUPreset> presets = factoryPresets(au);
    for (const AUPreset& preset : presets) {
        HostedUnit::check(AudioUnitSetProperty(au, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global,
                                               0, &preset, sizeof preset),
                          "choosing program " + std::to_string(preset.presetNumber));
        Preset program{preset.presetNumber, text(preset.presetName), {}};
        for (const ControlPort& port : ports) {
            AudioUnitParameterValue value = 0.0f;
            HostedUnit::check(AudioUnitGetParameter(au, port.id, kAudioUnitScope_Global, 0, &value),
                              "reading " + port.name);
            program.values.push_back(value);
        }
        // Programs that share a name are told apart by their numbers.
        const auto named = [&](const AUPreset& other) { return text(other.presetName) == program.label; };
        if (std::ranges::count_if(presets, named) > 1)
            program.label += " (" + std::to_string(program.number) + ")";
        programs.push_back(std::move(program));
    }
}

std::string TurtleWriter::presetUri(const Preset& preset) const
{
    return "<" + identity.uri + ":preset:" + std::to_string(preset.number) + ">";
}

std::string TurtleWriter::manifest() const
{
    std::string ttl = kPrefixes;
    ttl += "<" + identity.uri + ">\n    a lv2:Plugin ;\n    lv2:binary <" + identity.name +
           ".so> ;\n    rdfs:seeAlso <" + identity.name + ".ttl> .\n";
    for (const Preset& preset : programs)
        ttl += "\n" + presetUri(preset) + "\n    a pset:Preset ;\n    lv2:appliesTo <" + identity.uri +
               "> ;\n    rdfs:label " + turtleString(preset.label) + " ;\n    rdfs:seeAlso <presets.ttl> .\n";
    return ttl;
}

std::string TurtleWriter::controlPort(const ControlPort& port, uint32_t index) const
{
    std::string ttl = "[\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " +
                      std::to_string(index) + " ;\n        lv2:symbol \"" + port.symbol +
                      "\" ;\n        lv2:name " + turtleString(port.name) + " ;\n        lv2:default " +
                      turtleNumber(port.initial) + " ;\n        lv2:minimum " + turtleNumber(port.minimum) +
                      " ;\n        lv2:maximum " + turtleNumber(port.maximum);
    if (const auto found = presentations.find(port.name); found != presentations.end()) {
        const Presentation& shown = found->second;
        if (shown.toggled) ttl += " ;\n        lv2:portProperty lv2:toggled";
        if (!shown.labels.empty()) {
            ttl += " ;\n        lv2:portProperty lv2:integer , lv2:enumeration";
            for (size_t i = 0; i < shown.labels.size(); ++i)
                ttl += " ;\n        lv2:scalePoint [ rdfs:label " + turtleString(shown.labels[i]) +
                       " ; rdf:value " + turtleNumber(port.minimum + static_cast<float>(i)) + " ]";
        }
    }
    return ttl + "\n    ]";
}

std::string TurtleWriter::plugin() const
{
    std::string ttl = kPrefixes;
    ttl += "<" + identity.uri + ">\n    a lv2:Plugin , lv2:" + identity.lv2Class + " ;\n    doap:name " +
           turtleString(identity.name) + " ;\n";
    // The unit's version is 0xMMMMmmbb; LV2 keeps the minor and micro parts.
    ttl += "    lv2:minorVersion " + std::to_string((version >> 8) & 0xFF) + " ;\n    lv2:microVersion " +
           std::to_string(version & 0xFF) + " ;\n";
    ttl += "    lv2:requiredFeature urid:map ;\n"
           "    lv2:optionalFeature lv2:hardRTCapable , opts:options ;\n"
           "    opts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n"
           "    lv2:extensionData state:interface ;\n";
    ttl += "    lv2:port " + audioPort(EffectAdapter::kInputLeft, "in_l", "In L", true) + " , " +
           audioPort(EffectAdapter::kInputRight, "in_r", "In R", true) + " , " +
           audioPort(EffectAdapter::kOutputLeft, "out_l", "Out L", false) + " , " +
           audioPort(EffectAdapter::kOutputRight, "out_r", "Out R", false) + " , ";
    ttl += "[\n        a lv2:InputPort , atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
           "        atom:supports time:Position ;\n        lv2:designation lv2:control ;\n"
           "        lv2:portProperty lv2:connectionOptional ;\n        lv2:index " +
           std::to_string(EffectAdapter::kTime) +
           " ;\n        lv2:symbol \"control\" ;\n        lv2:name \"Control\"\n    ]";
    for (size_t i = 0; i < ports.size(); ++i)
        ttl += " , " + controlPort(ports[i], EffectAdapter::kFirstControl + static_cast<uint32_t>(i));
    return ttl + " .\n";
}

std::string TurtleWriter::presets() const
{
    std::string ttl = kPrefixes;
    for (const Preset& preset : programs) {
        ttl += presetUri(preset) + "\n    a pset:Preset ;\n    lv2:appliesTo <" + identity.uri +
               "> ;\n    rdfs:label " + turtleString(preset.label) + " ;\n    lv2:port ";
        for (size_t i = 0; i < ports.size(); ++i)
            ttl += std::string(i ? " , " : "") + "[\n        lv2:symbol \"" + ports[i].symbol +
                   "\" ;\n        pset:value " + turtleNumber(preset.values[i]) + "\n    ]";
        ttl += " .\n\n";
    }
    return ttl;
}

void TurtleWriter::writeInto(const std::filesystem::path& folder) const
{
    const auto write = [&](const std::string& file, const std::string& content) {
        std::ofstream out(folder / file, std::ios::binary);
        out << content;
        out.close();
        if (!out) throw std::runtime_error("cannot write " + (folder / file).string());
    };
    write("manifest.ttl", manifest());
    write(identity.name + ".ttl", plugin());
    write("presets.ttl", presets());
}
