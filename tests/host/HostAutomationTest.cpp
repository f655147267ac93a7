// Automation files end to end: values land at their frames whatever the
// block size, events past the end are reported, bad files are refused
// saying what and where; and the player that schedules them.

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <tuple>

#include "HostRun.h"
#include "host/Automation.h"
#include "host/HostError.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

float input(size_t i, int)
{
    return 0.25f + static_cast<float>(i % 97) / 512.0f;
}

// The Gain the automation in Sets and Ramps below gives at frame i.
float gainAt(size_t i)
{
    if (i < 1001) return 0.5f;
    if (i < 1500) return 2.0f;
    if (i < 1810) {
        // 0 to 3 over 310 frames, held for 32 frames at a time.
        const size_t into = (i - 1500) / Automation::kRampStepFrames * Automation::kRampStepFrames;
        return static_cast<float>(3.0 * static_cast<double>(into) / 310.0);
    }
    if (i < 2500) return 3.0f;
    // From 2600 a ramp shorter than a step: its start, then its end.
    if (i < 2607) return 1.5f;
    return 0.0f;
}

} // namespace

class HostAutomation : public HostTest {
  protected:
    std::string in() const { return path("in.wav"); }
    std::string out() const { return path("out.wav"); }
    std::string automation() const { return path("auto.txt"); }

    void writeAutomation(const std::string& text) const
    {
        std::ofstream(automation(), std::ios::binary) << text;
    }

    RunResult process(const std::vector<std::string>& options) const
    {
        std::vector<std::string> arguments{"process", "TestGain", in(), out()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return run(arguments);
    }
};

TEST_F(HostAutomation, SetsAndRampsLandOnTheirFramesWhateverTheBlockSize)
{
    writeAudio(in(), 1, 3000, input, kFloatWav);
    // Out of order, a ramp whose length is no multiple of the step, one
    // shorter than a step, and a later line overriding an earlier one.
    writeAutomation("set 1001 Gain = 2\n"
                    "set 0 Gain = 0.5\n"
                    "ramp 1500 310 Gain = 0 3\n"
                    "set 2500 0 = 1\n"
                    "set 2500 0 = 1.5\n"
                    "ramp 2600 7 Gain = 1.5 0\n");
    std::vector<float> first;
    for (const std::string block : {"1", "7", "64", "512", "4096"}) {
        const RunResult result = process({"--automation", automation(), "--block", block});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_THAT(result.err, Not(HasSubstr("process: warning")));
        const Audio output = readAudio(out());
        ASSERT_EQ(output.frames(), 3000u);
        for (size_t i = 0; i < output.frames(); ++i)
            ASSERT_EQ(output.samples[i], gainAt(i) * input(i, 0)) << "frame " << i << ", --block " << block;
        if (first.empty()) first = output.samples;
        EXPECT_EQ(output.samples, first) << "--block " << block;
    }
}

// The units only store scheduled ramps; played as steps they are heard, and
// the same whatever the block size.
TEST_F(HostAutomation, TheUnitsHearRampsTheSameWhateverTheBlockSize)
{
    uint32_t seed = 1;
    std::vector<float> noise(2 * 100000);
    for (float& sample : noise) {
        seed = seed * 1664525u + 1013904223u;
        sample = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
    }
    writeAudio(
        in(), 2, 100000, [&](size_t i, int c) { return noise[2 * i + static_cast<size_t>(c)]; }, kFloatWav);
    const struct {
        std::string unit, withRamp, withoutRamp;
        size_t rampStart;
    } cases[] = {
        {"FlangerUnit", "set 0 Depth = 0.2\nramp 44100 22050 Dry / Wet = 0 1\nset 88200 Depth = 0.8\n",
         "set 0 Depth = 0.2\nset 88200 Depth = 0.8\n", 44100},
        {"TiltEqUnit", "set 0 Shelf = 0.9\nramp 30000 20000 Shelf = 0.1 0.9\nset 70001 Bass lift = 0.8\n",
         "set 0 Shelf = 0.9\nset 70001 Bass lift = 0.8\n", 30000},
    };
    for (const auto& [unit, withRamp, withoutRamp, rampStart] : cases) {
        writeAutomation(withoutRamp);
        ASSERT_EQ(run({"process", unit, in(), out(), "--automation", automation()}).status, 0) << unit;
        const std::vector<float> unramped = readAudio(out()).samples;
        writeAutomation(withRamp);
        std::vector<float> first;
        for (const std::string block : {"1", "64", "512", "4096"}) {
            const RunResult result =
                run({"process", unit, in(), out(), "--automation", automation(), "--block", block});
            ASSERT_EQ(result.status, 0) << result.err;
            const std::vector<float> samples = readAudio(out()).samples;
            ASSERT_EQ(samples.size(), unramped.size());
            if (first.empty()) {
                first = samples;
                // Heard from its start (a filter may show it a frame later).
                const auto differ = std::ranges::mismatch(samples, unramped);
                const size_t heard = static_cast<size_t>(differ.in1 - samples.begin()) / 2;
                EXPECT_GE(heard, rampStart) << unit;
                EXPECT_LE(heard, rampStart + 1) << unit;
            }
            EXPECT_EQ(samples, first) << unit << " --block " << block;
        }
    }
}

TEST_F(HostAutomation, RendersSplitAtEachValueAndNowhereElse)
{
    writeAudio(in(), 2, 300, input, kFloatWav);
    writeAutomation("set 150 0 = 0.5\n"
                    "ramp 190 40 Gain = 0 1   # steps at 190 and 222, the end at 230\n");
    ASSERT_EQ(process({"--automation", automation(), "--block", "100"}).status, 0);
    std::ifstream log(HostTest::log());
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    const std::vector<std::string> expected = {
        "render 0 100",  "render 100 50", "set 0 0 0.5",  "render 150 40", "set 0 0 0",    "render 190 10",
        "render 200 22", "set 0 0 0.8",   "render 222 8", "set 0 0 1",     "render 230 70"};
    EXPECT_EQ(lines, expected);
}

TEST_F(HostAutomation, EventsPastTheEndAreReported)
{
    writeAudio(in(), 1, 1000, input, kFloatWav);
    writeAutomation("set 500 Gain = 2\n"
                    "ramp 900 200 Gain = 0 1\n"
                    "set 1000 Gain = 1\n"
                    "ramp 950 100 Gain = 1 0\n"
                    "set 4294967296 Gain = 3\n");
    const RunResult late = process({"--automation", automation()});
    ASSERT_EQ(late.status, 0) << late.err;
    EXPECT_THAT(late.err, HasSubstr("warning: " + automation() +
                                    ":3: frame 1000 is past the end of the input (1000 frames); this event "
                                    "and 1 more after it were not played"));
    EXPECT_THAT(late.err, HasSubstr("warning: " + automation() +
                                    ":2: the ramp runs to frame 1100, past the end of the input (1000 "
                                    "frames); it and 1 more ramp were played only up to the end"));
    EXPECT_EQ(readAudio(out()).frames(), 1000u);

    writeAutomation("set 999 Gain = 2\nramp 900 100 Gain = 0 1\n");
    const RunResult inside = process({"--automation", automation()});
    ASSERT_EQ(inside.status, 0) << inside.err;
    EXPECT_THAT(inside.err, Not(HasSubstr("process: warning")));
}

TEST_F(HostAutomation, MalformedLinesSayWhatIsWrongAndWhere)
{
    writeAudio(in(), 1, 100, input, kFloatWav);
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"set 0 Gain = 1\nset 10 Loudness = 1\n", ":2: 'TestGain' has no parameter 'Loudness'"},
        {"move 0 Gain = 1\n", ":1: expected 'set' or 'ramp', found 'move'"},
        {"set -5 Gain = 1\n", ":1: frame: '-5' is not a whole number (0 to 9223372036854775807)"},
        {"set 9223372036854775808 Gain = 1\n",
         ":1: frame: '9223372036854775808' is out of range (0 to 9223372036854775807)"},
        {"ramp 0 4294967296 Gain = 0 1\n", ":1: ramp length: '4294967296' is out of range (1 to 4294967295)"},
        {"ramp 0 0 Gain = 0 1\n", ":1: ramp length: '0' is out of range (1 to 4294967295)"},
        {"set 0 Gain = 1e-400\n",
         ":1: value: '1e-400' is out of range (0, or a size from 1.1754944e-38 to 3.4028235e+38)"},
        {"ramp 0 10 Gain = 0 -1e39\n", ":1: end value: '-1e39' is out of range"},
        {"set 0 Gain = loud\n", ":1: value: 'loud' is not a number"},
        {"set 0 Gain = 5\n", ":1: value 5 is outside the range of 'Gain' (0) (0 to 4)"},
        {"\n# comment\nset 0 = 0.5\n", ":3: the parameter is missing before '='"},
        {"set 0 Gain 1\n", ":1: expected PARAMETER = VALUE"},
        {"set 0 Gain = 1 2\n", ":1: unexpected '2' after the value"},
        {std::string("set 0 Ga\0in = 1\n", 16), ":1: control character \\x00 in column 9"},
        {"set 0 Gain = 1\x1b[2J\n", ":1: control character \\x1b in column 15"},
        // A byte-order mark starts the first line only.
        {"\xEF\xBB\xBFset 0 Gain = 1\n\xEF\xBB\xBFset 1 Gain = 1\n",
         ":2: a byte-order mark (U+FEFF) in column 1"},
    };
    for (const auto& [text, message] : cases) {
        writeAutomation(text);
        const RunResult result = process({"--automation", automation()});
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_THAT(result.err, HasSubstr(automation() + message));
        EXPECT_EQ(result.err.find('\0'), std::string::npos) << message;
        // One pointer to the help, not two.
        EXPECT_EQ(result.err.find("--help"), result.err.rfind("--help")) << result.err;
        EXPECT_FALSE(std::filesystem::exists(out())) << message;
    }

    writeAutomation("\xEF\xBB\xBFset 0 Gain = 2\r\n");
    ASSERT_EQ(process({"--automation", automation()}).status, 0);
    EXPECT_EQ(readAudio(out()).samples[0], 2.0f * input(0, 0));
}

TEST_F(HostAutomation, AutomationAndStateAreReadOnlyFromRegularFilesOfBoundedSize)
{
    writeAudio(in(), 1, 100, input, kFloatWav);
    std::filesystem::create_directory(path("folder"));
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    for (const auto& [option, role, limit] : {std::tuple{"--automation", "automation file", uint64_t{64}},
                                              std::tuple{"--state", "state file", uint64_t{16}}}) {
        const auto refusal = [&, option = option](const std::string& file) {
            const RunResult result = process({option, file});
            EXPECT_EQ(result.status, 1) << result.err;
            EXPECT_FALSE(std::filesystem::exists(out()));
            return result.err;
        };
        const std::string name = std::string(role) + " '";
        EXPECT_THAT(refusal("/dev/zero"), HasSubstr(name + "/dev/zero' is not a regular file"));
        EXPECT_THAT(refusal(path("pipe")), HasSubstr(name + path("pipe") + "' is not a regular file"));
        EXPECT_THAT(refusal(path("folder")), HasSubstr(name + path("folder") + "' is a directory"));
        EXPECT_THAT(refusal(path("missing")),
                    HasSubstr("cannot open " + name + path("missing") + "': it does not exist"));

        // Sparse, so large without filling the disk.
        const uint64_t bytes = (limit << 20) + 1;
        std::ofstream(path("large")).close();
        std::filesystem::resize_file(path("large"), bytes);
        const std::string tooLarge = refusal(path("large"));
        EXPECT_THAT(tooLarge,
                    HasSubstr(name + path("large") + "' is too large (" + std::to_string(bytes) + " bytes)"));
        EXPECT_THAT(tooLarge, HasSubstr("at most " + std::to_string(limit) + " MiB"));
    }
}

// The player on its own: the order of values and the batches they come in.
TEST(AutomationPlayer, HandsOutValuesInFrameThenFileOrderInBatches)
{
    const auto lookup = [](std::string_view name) {
        if (name != "A" && name != "B") throw UsageError("no parameter");
        return ParameterDescription{name == "A" ? 0u : 1u,
                                    std::string(name),
                                    -10.0f,
                                    10.0f,
                                    0.0f,
                                    kAudioUnitParameterUnit_Generic,
                                    0};
    };
    std::istringstream text("ramp 10 64 A = 0 8\n"
                            "set 42 B = 1\n"
                            "set 42 B = 2\n"
                            "set 42 B = 3\n"
                            "ramp 40 2 B = -1 -2\n"
                            "set 74 A = 9\n");
    const Automation automation(text, "test", lookup);
    AutomationPlayer player(automation);

    std::vector<std::tuple<uint64_t, AudioUnitParameterID, float>> played;
    std::array<AudioUnitParameterEvent, 2> due;
    while (player.nextFrame() != UINT64_MAX) {
        const uint64_t frame = player.nextFrame();
        size_t count = 0;
        while (const size_t taken = player.take(frame, due)) {
            for (size_t i = 0; i < taken; ++i) {
                EXPECT_EQ(due[i].eventType, kParameterEvent_Immediate);
                EXPECT_EQ(due[i].eventValues.immediate.bufferOffset, 0u);
                played.emplace_back(frame, due[i].parameter, due[i].eventValues.immediate.value);
            }
            count += taken;
        }
        EXPECT_GT(count, 0u) << frame;
        EXPECT_GT(player.nextFrame(), frame);
    }
    const std::vector<std::tuple<uint64_t, AudioUnitParameterID, float>> expected = {
        {10, 0, 0.0f}, {40, 1, -1.0f}, {42, 0, 4.0f}, {42, 1, -2.0f}, {42, 1, 1.0f},
        {42, 1, 2.0f}, {42, 1, 3.0f},  {74, 0, 8.0f}, {74, 0, 9.0f}};
    EXPECT_EQ(played, expected);
}
