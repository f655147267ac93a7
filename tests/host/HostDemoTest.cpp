// auhost demo on the project's own units: each distinct program once, the
// showcase settings, and no trace of a demo that failed.

#include <set>

#include "HostRun.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

TEST_F(HostTest, DemoRendersEachDistinctProgramOnceAndTheShowcases)
{
    const RunResult result = run({"demo", path("demo"), "FlangerUnit", "TiltEqUnit", "--seconds", "0.25"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(
        result.out,
        HasSubstr("\nFlangerUnit: programs 7\u201319 are the same as 6 ('default'); rendered once\n"));
    EXPECT_THAT(result.out,
                HasSubstr("\nTiltEqUnit: programs 1\u20139 are the same as 0 ('default'); rendered once\n"));

    const std::set<std::string> expected = {
        "flangerunit-00-gentle-stereo-flanger.wav",
        "flangerunit-01-stereo-sweepy.wav",
        "flangerunit-02-drum-flanger.wav",
        "flangerunit-03-manual-move-delay-knob.wav",
        "flangerunit-04-extreme-flanger.wav",
        "flangerunit-05-gentle-flanger.wav",
        "flangerunit-06-default.wav",
        "flangerunit-stereo-sweepy-synced-at-90-bpm.wav",
        "flangerunit-stereo-sweepy-synced-at-140-bpm.wav",
        "tiltequnit-00-default.wav",
        "tiltequnit-tilted-up.wav",
        "tiltequnit-tilted-down.wav",
        "tiltequnit-bass-lift.wav",
        "tiltequnit-off.wav",
    };
    std::set<std::string> written;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder / "demo"))
        if (entry.path().filename() != "input.wav") written.insert(entry.path().filename().string());
    EXPECT_EQ(written, expected);

    std::vector<std::pair<std::string, Audio>> outputs;
    for (const std::string& file : written) {
        EXPECT_THAT(result.out, HasSubstr("/" + file + ": 11025 frames, 2 ch, 44100 Hz, peak "));
        outputs.emplace_back(file, readAudio(path("demo/" + file)));
    }
    for (size_t i = 0; i < outputs.size(); ++i)
        for (size_t j = i + 1; j < outputs.size(); ++j)
            EXPECT_NE(outputs[i].second.samples, outputs[j].second.samples)
                << outputs[i].first << " and " << outputs[j].first << " are the same";
    // Off passes the input through untouched.
    EXPECT_EQ(readAudio(path("demo/tiltequnit-off.wav")).samples, readAudio(path("demo/input.wav")).samples);
}

TEST_F(HostTest, FailedDemoLeavesNoFolderItCreated)
{
    const RunResult unknown = run({"demo", path("new/sub"), "Nope"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_FALSE(fs::exists(path("new")));

    const RunResult badSeconds = run({"demo", path("new/sub"), "TestGain", "--seconds", "0"});
    EXPECT_EQ(badSeconds.status, 2);
    EXPECT_FALSE(fs::exists(path("new")));

    // Every render fails after the folder was made.
    const RunResult noInput = run({"demo", path("new/sub"), "TestGain", "--input", path("missing.wav")});
    EXPECT_EQ(noInput.status, 1);
    EXPECT_THAT(noInput.out, HasSubstr("TestGain #01 'Quiet'"));
    EXPECT_THAT(noInput.out, HasSubstr("FAILED"));
    EXPECT_FALSE(fs::exists(path("new")));

    // A folder that was there stays, empty or not.
    fs::create_directories(path("kept/empty"));
    EXPECT_EQ(run({"demo", path("kept/empty/sub"), "TestGain", "--input", path("missing.wav")}).status, 1);
    EXPECT_TRUE(fs::exists(path("kept/empty")));
    EXPECT_FALSE(fs::exists(path("kept/empty/sub")));
    EXPECT_EQ(run({"demo", path("kept/empty"), "TestGain", "--input", path("missing.wav")}).status, 1);
    EXPECT_TRUE(fs::exists(path("kept/empty")));
}
