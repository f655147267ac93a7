#pragma once

// One of our effects opened the way any host opens it: through the Component
// Manager, from the component bundle that travels inside the LV2 bundle.

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/audiounit/AudioUnit.h"

// A named parameter as an LV2 control port shows it.
struct ControlPort {
    AudioUnitParameterID id;
    std::string name;
    std::string symbol; // "Dry / Wet" -> "dry_wet"
    AudioUnitParameterValue minimum, maximum;
    AudioUnitParameterValue initial; // the value in a freshly opened unit
};

class HostedUnit {
  public:
    // Opens the effect aufx:subtype:Quim, first registering componentBundle
    // when the process has no such component yet (another instance, or
    // another host in the process, may have registered it). Throws
    // std::runtime_error saying what failed.
    HostedUnit(const std::string& componentBundle, OSType subtype);
    ~HostedUnit();
    HostedUnit(const HostedUnit&) = delete;
    HostedUnit& operator=(const HostedUnit&) = delete;

    AudioUnit get() const { return unit; }

    // The named parameters in the unit's list order, which is the order of
    // the control ports.
    std::vector<ControlPort> controlPorts() const;
    // Throws std::runtime_error naming `what` unless status is noErr.
    static void check(OSStatus status, const std::string& what);

  private:
    AudioUnit unit = nullptr;
};

// The lower-case LV2 symbol for a parameter name.
std::string portSymbol(const std::string& name);
