// auhost list, info, help and its JSON text.

#include <cmath>

#include "HostRun.h"
#include "host/JsonWriter.h"

using ::testing::HasSubstr;

TEST_F(HostTest, ListShowsTestBundleAndWarnsAboutBrokenOnes)
{
    std::filesystem::create_directories(folder / "Broken.component/Contents");
    const RunResult text = run({"list", "--plugins", folder.string()});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_THAT(text.out, HasSubstr("aufx:Gain:Test  TestGain"));
    EXPECT_THAT(text.out, HasSubstr(std::string(TEST_PLUGINS_DIR) + "/TestGain.component"));
    EXPECT_THAT(text.err, HasSubstr("warning"));
    EXPECT_THAT(text.err, HasSubstr("Broken.component"));

    const RunResult json = run({"list", "--json"});
    EXPECT_EQ(json.status, 0);
    EXPECT_THAT(
        json.out,
        HasSubstr(
            R"({"codes":"aufx:Gain:Test","type":"aufx","subtype":"Gain","manufacturer":"Test","name":"TestGain","bundle":")"));
}

TEST_F(HostTest, InfoDescribesParametersPresetsAndChannels)
{
    for (const char* reference : {"TestGain", "aufx:Gain:Test", "testgain"}) {
        const RunResult json = run({"info", reference, "--json"});
        ASSERT_EQ(json.status, 0) << reference << ": " << json.err;
        EXPECT_THAT(json.out, HasSubstr(R"("version":131331,"versionString":"2.1.3")"));
        EXPECT_THAT(
            json.out,
            HasSubstr(
                R"("parameters":[{"id":0,"name":"Gain","min":0,"max":4,"value":1,"default":1,"unit":"LinearGain","flags":3355443200},{"id":1,"name":"Tempo Probe")"));
        EXPECT_THAT(json.out,
                    HasSubstr(R"("presets":[{"number":0,"name":"Unity"},{"number":1,"name":"Quiet"}])"));
        EXPECT_THAT(
            json.out,
            HasSubstr(R"("channelConfigurations":[{"inputs":1,"outputs":1},{"inputs":2,"outputs":2}])"));
        EXPECT_THAT(
            json.out,
            HasSubstr(
                R"("latency":0,"tailTime":0,"editors":[{"codes":"auvw:Gain:Test","name":"TestGain View"}])"));
    }
    const RunResult text = run({"info", "TestGain"});
    EXPECT_EQ(text.status, 0);
    EXPECT_THAT(text.out, HasSubstr("channels:  1 in/1 out, 2 in/2 out"));
    EXPECT_THAT(text.out, HasSubstr("Quiet"));
}

TEST_F(HostTest, UnknownComponentListsWhatThereIs)
{
    const RunResult result = run({"info", "Nope"});
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.err, HasSubstr("no component 'Nope'"));
    EXPECT_THAT(result.err, HasSubstr("aufx:Gain:Test  TestGain"));
    EXPECT_EQ(result.out, "");
}

TEST_F(HostTest, HelpAndUsageErrors)
{
    const RunResult help = run({"process", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("ramp FRAME FRAMES PARAMETER = START END"));
    EXPECT_EQ(run({"frobnicate"}).status, 2);
    const RunResult badOption = run({"list", "--jsn"});
    EXPECT_EQ(badOption.status, 2);
    EXPECT_THAT(badOption.err, HasSubstr("unknown option '--jsn'"));
    const RunResult missing = run({"process", "TestGain", "in.wav"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_THAT(missing.err, HasSubstr("usage: auhost process COMPONENT IN OUT"));
}

TEST(HostJsonWriter, EscapesStringsAndSeparatesValues)
{
    JsonWriter json;
    json.beginObject()
        .key("text")
        .value("quote\" back\\ line\n tab\t bell\x07 \xC3\xA9")
        .key("bad")
        .value("\xC3(\xED\xA0\x80")
        .key("numbers")
        .beginArray()
        .value(0.5)
        .value(std::nan(""))
        .value(int64_t{-3})
        .value(true)
        .endArray()
        .key("empty")
        .beginObject()
        .endObject()
        .endObject();
    EXPECT_EQ(json.text(), "{\"text\":\"quote\\\" back\\\\ line\\n tab\\t bell\\u0007 \xC3\xA9\","
                           "\"bad\":\"\\ufffd(\\ufffd\\ufffd\\ufffd\","
                           "\"numbers\":[0.5,null,-3,true],\"empty\":{}}");
}

TEST_F(HostTest, DemoProcessesEveryPresetIntoTheFolder)
{
    const RunResult result = run({"demo", path("demo"), "TestGain", "--seconds", "0.1"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("TestGain #00 'Unity'"));
    EXPECT_THAT(result.out, HasSubstr("testgain-01-quiet.wav: 4410 frames, 2 ch, 44100 Hz"));
    for (const char* file : {"input.wav", "testgain-00-unity.wav", "testgain-01-quiet.wav"})
        EXPECT_TRUE(std::filesystem::exists(folder / "demo" / file)) << file;
    // Preset 1 is a quarter of the gain: 12 dB down.
    const Audio unity = readAudio(path("demo/testgain-00-unity.wav"));
    const Audio quiet = readAudio(path("demo/testgain-01-quiet.wav"));
    ASSERT_EQ(unity.samples.size(), quiet.samples.size());
    for (size_t i = 0; i < unity.samples.size(); ++i) ASSERT_EQ(quiet.samples[i], 0.25f * unity.samples[i]);
}
