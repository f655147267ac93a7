#pragma once

// The Turtle of one LV2 bundle, written from what the unit itself reports:
// its named parameters (range, and the value it opens with as the default)
// and its factory programs, each an LV2 preset.

#include <filesystem>
#include <string>
#include <vector>

#include "lv2/HostedUnit.h"

struct PluginIdentity {
    std::string uri;
    std::string name;     // the plug-in's name, also its binary's ("FlangerUnit" -> FlangerUnit.so)
    std::string lv2Class; // "FlangerPlugin", "EQPlugin", ...
};

class TurtleWriter {
  public:
    // Reads the unit's ports, then chooses each program in turn.
    TurtleWriter(const HostedUnit& unit, PluginIdentity identity);

    std::string manifest() const;
    std::string plugin() const;
    std::string presets() const;
    // manifest.ttl, <name>.ttl and presets.ttl; throws std::runtime_error
    // when a file cannot be written.
    void writeInto(const std::filesystem::path& folder) const;

  private:
    struct Preset {
        SInt32 number;
        std::string label;
        std::vector<AudioUnitParameterValue> values; // in port order
    };

    PluginIdentity identity;
    UInt32 version;
    std::vector<ControlPort> ports;
    std::vector<Preset> programs;

    std::string presetUri(const Preset& preset) const;
    std::string controlPort(const ControlPort& port, uint32_t index) const;
};

// Shortest text that reads back as the same float, always with a decimal
// point or an exponent (a Turtle decimal or double).
std::string turtleNumber(float value);
// A Turtle string literal.
std::string turtleString(const std::string& text);
