#include <algorithm>
#include <cstdio>

#include "host/Commands.h"
#include "host/EffectUnit.h"
#include "host/JsonWriter.h"

namespace {

constexpr OptionSpec options[] = {{"json", ""}, {"all", ""}};

struct UnitFacts {
    UInt32 version;
    std::vector<ParameterDescription> parameters;
    std::vector<AudioUnitParameterValue> values; // after opening, one per parameter
    std::vector<PresetDescription> presets;
    std::vector<AUChannelInfo> channels;
    Float64 latency;
    Float64 tailTime;
    std::vector<ComponentDescription> editors;
};

// The editor's name when its component is registered too.
std::string editorName(const Catalog& catalog, const ComponentDescription& editor)
{
    const CatalogEntry* entry = catalog.find(editor);
    return entry ? entry->name : std::string();
}

void printJson(const CatalogEntry& entry, const UnitFacts& facts, const Catalog& catalog)
{
    JsonWriter json;
    json.beginObject()
        .key("codes")
        .value(formatCodes(entry.description))
        .key("name")
        .value(entry.name)
        .key("bundle")
        .value(entry.bundle)
        .key("version")
        .value(facts.version)
        .key("versionString")
        .value(formatVersion(facts.version))
        .key("parameters")
        .beginArray();
    for (size_t i = 0; i < facts.parameters.size(); ++i) {
        const ParameterDescription& p = facts.parameters[i];
        json.beginObject()
            .key("id")
            .value(p.id)
            .key("name")
            .value(p.name)
            .key("min")
            .value(static_cast<double>(p.min))
            .key("max")
            .value(static_cast<double>(p.max))
            .key("value")
            .value(static_cast<double>(facts.values[i]))
            .key("default")
            .value(static_cast<double>(p.defaultValue))
            .key("unit")
            .value(parameterUnitName(p.unit))
            .key("flags")
            .value(p.flags)
            .endObject();
    }
    json.endArray().key("presets").beginArray();
    for (const PresetDescription& preset : facts.presets)
        json.beginObject().key("number").value(preset.number).key("name").value(preset.name).endObject();
    json.endArray().key("channelConfigurations").beginArray();
    for (const AUChannelInfo& info : facts.channels)
        json.beginObject()
            .key("inputs")
            .value(static_cast<int32_t>(info.inChannels))
            .key("outputs")
            .value(static_cast<int32_t>(info.outChannels))
            .endObject();
    json.endArray()
        .key("latency")
        .value(facts.latency)
        .key("tailTime")
        .value(facts.tailTime)
        .key("editors")
        .beginArray();
    for (const ComponentDescription& editor : facts.editors)
        json.beginObject()
            .key("codes")
            .value(formatCodes(editor))
            .key("name")
            .value(editorName(catalog, editor))
            .endObject();
    json.endArray().endObject();
    std::printf("%s\n", json.text().c_str());
}

void printText(const CatalogEntry& entry, const UnitFacts& facts, const Catalog& catalog, bool all)
{
    std::printf("%s (%s)\n", entry.name.c_str(), formatCodes(entry.description).c_str());
    std::printf("  bundle:    %s\n", entry.bundle.c_str());
    std::printf("  version:   %s (0x%08X)\n", formatVersion(facts.version).c_str(), facts.version);
    std::printf("  channels:  %s\n", describeChannelConfigurations(facts.channels).c_str());
    std::printf("  latency:   %s s\n  tail time: %s s\n", formatNumber(facts.latency).c_str(),
                formatNumber(facts.tailTime).c_str());
    for (const ComponentDescription& editor : facts.editors)
        std::printf("  editor:    %s %s\n", formatCodes(editor).c_str(), editorName(catalog, editor).c_str());
    const auto named = std::ranges::count_if(facts.parameters, [](const auto& p) { return !p.name.empty(); });
    if (all || named == std::ssize(facts.parameters))
        std::printf("\nParameters (%zu):\n", facts.parameters.size());
    else
        std::printf("\nParameters (%td named of %zu; --all shows the unnamed ones):\n", named,
                    facts.parameters.size());
    // The reported default is what the unit declares; the value is what it
    // starts from, which may differ (a unit opening on its first program).
    std::printf("  %4s  %-24s %10s %10s %10s %16s  %-12s %s\n", "id", "name", "min", "max", "value",
                "reported default", "unit", "flags");
    for (size_t i = 0; i < facts.parameters.size(); ++i) {
        const ParameterDescription& p = facts.parameters[i];
        if (!all && p.name.empty()) continue;
        std::printf("  %4u  %-24s %10s %10s %10s %16s  %-12s 0x%08X\n", p.id,
                    p.name.empty() ? "-" : p.name.c_str(), formatNumber(p.min).c_str(),
                    formatNumber(p.max).c_str(), formatNumber(facts.values[i]).c_str(),
                    formatNumber(p.defaultValue).c_str(), parameterUnitName(p.unit).c_str(), p.flags);
    }
    std::printf("\nFactory presets (%zu):\n", facts.presets.size());
    for (const PresetDescription& preset : facts.presets)
        std::printf("  %4d  %s\n", preset.number, preset.name.c_str());
}

int runInfo(const CommandLine& arguments, const Catalog& catalog)
{
    expectPositionals(arguments, 1, "auhost info COMPONENT [--json] [--all]");
    const CatalogEntry& entry = catalog.find(arguments.positionals()[0]);
    const EffectUnit unit(entry);
    const std::vector<ParameterDescription> parameters = unit.parameters();
    std::vector<AudioUnitParameterValue> values;
    for (const ParameterDescription& p : parameters) values.push_back(unit.parameterValue(p));
    const UnitFacts facts{unit.version(),
                          parameters,
                          values,
                          unit.factoryPresets(),
                          unit.channelConfigurations(),
                          unit.latency(),
                          unit.tailTime(),
                          unit.editorViews()};
    if (arguments.flag("json"))
        printJson(entry, facts, catalog);
    else
        printText(entry, facts, catalog, arguments.flag("all"));
    return 0;
}

} // namespace

const Command infoCommand{
    "info",
    "describe a component: parameters, presets, channels, latency, tail, editor",
    "Usage: auhost info COMPONENT [--json] [--all] [--plugins DIR]...\n"
    "Describes what a host reads from an effect: version, parameters (id, name,\n"
    "range, value, reported default, unit, flags), factory presets, supported\n"
    "channel configurations, latency and tail time in seconds, and its editor\n"
    "views. The value is the one the parameter has once the unit is opened (a\n"
    "unit may start from its first program); the reported default is the one the\n"
    "unit declares.\n"
    "\n"
    "COMPONENT is a name (FlangerUnit), a bundle folder name (FlangerUnit.component,\n"
    "or without the extension), or codes (aufx:Flan:Quim); 'auhost list' shows them.\n"
    "\n"
    "  --all    also list the parameters without a name (the JSON lists them all)\n"
    "  --json   print one JSON object: codes, name, bundle, version, versionString,\n"
    "           parameters [{id, name, min, max, value, default, unit, flags}],\n"
    "           presets [{number, name}], channelConfigurations [{inputs, outputs}],\n"
    "           latency, tailTime, editors [{codes, name}]\n",
    options,
    runInfo,
};
