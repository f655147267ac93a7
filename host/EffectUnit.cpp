#include "host/EffectUnit.h"

#include <algorithm>
#include <cstring>

#include "host/CommandLine.h"
#include "host/HostError.h"
#include "platform/corefoundation/CFRef.h"

namespace {

// The string's UTF-8 text; empty for null.
std::string toStdString(CFStringRef string)
{
    const char* text = string ? CFStringGetCStringPtr(string, kCFStringEncodingUTF8) : nullptr;
    return text ? text : "";
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// The one item whose name matches `reference` exactly, else ignoring case;
// null if none; UsageError if several.
template <typename T>
const T* findByName(const std::vector<T>& items, std::string_view reference, std::string_view kind)
{
    for (const auto& matches :
         {+[](std::string_view a, std::string_view b) { return a == b; }, +equalIgnoringCase}) {
        std::vector<const T*> found;
        for (const T& item : items)
            if (matches(item.name, reference)) found.push_back(&item);
        if (found.size() > 1)
            throw UsageError("several " + std::string(kind) + "s are named '" + std::string(reference) + "'",
                             "choose one by its number (see 'auhost info')");
        if (found.size() == 1) return found.front();
    }
    return nullptr;
}

// The item a reference names: by its number when it is one, else by name.
template <typename T, typename Number>
const T* findItem(const std::vector<T>& items, std::string_view reference, std::string_view kind,
                  Number T::*number)
{
    if (!isCount(reference)) return findByName(items, reference, kind);
    const auto found =
        std::ranges::find_if(items, [&](const T& item) { return std::to_string(item.*number) == reference; });
    return found != items.end() ? &*found : nullptr;
}

// The whole records of type T in a property's bytes.
template <typename T> std::vector<T> recordsOf(const std::vector<uint8_t>& data)
{
    std::vector<T> records(data.size() / sizeof(T));
    if (!records.empty()) std::memcpy(records.data(), data.data(), records.size() * sizeof(T));
    return records;
}

} // namespace

EffectUnit::EffectUnit(const CatalogEntry& entry) : componentName(entry.name)
{
    if (entry.description.componentType == kAudioUnitCarbonViewComponentType)
        throw HostError("'" + entry.name + "' (" + formatCodes(entry.description) +
                            ") is an editor view, not an audio unit",
                        "name the effect component instead (see 'auhost list')");
    checkStatus(platform::openComponent(entry.component, &unit), "cannot open '" + entry.name + "'",
                "the bundle " + entry.bundle + " may be damaged or built for another host");
}

EffectUnit::~EffectUnit()
{
    if (initialized) AudioUnitUninitialize(unit);
    CloseComponent(unit);
}

std::vector<uint8_t> EffectUnit::optionalProperty(AudioUnitPropertyID id, std::string_view what) const
{
    UInt32 size = 0;
    uint8_t writable = 0;
    const OSStatus status = AudioUnitGetPropertyInfo(unit, id, kAudioUnitScope_Global, 0, &size, &writable);
    if (status == kAudioUnitErr_InvalidProperty) return {};
    const std::string failure = "cannot read the " + std::string(what) + " of '" + componentName + "'";
    checkStatus(status, failure, "the unit may be faulty");
    std::vector<uint8_t> data(size);
    // A unit may list a property it then has no value for (a tail time
    // without tail support).
    const OSStatus read = AudioUnitGetProperty(unit, id, kAudioUnitScope_Global, 0, data.data(), &size);
    if (read == kAudioUnitErr_InvalidProperty) return {};
    checkStatus(read, failure, "the unit may be faulty");
    data.resize(size);
    return data;
}

UInt32 EffectUnit::version() const
{
    return static_cast<UInt32>(platform::callSelector(unit, kComponentVersionSelect));
}

std::vector<ParameterDescription> EffectUnit::parameters() const
{
    std::vector<ParameterDescription> parameters;
    for (const AudioUnitParameterID id : recordsOf<AudioUnitParameterID>(
             optionalProperty(kAudioUnitProperty_ParameterList, "parameter list"))) {
        AudioUnitParameterInfo info{};
        UInt32 size = sizeof info;
        checkStatus(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id,
                                         &info, &size),
                    "cannot read parameter " + std::to_string(id) + " of '" + componentName + "'",
                    "the unit may be faulty");
        std::string name = (info.flags & kAudioUnitParameterFlag_HasCFNameString) && info.cfNameString
                               ? toStdString(info.cfNameString)
                               : std::string(info.name, strnlen(info.name, sizeof info.name));
        if ((info.flags & kAudioUnitParameterFlag_CFNameRelease) && info.cfNameString)
            CFRelease(info.cfNameString);
        parameters.push_back(
            {id, std::move(name), info.minValue, info.maxValue, info.defaultValue, info.unit, info.flags});
    }
    return parameters;
}

std::vector<PresetDescription> EffectUnit::factoryPresets() const
{
    const std::vector<uint8_t> data = optionalProperty(kAudioUnitProperty_FactoryPresets, "factory presets");
    if (data.size() < sizeof(CFArrayRef)) return {};
    CFArrayRef array;
    std::memcpy(&array, data.data(), sizeof array);
    if (!array) return {};
    // The array holds the unit's own records without owning them.
    const platform::CFRef owner(array);
    std::vector<PresetDescription> presets;
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
        const auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(array, i));
        presets.push_back({preset->presetNumber, toStdString(preset->presetName)});
    }
    return presets;
}

std::vector<AUChannelInfo> EffectUnit::channelConfigurations() const
{
    return recordsOf<AUChannelInfo>(
        optionalProperty(kAudioUnitProperty_SupportedNumChannels, "channel configurations"));
}

std::vector<ComponentDescription> EffectUnit::editorViews() const
{
    return recordsOf<ComponentDescription>(
        optionalProperty(kAudioUnitProperty_GetUIComponentList, "editor views"));
}

Float64 EffectUnit::optionalSeconds(AudioUnitPropertyID id, std::string_view what) const
{
    const std::vector<uint8_t> data = optionalProperty(id, what);
    Float64 seconds = 0.0;
    if (data.size() == sizeof seconds) std::memcpy(&seconds, data.data(), sizeof seconds);
    return seconds;
}

Float64 EffectUnit::latency() const
{
    return optionalSeconds(kAudioUnitProperty_Latency, "latency");
}

Float64 EffectUnit::tailTime() const
{
    return optionalSeconds(kAudioUnitProperty_TailTime, "tail time");
}

ParameterDescription EffectUnit::findParameter(std::string_view reference) const
{
    const std::vector<ParameterDescription> all = parameters();
    if (const ParameterDescription* found = findItem(all, reference, "parameter", &ParameterDescription::id))
        return *found;
    std::string known;
    for (const ParameterDescription& p : all)
        if (!p.name.empty()) known += known.empty() ? p.name : ", " + p.name;
    throw UsageError("'" + componentName + "' has no parameter '" + std::string(reference) + "'",
                     "name a parameter by id or name" + (known.empty() ? std::string() : " (" + known + ")") +
                         "; 'auhost info " + componentName + "' lists them");
}

PresetDescription EffectUnit::findPreset(std::string_view reference) const
{
    const std::vector<PresetDescription> all = factoryPresets();
    if (const PresetDescription* found = findItem(all, reference, "preset", &PresetDescription::number))
        return *found;
    throw UsageError("'" + componentName + "' has no factory preset '" + std::string(reference) + "'",
                     all.empty() ? "it has no factory presets"
                                 : "'auhost info " + componentName + "' lists its " +
                                       std::to_string(all.size()) + " presets");
}

AudioUnitParameterValue EffectUnit::parameterValue(const ParameterDescription& parameter) const
{
    AudioUnitParameterValue value = 0.0f;
    checkStatus(AudioUnitGetParameter(unit, parameter.id, kAudioUnitScope_Global, 0, &value),
                "cannot read parameter " + parameterLabel(parameter), "the unit may be faulty");
    return value;
}

void EffectUnit::setParameter(const ParameterDescription& parameter, AudioUnitParameterValue value)
{
    checkStatus(AudioUnitSetParameter(unit, parameter.id, kAudioUnitScope_Global, 0, value, 0),
                "cannot set parameter " + parameterLabel(parameter), "check the value against 'auhost info'");
}

void EffectUnit::choosePreset(const PresetDescription& preset)
{
    const platform::CFRef name(
        CFStringCreateWithCString(nullptr, preset.name.c_str(), kCFStringEncodingUTF8));
    const AUPreset record{preset.number, name.get()};
    OSStatus status = AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0,
                                           &record, sizeof record);
    if (status == kAudioUnitErr_InvalidProperty)
        status = AudioUnitSetProperty(unit, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0,
                                      &record, sizeof record);
    checkStatus(status, "cannot choose preset " + std::to_string(preset.number) + " '" + preset.name + "'",
                "'auhost info " + componentName + "' lists the presets");
}

void EffectUnit::setProperty(AudioUnitPropertyID id, AudioUnitScope scope, const void* data, UInt32 size,
                             std::string_view what, std::string_view hint)
{
    checkStatus(AudioUnitSetProperty(unit, id, scope, 0, data, size),
                "'" + componentName + "' refused " + std::string(what),
                hint.empty() ? "the unit may be faulty" : hint);
}

void EffectUnit::initialize()
{
    checkStatus(AudioUnitInitialize(unit), "cannot initialise '" + componentName + "'",
                "check the channel count and sample rate against 'auhost info " + componentName + "'");
    initialized = true;
}

void checkRange(const ParameterDescription& parameter, AudioUnitParameterValue value)
{
    if (parameter.min < parameter.max && (value < parameter.min || value > parameter.max))
        throw UsageError("value " + formatNumber(value) + " is outside the range of " +
                             parameterLabel(parameter) + " (" + formatNumber(parameter.min) + " to " +
                             formatNumber(parameter.max) + ")",
                         "give a value within the range");
}

std::string parameterLabel(const ParameterDescription& parameter)
{
    return parameter.name.empty() ? "parameter " + std::to_string(parameter.id)
                                  : "'" + parameter.name + "' (" + std::to_string(parameter.id) + ")";
}

std::string describeChannelConfigurations(const std::vector<AUChannelInfo>& table)
{
    std::string text;
    for (const AUChannelInfo& info : table) {
        if (!text.empty()) text += ", ";
        text += std::to_string(info.inChannels);
        text += " in/";
        text += std::to_string(info.outChannels);
        text += " out";
    }
    return text.empty() ? "any" : text;
}

std::string formatVersion(UInt32 version)
{
    return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xFF) + "." +
           std::to_string(version & 0xFF);
}

std::string parameterUnitName(AudioUnitParameterUnit unit)
{
    static constexpr const char* names[] = {"Generic",
                                            "Indexed",
                                            "Boolean",
                                            "Percent",
                                            "Seconds",
                                            "SampleFrames",
                                            "Phase",
                                            "Rate",
                                            "Hertz",
                                            "Cents",
                                            "RelativeSemiTones",
                                            "MIDINoteNumber",
                                            "MIDIController",
                                            "Decibels",
                                            "LinearGain",
                                            "Degrees",
                                            "EqualPowerCrossfade",
                                            "MixerFaderCurve1",
                                            "Pan",
                                            "Meters",
                                            "AbsoluteCents",
                                            "Octaves",
                                            "BPM",
                                            "Beats",
                                            "Milliseconds",
                                            "Ratio"};
    return unit < std::size(names) ? names[unit] : std::to_string(unit);
}
