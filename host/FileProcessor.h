#pragma once

// Processing one audio file through one effect, as a host does it: stream
// formats from the file, the input pulled through a render callback, block
// by block renders with advancing sample times, scheduled automation, and
// the output written atomically. Used by the process and demo commands.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/AudioFile.h"
#include "host/Catalog.h"

constexpr uint32_t kMaxBlockFrames = 65536;

struct ProcessOptions {
    std::string input;
    std::string output;
    std::optional<std::string> preset;   // number or name
    std::vector<std::string> settings;   // "ID=VALUE" or "NAME=VALUE", applied in order
    std::optional<std::string> stateIn;  // restored first
    std::optional<std::string> stateOut; // written after processing
    std::optional<std::string> automation;
    std::optional<double> tempo; // beats per minute; none: no host callbacks
    uint32_t blockFrames = 512;  // 1 to kMaxBlockFrames
    bool bypass = false;
    SampleEncoding encoding = SampleEncoding::SameAsInput;
    bool showProgress = false; // on stderr, for files over ten seconds
};

struct ProcessSummary {
    std::string output;
    int64_t frames;
    int channels;
    double sampleRate;
    float peak;
    double rms;
    uint64_t clippedSamples;
    std::vector<std::string> warnings; // about the input and the settings, for stderr
};

// Order of the settings: --state, then --preset, then each --set. Throws
// HostError (UsageError for bad options) and leaves no output on failure.
ProcessSummary processFile(const CatalogEntry& component, const ProcessOptions& options);

// "OUT: 88200 frames, 2 ch, 44100 Hz, peak -3.2 dBFS, rms -18.0 dBFS[, 12 samples clipped]".
std::string describe(const ProcessSummary& summary);
