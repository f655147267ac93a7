// auhost process end to end: settings, state, tempo, files and their
// failures (automation has HostAutomationTest).

#include <sndfile.h>

#include <cmath>
#include <fstream>

#include "HostRun.h"
#include "platform/corefoundation/CFRef.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

float ramp(size_t i, int c)
{
    return (static_cast<float>(i % 200) - 100.0f) / 256.0f * (c ? -1.0f : 1.0f);
}

constexpr int kPcm16Wav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

} // namespace

class HostProcess : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        writeAudio(in(), 2, 1000, ramp, kFloatWav, 48000);
    }
    std::string in() const { return path("in.wav"); }
    std::string out() const { return path("out.wav"); }

    // Runs process on in() into out() and expects out() = gain x in().
    void expectGain(const std::vector<std::string>& options, float gain)
    {
        std::vector<std::string> arguments{"process", "TestGain", in(), out()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const RunResult result = run(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        const Audio input = readAudio(in()), output = readAudio(out());
        ASSERT_EQ(output.samples.size(), input.samples.size());
        EXPECT_EQ(output.sampleRate, 48000);
        EXPECT_EQ(output.format, kFloatWav);
        for (size_t i = 0; i < input.samples.size(); ++i)
            ASSERT_EQ(output.samples[i], gain * input.samples[i]) << "sample " << i;
    }

    std::vector<std::string> logLines() const
    {
        std::vector<std::string> lines;
        std::ifstream file(log());
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        return lines;
    }
};

TEST_F(HostProcess, PresetsAndParametersApplyInOrder)
{
    expectGain({}, 1.0f);
    expectGain({"--set", "Gain=0.5"}, 0.5f);
    expectGain({"--set", "0=2"}, 2.0f);
    expectGain({"--preset", "Quiet"}, 0.25f);
    expectGain({"--preset", "1"}, 0.25f);
    expectGain({"--set", "Gain=2", "--preset", "Quiet"}, 2.0f);
}

TEST_F(HostProcess, RejectsUnknownPresetsParametersAndValues)
{
    const auto expectUsageError = [&](const std::vector<std::string>& options, const std::string& message) {
        std::vector<std::string> arguments{"process", "TestGain", in(), out()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const RunResult result = run(arguments);
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_THAT(result.err, HasSubstr(message));
        EXPECT_FALSE(std::filesystem::exists(out()));
    };
    expectUsageError({"--preset", "7"}, "no factory preset '7'");
    expectUsageError({"--set", "Volume=1"}, "has no parameter 'Volume'");
    expectUsageError({"--set", "Gain=5"}, "outside the range");
    expectUsageError({"--set", "Gain=loud"}, "is not a number");
    expectUsageError({"--block", "0"}, "--block must be between 1");
    expectUsageError({"--format", "mp3"}, "unknown sample format");
}

TEST_F(HostProcess, BypassAndUnityKeepIntegerSamplesExactly)
{
    writeAudio(
        in(), 1, 3000, [](size_t i, int) { return std::sin(static_cast<float>(i) * 0.01f) * 0.999f; },
        kPcm16Wav);
    for (const std::vector<std::string>& options : {std::vector<std::string>{"--bypass", "--set", "Gain=3"},
                                                    std::vector<std::string>{"--block", "7"}}) {
        std::vector<std::string> arguments{"process", "TestGain", in(), out()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const RunResult result = run(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_THAT(result.err, Not(HasSubstr("clipped")));
        const Audio input = readAudio(in()), output = readAudio(out());
        EXPECT_EQ(output.format, kPcm16Wav);
        EXPECT_EQ(output.samples, input.samples);
    }
}

TEST_F(HostProcess, ClippingIsCountedAndReported)
{
    writeAudio(
        in(), 1, 100, [](size_t i, int) { return i < 10 ? 0.5f : 0.1f; }, kPcm16Wav);
    const RunResult clipped = run({"process", "TestGain", in(), out(), "--set", "Gain=4"});
    EXPECT_EQ(clipped.status, 0);
    EXPECT_THAT(clipped.out, HasSubstr("10 samples clipped"));
    EXPECT_THAT(clipped.err, HasSubstr("10 samples clipped"));
    EXPECT_EQ(readAudio(out()).samples[0], 32767.0f / 32768.0f);

    const RunResult asFloat =
        run({"process", "TestGain", in(), out(), "--set", "Gain=4", "--format", "float"});
    EXPECT_EQ(asFloat.status, 0);
    EXPECT_THAT(asFloat.err, Not(HasSubstr("clipped")));
    const Audio output = readAudio(out());
    EXPECT_EQ(output.format, kFloatWav);
    EXPECT_EQ(output.samples[0], 2.0f);
}

TEST_F(HostProcess, SavedStateRestoresInXmlAndBinaryForm)
{
    const std::string state = path("quiet.plist");
    ASSERT_EQ(run({"process", "TestGain", in(), out(), "--preset", "Quiet", "--save-state", state}).status,
              0);
    EXPECT_THAT(readText(state), HasSubstr("<?xml"));
    expectGain({"--state", state}, 0.25f);
    expectGain({"--state", state, "--set", "Gain=3"}, 3.0f);

    // The same state as a binary property list.
    const std::string xml = readText(state);
    const platform::CFRef data(
        CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), static_cast<CFIndex>(xml.size())));
    const platform::CFRef list(CFPropertyListCreateWithData(nullptr, data.get(), 0, nullptr, nullptr));
    const platform::CFRef binary(
        CFPropertyListCreateData(nullptr, list.get(), kCFPropertyListBinaryFormat_v1_0, 0, nullptr));
    ASSERT_TRUE(binary);
    std::ofstream(path("quiet.bplist"), std::ios::binary)
        .write(reinterpret_cast<const char*>(CFDataGetBytePtr(binary.get())), CFDataGetLength(binary.get()));
    expectGain({"--state", path("quiet.bplist")}, 0.25f);

    std::ofstream(path("bad.plist")) << "not a property list";
    const RunResult bad = run({"process", "TestGain", in(), out(), "--state", path("bad.plist")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_THAT(bad.err, HasSubstr("is not a property list"));
    // A list beyond the readers' limits is refused saying which.
    std::string nested = "<plist>";
    for (int i = 0; i < 513; ++i) nested += "<array>";
    for (int i = 0; i < 513; ++i) nested += "</array>";
    std::ofstream(path("deep.plist")) << nested << "</plist>";
    const RunResult tooDeep = run({"process", "TestGain", in(), out(), "--state", path("deep.plist")});
    EXPECT_EQ(tooDeep.status, 1);
    EXPECT_THAT(tooDeep.err, HasSubstr("nesting deeper than 512 levels"));
}

TEST_F(HostProcess, TempoReachesTheUnitOnlyWhenGiven)
{
    const RunResult withTempo = run(
        {"process", "TestGain", in(), out(), "--set", "Tempo Probe=1", "--tempo", "96", "--block", "100"});
    ASSERT_EQ(withTempo.status, 0) << withTempo.err;
    Audio output = readAudio(out());
    for (size_t i = 0; i < output.frames(); ++i) {
        ASSERT_EQ(output.samples[2 * i], static_cast<float>(96.0 / 1000.0)) << i;
        const double beat = static_cast<double>(i / 100 * 100) / 48000.0 * 96.0 / 60.0;
        ASSERT_EQ(output.samples[2 * i + 1], static_cast<float>(beat / 1000.0)) << i;
    }
    ASSERT_EQ(run({"process", "TestGain", in(), out(), "--set", "Tempo Probe=1"}).status, 0);
    output = readAudio(out());
    EXPECT_EQ(output.samples, std::vector<float>(output.samples.size(), 0.0f));
}

TEST_F(HostProcess, BlocksAdvanceTheSampleTime)
{
    writeAudio(in(), 1, 937, ramp, kFloatWav);
    ASSERT_EQ(run({"process", "TestGain", in(), out(), "--block", "300"}).status, 0);
    EXPECT_EQ(logLines(), (std::vector<std::string>{"render 0 300", "render 300 300", "render 600 300",
                                                    "render 900 37"}));
    EXPECT_EQ(readAudio(out()).frames(), 937u);
}

TEST_F(HostProcess, NeverOverwritesTheInput)
{
    std::filesystem::create_hard_link(in(), path("link.wav"));
    const std::string before = readText(in());
    for (const std::string& target : {in(), path("./in.wav"), path("link.wav")}) {
        const RunResult result = run({"process", "TestGain", in(), target, "--set", "Gain=2"});
        EXPECT_EQ(result.status, 2) << target;
        EXPECT_THAT(result.err, HasSubstr("is the input file"));
    }
    EXPECT_EQ(readText(in()), before);
}

TEST_F(HostProcess, FailuresLeaveNoOutput)
{
    std::ofstream(out()) << "previous output";
    setenv("TESTGAIN_FAIL_AT", "500", 1);
    const RunResult failed = run({"process", "TestGain", in(), out(), "--block", "100"});
    unsetenv("TESTGAIN_FAIL_AT");
    EXPECT_EQ(failed.status, 1);
    EXPECT_THAT(failed.err,
                HasSubstr("failed to render at frame 500: kAudioUnitErr_CannotDoInCurrentContext (-10863)"));
    EXPECT_EQ(readText(out()), "previous output");
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".out.wav")) << entry.path();

    const RunResult noFolder = run({"process", "TestGain", in(), path("missing/out.wav")});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_THAT(noFolder.err, HasSubstr("cannot create a file next to"));
}

TEST_F(HostProcess, RejectsUnreadableAndUnsupportedInput)
{
    std::ofstream(path("text.wav")) << "not audio";
    const RunResult notAudio = run({"process", "TestGain", path("text.wav"), out()});
    EXPECT_EQ(notAudio.status, 1);
    EXPECT_THAT(notAudio.err, HasSubstr("cannot read '" + path("text.wav") + "'"));

    writeAudio(path("six.wav"), 6, 100, ramp, kFloatWav);
    const RunResult six = run({"process", "TestGain", path("six.wav"), out()});
    EXPECT_EQ(six.status, 1);
    EXPECT_THAT(six.err, HasSubstr("the input has 6 channels; 'TestGain' supports 1 in/1 out, 2 in/2 out"));
    EXPECT_FALSE(std::filesystem::exists(out()));
}
