#include "HostRun.h"

#include <sndfile.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

void HostTest::SetUp()
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = std::filesystem::temp_directory_path() / ("auhost-" + std::string(test->test_suite_name()) +
                                                       "-" + test->name() + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    setenv("HOME", folder.c_str(), 1);
    unsetenv("AU_PLUGIN_PATH");
}

void HostTest::TearDown()
{
    if (!HasFailure()) std::filesystem::remove_all(folder);
}

RunResult HostTest::run(const std::vector<std::string>& arguments) const
{
    std::string command = "TESTGAIN_LOG=" + quote(log()) + " " + quote(AUHOST_PATH);
    for (const std::string& argument : arguments) command += " " + quote(argument);
    return runCommand(command + " --plugins " + quote(TEST_PLUGINS_DIR));
}

RunResult HostTest::runCommand(const std::string& command) const
{
    const int status =
        std::system((command + " >" + quote(path("stdout")) + " 2>" + quote(path("stderr"))).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(path("stdout")), readText(path("stderr"))};
}

std::string HostTest::readText(const std::string& file) const
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void HostTest::writeAudio(const std::string& file, int channels, size_t frames,
                          const std::function<float(size_t, int)>& sample, int format, int sampleRate) const
{
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = format;
    SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(out, nullptr) << sf_strerror(nullptr);
    std::vector<float> samples;
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) samples.push_back(sample(i, c));
    EXPECT_EQ(sf_writef_float(out, samples.data(), static_cast<sf_count_t>(frames)),
              static_cast<sf_count_t>(frames));
    sf_close(out);
}

Audio HostTest::readAudio(const std::string& file) const
{
    SF_INFO info{};
    SNDFILE* in = sf_open(file.c_str(), SFM_READ, &info);
    Audio audio;
    EXPECT_NE(in, nullptr) << file << ": " << sf_strerror(nullptr);
    if (!in) return audio;
    audio.channels = info.channels;
    audio.sampleRate = info.samplerate;
    audio.format = info.format;
    audio.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(in, audio.samples.data(), info.frames);
    sf_close(in);
    return audio;
}
