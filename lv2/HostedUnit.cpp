#include "lv2/HostedUnit.h"

#include <cctype>
#include <cstring>
#include <mutex>

#include "platform/audiounit/AudioUnitStatus.h"

namespace {

// A host may make instances of this plug-in on several threads at once:
// only one of them finds the bundle unregistered and registers it.
std::mutex registration;

Component findEffect(OSType subtype)
{
    const ComponentDescription looking{kAudioUnitType_Effect, subtype, FourCharCode("Quim"), 0, 0};
    return FindNextComponent(nullptr, &looking);
}

} // namespace

HostedUnit::HostedUnit(const std::string& componentBundle, OSType subtype)
{
    const std::scoped_lock lock(registration);
    Component component = findEffect(subtype);
    if (!component) {
        const platform::BundleRegistration registered = platform::RegisterComponentBundle(componentBundle);
        if (!registered.errors.empty()) throw std::runtime_error(registered.errors.front());
        component = findEffect(subtype);
    }
    if (!component) throw std::runtime_error(componentBundle + " holds no effect of ours");
    check(platform::openComponent(component, &unit), "opening the effect in " + componentBundle);
}

HostedUnit::~HostedUnit()
{
    // Refused by a unit that was never initialised, which is as well.
    AudioUnitUninitialize(unit);
    CloseComponent(unit);
}

void HostedUnit::check(OSStatus status, const std::string& what)
{
    if (status != noErr) throw std::runtime_error(what + " failed: " + platform::describeStatus(status));
}

std::vector<ControlPort> HostedUnit::controlPorts() const
{
    UInt32 size = 0;
    check(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size,
                                   nullptr),
          "reading the parameter list");
    std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
    check(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(),
                               &size),
          "reading the parameter list");
    std::vector<ControlPort> ports;
    for (const AudioUnitParameterID id : ids) {
        AudioUnitParameterInfo info{};
        UInt32 infoSize = sizeof info;
        check(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info,
                                   &infoSize),
              "reading parameter " + std::to_string(id));
        const char* cfName = (info.flags & kAudioUnitParameterFlag_HasCFNameString) && info.cfNameString
                                 ? CFStringGetCStringPtr(info.cfNameString, kCFStringEncodingUTF8)
                                 : nullptr;
        const std::string name =
            cfName ? cfName : std::string(info.name, strnlen(info.name, sizeof info.name));
        if ((info.flags & kAudioUnitParameterFlag_CFNameRelease) && info.cfNameString)
            CFRelease(info.cfNameString);
        // Unnamed ids are reserved slots, not controls.
        if (name.empty()) continue;
        AudioUnitParameterValue value = 0.0f;
        check(AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &value),
              "reading parameter " + std::to_string(id));
        ports.push_back({id, name, portSymbol(name), info.minValue, info.maxValue, value});
    }
    return ports;
}

std::string portSymbol(const std::string& name)
{
    std::string symbol;
    bool gap = false;
    for (const unsigned char c : name) {
        if (std::isalnum(c)) {
            if (gap && !symbol.empty()) symbol += '_';
            symbol += static_cast<char>(std::tolower(c));
            gap = false;
        } else {
            gap = true;
        }
    }
    if (symbol.empty() || std::isdigit(static_cast<unsigned char>(symbol.front()))) symbol.insert(0, "p");
    return symbol;
}
