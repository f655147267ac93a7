// The LV2 bundles in process through lilv, against auhost running the same
// units on the same input: every output must be the same to the bit.

#include <dlfcn.h>
#include <link.h>
#include <lv2/atom/atom.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "tests/host/HostRun.h"
#include "tests/lv2/Lv2Host.h"
#include "tests/support/AllocationCounter.h"

namespace {

constexpr uint32_t kFrames = 44100;
constexpr uint32_t kBlock = 512;

// Two tones and some noise, different on each side.
float stereoTone(size_t i, int c)
{
    static uint32_t noise = 1;
    noise = noise * 1664525u + 1013904223u;
    const auto t = static_cast<float>(i);
    return 0.4f * std::sin(t * (c ? 0.031f : 0.013f)) + 0.2f * std::sin(t * 0.2f) +
           0.05f * (static_cast<float>(noise >> 8) / 16777216.0f - 0.5f);
}

std::string firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size())
        return std::to_string(a.size()) + " samples against " + std::to_string(b.size());
    for (size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return "sample " + std::to_string(i) + ": " + std::to_string(a[i]) + " against " +
                   std::to_string(b[i]);
    return {};
}

// Gives a lilv state's port values to the instance's ports.
void setPortValue(const char* symbol, void* instance, const void* value, uint32_t size, uint32_t type)
{
    ASSERT_EQ(type, Lv2World::get().urids.map(LV2_ATOM__Float));
    ASSERT_EQ(size, sizeof(float));
    static_cast<Lv2Instance*>(instance)->control(symbol) = *static_cast<const float*>(value);
}

void applyPreset(Lv2Instance& instance, const std::string& name, int number)
{
    Lv2World& world = Lv2World::get();
    LilvNode* preset = world.uri((pluginUri(name) + ":preset:" + std::to_string(number)).c_str());
    ASSERT_GE(lilv_world_load_resource(world.world, preset), 0);
    LilvState* state = lilv_state_new_from_world(world.world, world.urids.mapFeature(), preset);
    ASSERT_NE(state, nullptr);
    lilv_state_restore(state, instance.get(), setPortValue, &instance, 0, nullptr);
    lilv_state_free(state);
    lilv_node_free(preset);
}

} // namespace

class Lv2Adapter : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        writeAudio(path("in.wav"), 2, kFrames, stereoTone, kFloatWav);
        input = readAudio(path("in.wav")).samples;
    }

    // auhost process COMPONENT in.wav out.wav OPTIONS...
    std::vector<float> auhost(const std::string& component, const std::vector<std::string>& options)
    {
        std::vector<std::string> arguments{"process", component, path("in.wav"), path("out.wav")};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const RunResult result = run(arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        return readAudio(path("out.wav")).samples;
    }

    void writeText(const std::string& file, const std::string& text) const
    {
        std::ofstream(path(file)) << text;
    }

    std::vector<float> input;
};

#define EXPECT_SAME_BITS(a, b) EXPECT_EQ(firstDifference(a, b), "")

TEST_F(Lv2Adapter, DefaultRunsAndPresetsSoundAsInAuhost)
{
    for (const char* name : {"FlangerUnit", "TiltEqUnit"}) {
        SCOPED_TRACE(name);
        Lv2Instance plain(name);
        const std::vector<float> output = plain.process(input, kBlock);
        EXPECT_SAME_BITS(output, auhost(name, {}));
        EXPECT_NE(firstDifference(output, input), "") << "the effect left its input as it was";
    }
    for (const auto& [name, preset] : {std::pair{"FlangerUnit", 2}, {"FlangerUnit", 4}, {"TiltEqUnit", 3}}) {
        SCOPED_TRACE(name + std::string(" preset ") + std::to_string(preset));
        Lv2Instance instance(name);
        applyPreset(instance, name, preset);
        EXPECT_SAME_BITS(instance.process(input, kBlock), auhost(name, {"--preset", std::to_string(preset)}));
    }
}

TEST_F(Lv2Adapter, ChangedControlsReachTheUnitBeforeTheirBlock)
{
    writeText("flanger.txt", "set 10240 Depth = 0.9\nset 10240 Dry / Wet = 0.3\nset 25600 Speed = 0.8\n");
    Lv2Instance flanger("FlangerUnit");
    const std::vector<float> flanged = flanger.process(input, kBlock, [&](uint32_t frame) {
        if (frame == 10240) flanger.control("depth") = 0.9f, flanger.control("dry_wet") = 0.3f;
        if (frame == 25600) flanger.control("speed") = 0.8f;
    });
    EXPECT_SAME_BITS(flanged, auhost("FlangerUnit", {"--automation", path("flanger.txt")}));

    writeText("tilt.txt", "set 10240 Shelf = 0.9\nset 25600 On / Off = 0\nset 30720 On / Off = 1\n");
    Lv2Instance tilt("TiltEqUnit");
    const std::vector<float> tilted = tilt.process(input, kBlock, [&](uint32_t frame) {
        if (frame == 10240) tilt.control("shelf") = 0.9f;
        if (frame == 25600) tilt.control("on_off") = 0.0f;
        if (frame == 30720) tilt.control("on_off") = 1.0f;
    });
    EXPECT_SAME_BITS(tilted, auhost("TiltEqUnit", {"--automation", path("tilt.txt")}));
}

// The host's tempo reaches the flanger locked to a note value; without one
// the unit keeps to its own (120 BPM).
TEST_F(Lv2Adapter, TheFlangerFollowsTheHostsTempo)
{
    const auto locked = [&](double tempo) {
        Lv2Instance flanger("FlangerUnit");
        flanger.control("sync_tempo") = 2.0f;
        return flanger.process(input, kBlock, [&](uint32_t frame) {
            if (frame == 0 && tempo > 0.0) flanger.position(0, tempo);
        });
    };
    const std::vector<float> at96 = locked(96.0);
    EXPECT_SAME_BITS(at96, auhost("FlangerUnit", {"--set", "Sync Tempo=2", "--tempo", "96"}));
    const std::vector<float> unknown = locked(0.0);
    EXPECT_SAME_BITS(unknown, auhost("FlangerUnit", {"--set", "Sync Tempo=2"}));
    EXPECT_NE(firstDifference(at96, unknown), "");
}

// A position inside a block applies from its own frame: the same as a
// block that starts there.
TEST_F(Lv2Adapter, APositionTakesEffectAtItsFrame)
{
    const auto run = [&](uint32_t block, uint32_t changeBlock, uint32_t changeFrame) {
        Lv2Instance flanger("FlangerUnit");
        flanger.control("sync_tempo") = 4.0f;
        return flanger.process(input, block, [&](uint32_t frame) {
            if (frame == 0) flanger.position(0, 96.0);
            if (frame == changeBlock) flanger.position(changeFrame, 180.0);
        });
    };
    const std::vector<float> inside = run(512, 3 * 512, 100);
    EXPECT_SAME_BITS(inside, run(409, 4 * 409, 0));
    EXPECT_NE(firstDifference(inside, run(512, kFrames, 0)), "");
}

// In place, without an announced block size, and with blocks longer than
// the unit's own: the same output.
TEST_F(Lv2Adapter, BuffersAndBlockSizesChangeNothing)
{
    Lv2Instance reference("FlangerUnit");
    const std::vector<float> expected = reference.process(input, kBlock);
    Lv2Instance inPlace("FlangerUnit", {.inPlace = true});
    EXPECT_SAME_BITS(inPlace.process(input, kBlock), expected);
    Lv2Instance unannounced("FlangerUnit", {.maxBlock = 0});
    EXPECT_SAME_BITS(unannounced.process(input, 10000), expected);
    Lv2Instance small("FlangerUnit", {.maxBlock = 64});
    EXPECT_SAME_BITS(small.process(input, 3000), expected);
}

TEST_F(Lv2Adapter, StateHoldsAuhostsBytesAndRestoresIntoAFreshInstance)
{
    const auto configure = [](Lv2Instance& instance) {
        instance.control("depth") = 0.7f;
        instance.control("feedback") = 0.9f;
        instance.control("sync_tempo") = 3.0f;
    };
    Lv2Instance saved("FlangerUnit");
    configure(saved);
    saved.process(input, kBlock);
    const auto properties = saved.save();
    ASSERT_EQ(properties.size(), 1u);
    const auto& [type, bytes] = properties.begin()->second;
    EXPECT_EQ(type, Lv2World::get().urids.map(LV2_ATOM__Chunk));
    auhost("FlangerUnit", {"--set", "Depth=0.7", "--set", "Feedback=0.9", "--set", "Sync Tempo=3",
                           "--save-state", path("s.plist")});
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), readText(path("s.plist")));

    Lv2Instance configured("FlangerUnit");
    configure(configured);
    const std::vector<float> expected = configured.process(input, kBlock);
    // The ports keep their defaults: only the unit's state carries the settings.
    Lv2Instance restored("FlangerUnit");
    EXPECT_EQ(restored.restore(properties), LV2_STATE_SUCCESS);
    EXPECT_SAME_BITS(restored.process(input, kBlock), expected);

    // The same through lilv's own state, written out as Turtle and read back.
    Lv2World& world = Lv2World::get();
    LilvState* state =
        lilv_state_new_from_instance(saved.plugin(), saved.get(), world.urids.mapFeature(), nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, 0, nullptr);
    ASSERT_NE(state, nullptr);
    char* text = lilv_state_to_string(world.world, world.urids.mapFeature(), world.urids.unmapFeature(),
                                      state, "urn:test:state", nullptr);
    LilvState* read = lilv_state_new_from_string(world.world, world.urids.mapFeature(), text);
    ASSERT_NE(read, nullptr) << text;
    Lv2Instance fromTurtle("FlangerUnit");
    lilv_state_restore(read, fromTurtle.get(), nullptr, nullptr, 0, nullptr);
    EXPECT_SAME_BITS(fromTurtle.process(input, kBlock), expected);
    lilv_state_free(read);
    lilv_free(text);
    lilv_state_free(state);
}

TEST_F(Lv2Adapter, ForeignOrDamagedStateIsRefusedWithNothingChanged)
{
    Lv2Instance reference("TiltEqUnit");
    const std::vector<float> untouched = reference.process(input, kBlock);
    const std::vector<float> firstHalf(input.begin(), input.begin() + input.size() / 2),
        secondHalf(input.begin() + input.size() / 2, input.end());

    Lv2Instance flanger("FlangerUnit");
    flanger.control("depth") = 0.2f;
    flanger.process(firstHalf, kBlock);
    const auto foreign = flanger.save();
    auto damaged = foreign;
    std::vector<uint8_t>& bytes = damaged.begin()->second.second;
    bytes.resize(bytes.size() / 2);
    auto mistyped = foreign;
    mistyped.begin()->second.first = Lv2World::get().urids.map(LV2_ATOM__String);

    Lv2Instance tilt("TiltEqUnit");
    tilt.control("shelf") = 0.8f;
    tilt.process(firstHalf, kBlock);
    const auto own = tilt.save();
    // Refused half way through: the rest sounds as if nothing had come.
    for (const auto& [what, state] :
         {std::pair{"foreign", foreign}, {"damaged", damaged}, {"mistyped", mistyped}}) {
        SCOPED_TRACE(what);
        Lv2Instance instance("TiltEqUnit");
        std::vector<float> output = instance.process(firstHalf, kBlock);
        EXPECT_NE(instance.restore(state), LV2_STATE_SUCCESS);
        const std::vector<float> rest = instance.process(secondHalf, kBlock);
        output.insert(output.end(), rest.begin(), rest.end());
        EXPECT_SAME_BITS(output, untouched);
    }
    // What the tilt EQ saved it takes back.
    Lv2Instance instance("TiltEqUnit");
    EXPECT_EQ(instance.restore(own), LV2_STATE_SUCCESS);
    EXPECT_NE(firstDifference(instance.process(input, kBlock), untouched), "");
}

// The audio thread of a host: once instantiated, run touches no heap, with
// controls changing, positions arriving inside blocks and blocks longer than
// the unit's.
TEST(Lv2RealTime, RunNeverAllocates)
{
    std::vector<float> input(2 * Lv2Instance::kCapacity);
    for (size_t i = 0; i < input.size(); ++i) input[i] = stereoTone(i / 2, static_cast<int>(i % 2));
    for (const char* name : {"FlangerUnit", "TiltEqUnit"}) {
        SCOPED_TRACE(name);
        // The counter must see the units' heap, or a zero below proves nothing.
        const std::size_t beforeInstantiate = testsupport::allocationCount();
        Lv2Instance instance(name, {.maxBlock = 1024});
        ASSERT_NE(instance.get(), nullptr);
        ASSERT_GT(testsupport::allocationCount() - beforeInstantiate, 0u);
        instance.fill(input.data(), Lv2Instance::kCapacity);
        const uint32_t blocks[] = {1024, 37, 512, 1, 3000};
        const std::size_t before = testsupport::allocationCount();
        for (int block = 0; block < 300; ++block) {
            const uint32_t frames = blocks[block % 5];
            instance.control(name == std::string("FlangerUnit") ? "depth" : "shelf") = 0.01f * (block % 100);
            if (block % 7 == 0) instance.position(frames / 2, 60.0 + block);
            instance.run(frames);
        }
        EXPECT_EQ(testsupport::allocationCount() - before, 0u);
    }
}

// Both plug-ins in one host share one platform, the one the first bundle
// brought: each bundle carries its own copy, and nothing of the build's.
TEST(Lv2Bundles, OneCopyOfThePlatformServesBothPlugIns)
{
    Lv2Instance flanger("FlangerUnit"), tilt("TiltEqUnit");
    ASSERT_NE(flanger.get(), nullptr);
    ASSERT_NE(tilt.get(), nullptr);
    std::vector<std::string> loaded;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* list) {
            if (std::strstr(info->dlpi_name, "libvok_"))
                static_cast<std::vector<std::string>*>(list)->push_back(info->dlpi_name);
            return 0;
        },
        &loaded);
    std::set<std::string> names, folders;
    for (const std::string& file : loaded) {
        names.insert(std::filesystem::path(file).filename());
        folders.insert(std::filesystem::canonical(file).parent_path());
    }
    EXPECT_EQ(names.size(), loaded.size()) << "a platform library is loaded twice";
    EXPECT_GE(loaded.size(), 3u);
    EXPECT_EQ(folders, std::set<std::string>{std::filesystem::canonical(VOK_LV2_DIR "/FlangerUnit.lv2/lib")});
}

// A host without urid:map, or at a rate the unit refuses, gets no instance
// (and a message), never one that cannot work.
TEST(Lv2Instantiation, IsRefusedWhenTheUnitCannotWork)
{
    Lv2World& world = Lv2World::get();
    const LilvPlugin* plugin = world.plugin(pluginUri("FlangerUnit"));
    ASSERT_NE(plugin, nullptr);
    const LV2_Feature map{LV2_URID__map, world.urids.mapFeature()};
    const LV2_Feature* withMap[] = {&map, nullptr};
    const LV2_Feature* without[] = {nullptr};
    EXPECT_EQ(lilv_plugin_instantiate(plugin, 48000.0, without), nullptr);
    for (const double rate : {0.0, -44100.0, 7999.0, 768001.0, std::nan("")})
        EXPECT_EQ(lilv_plugin_instantiate(plugin, rate, withMap), nullptr) << rate;
    for (const double rate : {8000.0, 768000.0}) {
        LilvInstance* instance = lilv_plugin_instantiate(plugin, rate, withMap);
        EXPECT_NE(instance, nullptr) << rate;
        if (instance) lilv_instance_free(instance);
    }
}

// The first instances of a plug-in in a process, made on several threads at
// once, register its component once between them. (Straight through the
// plug-in's descriptor: lilv itself instantiates from one thread only.)
TEST(Lv2Instantiation, InstancesMadeOnSeveralThreadsAtOnce)
{
    const std::string bundle = VOK_LV2_DIR "/TiltEqUnit.lv2/";
    void* library = dlopen((bundle + "TiltEqUnit.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
    ASSERT_NE(entry, nullptr);
    const LV2_Descriptor* descriptor = entry(0);
    Urids urids;
    const LV2_Feature map{LV2_URID__map, urids.mapFeature()};
    const LV2_Feature* features[] = {&map, nullptr};
    std::vector<LV2_Handle> instances(4, nullptr);
    std::vector<std::thread> threads;
    for (LV2_Handle& instance : instances)
        threads.emplace_back(
            [&] { instance = descriptor->instantiate(descriptor, 44100.0, bundle.c_str(), features); });
    for (std::thread& thread : threads) thread.join();
    for (LV2_Handle instance : instances) {
        EXPECT_NE(instance, nullptr);
        if (instance) descriptor->cleanup(instance);
    }
    dlclose(library);
}
