#pragma once

// Running the built auhost in a scratch folder, and reading and writing the
// audio files it processes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sndfile.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// The format of most test inputs.
inline constexpr int kFloatWav = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

struct Audio {
    int channels = 0;
    int sampleRate = 0;
    int format = 0;
    std::vector<float> samples; // interleaved
    size_t frames() const { return channels ? samples.size() / static_cast<size_t>(channels) : 0; }
};

// A fresh folder per test, HOME pointing into it and AU_PLUGIN_PATH unset,
// so that only the test bundle and the build's own bundles are found.
class HostTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // auhost ARGS --plugins <test bundles>, with TESTGAIN_LOG set to log().
    RunResult run(const std::vector<std::string>& arguments) const;
    // A shell command line, its output captured.
    RunResult runCommand(const std::string& command) const;
    std::string path(const std::string& name) const { return (folder / name).string(); }
    std::string log() const { return path("events.log"); }
    std::string readText(const std::string& file) const;

    // Frame i of channel c is sample(i, c); written as format (SF_FORMAT_...).
    void writeAudio(const std::string& file, int channels, size_t frames,
                    const std::function<float(size_t, int)>& sample, int format,
                    int sampleRate = 44100) const;
    Audio readAudio(const std::string& file) const;

    std::filesystem::path folder;
};
