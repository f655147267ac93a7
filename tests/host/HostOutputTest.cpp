// auhost process and its files: outputs that appear together or not at all,
// also when stopped by a signal, deterministic headers, and inputs whose
// header or length cannot be trusted.

#include <fcntl.h>
#include <signal.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <thread>

#include "HostRun.h"
#include "host/AudioFile.h"

using ::testing::HasSubstr;
using ::testing::Not;

extern char** environ;

namespace {

float tone(size_t i, int c)
{
    return 0.5f * static_cast<float>(std::sin(0.01 * static_cast<double>(i) + c));
}

void put32(std::string& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
}

void put16(std::string& bytes, uint16_t value)
{
    for (int i = 0; i < 2; ++i) bytes += static_cast<char>(value >> (8 * i));
}

// A mono 16-bit PCM WAV file whose data chunk(s) claim `claimedBytes` and
// hold `presentBytes`, with the rate and bit depth as given.
std::string wavFile(uint32_t sampleRate, uint16_t bits, uint32_t claimedBytes, uint32_t presentBytes,
                    int dataChunks = 1)
{
    std::string bytes = "RIFF";
    put32(bytes, 0);
    bytes += "WAVEfmt ";
    put32(bytes, 16);
    put16(bytes, 1);
    put16(bytes, 1);
    put32(bytes, sampleRate);
    put32(bytes, sampleRate * 2);
    put16(bytes, 2);
    put16(bytes, bits);
    for (int chunk = 0; chunk < dataChunks; ++chunk) {
        bytes += "data";
        put32(bytes, claimedBytes);
        for (uint32_t i = 0; i < presentBytes; ++i) bytes += static_cast<char>(i * 7);
    }
    const auto riffSize = static_cast<uint32_t>(bytes.size() - 8);
    std::memcpy(bytes.data() + 4, &riffSize, 4);
    return bytes;
}

} // namespace

class HostOutput : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        writeAudio(in(), 2, 4000, tone, kFloatWav, 48000);
    }
    std::string in() const { return path("in.wav"); }
    std::string out() const { return path("out.wav"); }

    void writeBytes(const std::string& file, const std::string& bytes) const
    {
        std::ofstream(file, std::ios::binary) << bytes;
    }

    bool rendered() const { return readText(log()).find("render") != std::string::npos; }

    // The hidden temporary files auhost left in the folder.
    std::vector<std::string> temporaries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().string().starts_with(".")) names.push_back(entry.path().string());
        return names;
    }

    // Starts auhost process IN OUT --block 64 with each render call slowed
    // down, its output in path("stdout") and path("stderr"); the child's pid.
    pid_t startSlowProcess(const std::string& input)
    {
        const std::vector<std::string> arguments{AUHOST_PATH, "process", "TestGain",  input,           out(),
                                                 "--block",   "64",      "--plugins", TEST_PLUGINS_DIR};
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, path("stdout").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, path("stderr").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        setenv("TESTGAIN_RENDER_US", "1000", 1);
        pid_t child = -1;
        const int spawned = posix_spawn(&child, AUHOST_PATH, &actions, nullptr, argv.data(), environ);
        unsetenv("TESTGAIN_RENDER_US");
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0);
        return child;
    }

    // Waits until the child has written audio past the header into its
    // temporary file; false if it did not within ten seconds.
    bool awaitWriting() const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            for (const std::string& name : temporaries()) {
                std::error_code error;
                if (std::filesystem::file_size(name, error) > 65536) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
};

TEST_F(HostOutput, EveryOutputPlaceIsCheckedBeforeProcessing)
{
    std::filesystem::create_directory(path("folder"));
    const RunResult missingFolder =
        run({"process", "TestGain", in(), out(), "--save-state", path("missing/state.plist")});
    EXPECT_EQ(missingFolder.status, 1);
    EXPECT_THAT(missingFolder.err, HasSubstr("cannot create a file next to '" + path("missing/state.plist")));
    const RunResult stateFolder = run({"process", "TestGain", in(), out(), "--save-state", path("folder")});
    EXPECT_EQ(stateFolder.status, 1);
    EXPECT_THAT(stateFolder.err, HasSubstr("'" + path("folder") + "' is a folder"));
    const RunResult outFolder = run({"process", "TestGain", in(), path("folder")});
    EXPECT_EQ(outFolder.status, 1);
    EXPECT_THAT(outFolder.err, HasSubstr("'" + path("folder") + "' is a folder"));

    EXPECT_FALSE(std::filesystem::exists(out()));
    EXPECT_FALSE(rendered()) << readText(log());
    EXPECT_THAT(temporaries(), testing::IsEmpty());
}

TEST_F(HostOutput, AudioAndStateAppearTogetherOrNotAtAll)
{
    const std::string state = path("state.plist");
    setenv("TESTGAIN_FAIL_AT", "2000", 1);
    const RunResult failed = run({"process", "TestGain", in(), out(), "--save-state", state});
    unsetenv("TESTGAIN_FAIL_AT");
    EXPECT_EQ(failed.status, 1);
    EXPECT_FALSE(std::filesystem::exists(out()));
    EXPECT_FALSE(std::filesystem::exists(state));
    EXPECT_THAT(temporaries(), testing::IsEmpty());

    ASSERT_EQ(run({"process", "TestGain", in(), out(), "--save-state", state}).status, 0);
    EXPECT_EQ(readAudio(out()).frames(), 4000u);
    EXPECT_THAT(readText(state), HasSubstr("<plist"));
    EXPECT_THAT(temporaries(), testing::IsEmpty());
}

TEST_F(HostOutput, SignalsLeaveNoTemporaryFile)
{
    // 12 chunks of 32768 frames at 64 frames and 1 ms a render: some 6 s.
    writeAudio(in(), 1, 12 * 32768, tone, kFloatWav, 48000);
    for (const int signal : {SIGINT, SIGTERM}) {
        const pid_t child = startSlowProcess(in());
        ASSERT_GT(child, 0);
        const bool writing = awaitWriting();
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(writing) << "auhost wrote no audio: " << readText(path("stderr"));
        ASSERT_TRUE(WIFSIGNALED(status)) << strsignal(signal) << ", status " << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_THAT(temporaries(), testing::IsEmpty()) << strsignal(signal);
        EXPECT_FALSE(std::filesystem::exists(out()));
    }
}

TEST_F(HostOutput, IdenticalRunsGiveIdenticalPlainWavFiles)
{
    ASSERT_EQ(run({"process", "TestGain", in(), out()}).status, 0);
    const std::string first = readText(out());
    // Past the second a time stamp in the header would change by.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    ASSERT_EQ(run({"process", "TestGain", in(), out()}).status, 0);
    EXPECT_TRUE(first == readText(out())) << "the two outputs differ";
    // Small files stay plain WAV rather than RF64.
    EXPECT_EQ(first.substr(0, 4), "RIFF");
    EXPECT_EQ(readAudio(out()).format, kFloatWav);
}

TEST_F(HostOutput, SampleRatesOutsideTheRangeAreRefused)
{
    for (const int rate : {1, 7999, 768001}) {
        writeAudio(in(), 1, 100, tone, kFloatWav, rate);
        const RunResult result = run({"process", "TestGain", in(), out()});
        EXPECT_EQ(result.status, 1) << rate;
        EXPECT_THAT(result.err, HasSubstr("has a sample rate of " + std::to_string(rate) +
                                          " Hz; auhost takes 8000 to 768000 Hz"));
    }
    EXPECT_FALSE(rendered());
    for (const int rate : {8000, 768000}) {
        writeAudio(in(), 1, 100, tone, kFloatWav, rate);
        const RunResult result = run({"process", "TestGain", in(), out()});
        EXPECT_EQ(result.status, 0) << rate << ": " << result.err;
        EXPECT_EQ(readAudio(out()).sampleRate, rate);
    }
}

TEST_F(HostOutput, UnreadableInputsAreDescribedInPlainWords)
{
    std::filesystem::create_directory(path("folder"));
    writeBytes(path("rate0.wav"), wavFile(0, 16, 200, 200));
    writeBytes(path("twodata.wav"), wavFile(44100, 16, 200, 200, 2));
    writeBytes(path("bits0.wav"), wavFile(44100, 0, 200, 200));
    const std::pair<std::string, std::string> cases[] = {
        {path("missing.wav"), "'" + path("missing.wav") + "' does not exist"},
        {path("folder"), "'" + path("folder") + "' is a folder, not an audio file"},
        {path("rate0.wav"),
         "'" + path("rate0.wav") + "' is not a readable audio file: its header is malformed"},
        {path("twodata.wav"),
         "'" + path("twodata.wav") + "' is not a readable audio file: its header is malformed"},
        {path("bits0.wav"),
         "'" + path("bits0.wav") + "' is not a readable audio file: its header is malformed"},
    };
    for (const auto& [input, message] : cases) {
        const RunResult result = run({"process", "TestGain", input, out()});
        EXPECT_EQ(result.status, 1) << input;
        EXPECT_THAT(result.err, HasSubstr(message));
        EXPECT_THAT(result.err, Not(HasSubstr("error :"))) << "libsndfile's own words";
    }
    EXPECT_FALSE(std::filesystem::exists(out()));
}

TEST_F(HostOutput, ShortInputsAreProcessedWithAWarning)
{
    // The header promises 1000 frames (2000 bytes); 100 are there.
    writeBytes(path("short.wav"), wavFile(44100, 16, 2000, 200));
    const RunResult promised = run({"process", "TestGain", path("short.wav"), out()});
    EXPECT_EQ(promised.status, 0) << promised.err;
    EXPECT_THAT(promised.err,
                HasSubstr("'" + path("short.wav") + "' promised 1000 frames but only 100 could be read"));
    EXPECT_EQ(readAudio(out()).frames(), 100u);

    const RunResult whole = run({"process", "TestGain", in(), out()});
    EXPECT_THAT(whole.err, Not(HasSubstr("promised")));

    // Cut short while processing: 8 chunks of 32768 frames, cut to 4 once
    // the first is written (by then at most 3 have been read).
    writeAudio(in(), 1, 8 * 32768, tone, kFloatWav, 48000);
    const pid_t child = startSlowProcess(in());
    ASSERT_GT(child, 0);
    ASSERT_TRUE(awaitWriting());
    std::filesystem::resize_file(in(), std::filesystem::file_size(in()) - 4 * 32768 * sizeof(float));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << readText(path("stderr"));
    EXPECT_THAT(readText(path("stderr")),
                HasSubstr("'" + in() + "' promised 262144 frames but only 131072 could be read"));
    EXPECT_EQ(readAudio(out()).frames(), 131072u);
}

TEST_F(HostOutput, RestoredValuesOutsideTheirRangeAreReported)
{
    const std::string state = path("state.plist");
    ASSERT_EQ(run({"process", "TestGain", in(), out(), "--preset", "Quiet", "--save-state", state}).status,
              0);
    std::string text = readText(state);
    // The unit's data: Gain 0.25, then as 1000, big-endian.
    const std::string quiet = "AAAAAAAAAAAAAAACAAAAAD6AAAAAAAABAAAAAA==";
    const size_t at = text.find(quiet);
    ASSERT_NE(at, std::string::npos) << text;
    writeBytes(state, text.replace(at, quiet.size(), "AAAAAAAAAAAAAAACAAAAAER6AAAAAAABAAAAAA=="));

    const RunResult loud = run({"process", "TestGain", in(), out(), "--state", state});
    EXPECT_EQ(loud.status, 0) << loud.err;
    EXPECT_THAT(loud.err, HasSubstr("warning: the state in '" + state +
                                    "': value 1000 is outside the range of 'Gain' (0) (0 to 4)"));
    EXPECT_EQ(readAudio(out()).samples[1], 1000.0f * readAudio(in()).samples[1]);

    const RunResult quietRun = run({"process", "TestGain", in(), out(), "--preset", "Quiet"});
    EXPECT_THAT(quietRun.err, Not(HasSubstr("outside the range")));
}

TEST_F(HostOutput, WavOutputsThatMayOutgrowFourGibUseRf64)
{
    // Only the header shows the choice: the few frames written here make
    // libsndfile downgrade RF64 to WAV, with RF64's extensible format chunk.
    const float frames[4] = {0.5f, -0.5f, 0.25f, -0.25f};
    const auto writeWith = [&](const std::string& file, int64_t promised) {
        AudioWriter writer(file, kFloatWav, SampleEncoding::SameAsInput, 2, 48000, promised);
        writer.write(frames, 2);
        writer.commit();
        return readAudio(file);
    };
    EXPECT_EQ(writeWith(path("fits.wav"), (int64_t{1} << 29) - (1 << 20)).format, kFloatWav);
    for (const int64_t promised : {int64_t{1} << 29, int64_t{-1}}) {
        const Audio output = writeWith(path("large.wav"), promised);
        EXPECT_EQ(output.format, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT) << promised;
        EXPECT_EQ(output.samples, std::vector<float>(frames, frames + 4));
    }
}
