#pragma once

// An open audio unit instance and what a host reads from it, through the
// Component Manager and the AudioUnit calls only.

#include <string>
#include <string_view>
#include <vector>

#include "host/Catalog.h"
#include "platform/audiounit/AudioUnit.h"

struct ParameterDescription {
    AudioUnitParameterID id;
    std::string name; // empty when the unit gives none
    AudioUnitParameterValue min, max, defaultValue;
    AudioUnitParameterUnit unit;
    AudioUnitParameterOptions flags;
};

struct PresetDescription {
    SInt32 number;
    std::string name;
};

class EffectUnit {
  public:
    // Opens an instance; HostError naming the status if the component will
    // not open.
    explicit EffectUnit(const CatalogEntry& entry);
    ~EffectUnit();
    EffectUnit(const EffectUnit&) = delete;
    EffectUnit& operator=(const EffectUnit&) = delete;

    AudioUnit get() const { return unit; }
    const std::string& name() const { return componentName; }

    UInt32 version() const;
    std::vector<ParameterDescription> parameters() const;
    // Empty for a unit without factory presets.
    std::vector<PresetDescription> factoryPresets() const;
    // Empty when the unit does not say (it then takes any channel count).
    std::vector<AUChannelInfo> channelConfigurations() const;
    // In seconds; 0 when the unit does not say.
    Float64 latency() const;
    Float64 tailTime() const;
    std::vector<ComponentDescription> editorViews() const;

    // The parameter a user means: an id, or a name (exact, then ignoring
    // case). UsageError listing the parameters otherwise.
    ParameterDescription findParameter(std::string_view reference) const;
    // The factory preset a user means: a number or a unique name.
    PresetDescription findPreset(std::string_view reference) const;

    // The value the parameter has now (global scope).
    AudioUnitParameterValue parameterValue(const ParameterDescription& parameter) const;
    void setParameter(const ParameterDescription& parameter, AudioUnitParameterValue value);
    void choosePreset(const PresetDescription& preset);
    // Every failure below is a HostError naming the status and `what`.
    void setProperty(AudioUnitPropertyID id, AudioUnitScope scope, const void* data, UInt32 size,
                     std::string_view what, std::string_view hint = {});
    void initialize();

  private:
    AudioUnit unit = nullptr;
    std::string componentName;
    bool initialized = false;

    // 0 for a unit without the property.
    Float64 optionalSeconds(AudioUnitPropertyID id, std::string_view what) const;
    // The property's bytes, or none if the unit does not have it.
    std::vector<uint8_t> optionalProperty(AudioUnitPropertyID id, std::string_view what) const;
};

// UsageError unless the value lies in the parameter's range (when it has one).
void checkRange(const ParameterDescription& parameter, AudioUnitParameterValue value);
// "'Depth' (3)", or "parameter 0" for an unnamed one.
std::string parameterLabel(const ParameterDescription& parameter);
// "2 in/2 out, 1 in/1 out"; "any" for an empty table.
std::string describeChannelConfigurations(const std::vector<AUChannelInfo>& table);
// "1.0.0" from the Audio Unit version layout 0xMMMMmmbb.
std::string formatVersion(UInt32 version);
// "LinearGain", "Hertz", ... for a parameter unit; the number for others.
std::string parameterUnitName(AudioUnitParameterUnit unit);
