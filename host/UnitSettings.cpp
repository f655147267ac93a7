#include "host/UnitSettings.h"

#include "host/CommandLine.h"
#include "host/HostError.h"
#include "host/StateFile.h"

namespace {

void applySetting(EffectUnit& unit, const std::string& setting)
{
    const size_t equals = setting.rfind('=');
    if (equals == std::string::npos || equals == 0)
        throw UsageError("--set '" + setting + "' is not PARAMETER=VALUE",
                         "e.g. --set Depth=0.5 or --set 3=0.5");
    const ParameterDescription parameter = unit.findParameter(setting.substr(0, equals));
    const auto value = static_cast<AudioUnitParameterValue>(
        parseNumber(std::string_view(setting).substr(equals + 1), "--set " + parameter.name));
    checkRange(parameter, value);
    unit.setParameter(parameter, value);
}

// The units keep a restored value outside its parameter's range as it is,
// where --set refuses one: each such value is worth a warning.
void checkRestoredValues(const EffectUnit& unit, const std::string& stateFile,
                         std::vector<std::string>& warnings)
{
    for (const ParameterDescription& parameter : unit.parameters()) {
        AudioUnitParameterValue value = 0;
        if (AudioUnitGetParameter(unit.get(), parameter.id, kAudioUnitScope_Global, 0, &value) != noErr)
            continue;
        try {
            checkRange(parameter, value);
        } catch (const UsageError& outside) {
            warnings.push_back("the state in '" + stateFile + "': " + outside.what() +
                               "; the unit plays it as it is");
        }
    }
}

} // namespace

// --state, then --preset, then each --set.
void applySettings(EffectUnit& unit, const UnitSettings& options, std::vector<std::string>& warnings)
{
    if (options.stateIn) {
        const auto state = readPropertyListFile(*options.stateIn);
        const CFPropertyListRef list = state.get();
        unit.setProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, &list, sizeof list,
                         "the state in '" + *options.stateIn + "'",
                         "the file may belong to another unit or be damaged");
        checkRestoredValues(unit, *options.stateIn, warnings);
    }
    if (options.preset) unit.choosePreset(unit.findPreset(*options.preset));
    for (const std::string& setting : options.settings) applySetting(unit, setting);
}

void saveState(const EffectUnit& unit, AtomicFile& file)
{
    CFPropertyListRef state = nullptr;
    UInt32 size = sizeof state;
    checkStatus(AudioUnitGetProperty(unit.get(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0,
                                     &state, &size),
                "cannot read the state of '" + unit.name() + "'", "the unit may be faulty");
    const platform::CFRef owner(state);
    writePropertyList(file, state);
}
