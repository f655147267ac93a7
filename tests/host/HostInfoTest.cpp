// What auhost info and the plug-in path tell a user: values beside reported
// defaults, named parameters first, bundle names, missing folders; and the
// ranges numeric options accept.

#include <cstdlib>
#include <sndfile.h>

#include <regex>

#include "HostRun.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

size_t count(const std::string& text, const std::string& pattern)
{
    const std::regex expression(pattern);
    return static_cast<size_t>(
        std::distance(std::sregex_iterator(text.begin(), text.end(), expression), std::sregex_iterator()));
}

} // namespace

// The tilt EQ reports 0 as every default but opens on its first program
// (Shelf 0.5), and 15 of its 21 parameters are unnamed reserved slots.
TEST_F(HostTest, InfoShowsOpeningValuesAndNamedParametersUnlessAll)
{
    const RunResult text = run({"info", "TiltEqUnit"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_THAT(text.out, HasSubstr("value reported default"));
    EXPECT_THAT(text.out, HasSubstr("Parameters (6 named of 21; --all shows the unnamed ones):"));
    EXPECT_EQ(count(text.out, R"(\n +1  Shelf +0 +1 +0\.5 +0  )"), 1u) << text.out;
    EXPECT_EQ(count(text.out, R"(\n +6  On / Off +0 +1 +1 +0  )"), 1u) << text.out;
    EXPECT_EQ(count(text.out, R"(\n +\d+  - )"), 0u) << text.out;

    const RunResult all = run({"info", "TiltEqUnit", "--all"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_THAT(all.out, HasSubstr("Parameters (21):"));
    EXPECT_EQ(count(all.out, R"(\n +\d+  - )"), 15u) << all.out;

    const RunResult json = run({"info", "TiltEqUnit", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(count(json.out, R"(\{"id":)"), 21u);
    EXPECT_THAT(json.out, HasSubstr(R"({"id":1,"name":"Shelf","min":0,"max":1,"value":0.5,"default":0,)"));
}

TEST_F(HostTest, InfoTakesBundleFolderNames)
{
    for (const char* reference :
         {"TiltEqUnit.component", "tiltequnit.COMPONENT", "TiltEqUnit", "TestGain.component"}) {
        const RunResult result = run({"info", reference, "--json"});
        EXPECT_EQ(result.status, 0) << reference << ": " << result.err;
        EXPECT_THAT(result.out, HasSubstr(std::string(".component\",\"version\"")));
    }
    const RunResult other = run({"info", "TiltEqUnit.bundle"});
    EXPECT_EQ(other.status, 1);
    EXPECT_THAT(other.err, HasSubstr("no component 'TiltEqUnit.bundle'"));
}

TEST_F(HostTest, MissingPluginFoldersWarnWhereverTheyAreNamed)
{
    std::filesystem::create_directories(folder / "empty");
    writeAudio(
        path("file.wav"), 1, 1, [](size_t, int) { return 0.0f; }, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    setenv("AU_PLUGIN_PATH", (path("gone") + "::" + path("file.wav") + ":" + path("empty")).c_str(), 1);
    const RunResult result = run({"list", "--plugins", path("absent")});
    unsetenv("AU_PLUGIN_PATH");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("TestGain"));
    EXPECT_THAT(result.err, HasSubstr("plug-in folder '" + path("absent") + "' (--plugins) does not exist"));
    EXPECT_THAT(result.err,
                HasSubstr("plug-in folder '" + path("gone") + "' (AU_PLUGIN_PATH) does not exist"));
    EXPECT_THAT(result.err,
                HasSubstr("plug-in folder '" + path("file.wav") + "' (AU_PLUGIN_PATH) is not a folder"));
    EXPECT_THAT(result.err, Not(HasSubstr(path("empty"))));
    EXPECT_THAT(result.err, Not(HasSubstr(".local")));
}

TEST_F(HostTest, BlockSizeOutsideItsRangeNamesTheRange)
{
    writeAudio(
        path("in.wav"), 2, 100, [](size_t i, int) { return static_cast<float>(i) / 100.0f; },
        SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    for (const char* block : {"-64", "100000000000", "0", "65537", "4294967296", "12x", "1.5", ""}) {
        const RunResult result =
            run({"process", "TestGain", path("in.wav"), path("out.wav"), "--block", block});
        EXPECT_EQ(result.status, 2) << block;
        EXPECT_THAT(result.err,
                    HasSubstr(std::string("--block must be between 1 and 65536, not '") + block + "'"));
    }
    for (const char* block : {"1", "65536"}) {
        const RunResult result =
            run({"process", "TestGain", path("in.wav"), path("out.wav"), "--block", block});
        EXPECT_EQ(result.status, 0) << block << ": " << result.err;
        EXPECT_EQ(readAudio(path("out.wav")).frames(), 100u);
    }
}
