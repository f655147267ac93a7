// The LV2 bundles as hosts find them: discovered and described through
// lilv as the units describe themselves to auhost, checked by lv2_validate,
// and run end to end by lv2file.

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/presets/presets.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <tuple>

#include "tests/host/HostRun.h"
#include "tests/lv2/Lv2Host.h"

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

struct InfoParameter {
    std::string name;
    float min, max, value;
};
struct InfoPreset {
    int number;
    std::string name;
};

// The named parameters and the presets of `auhost info` output.
void parseInfo(const std::string& text, std::vector<InfoParameter>& parameters,
               std::vector<InfoPreset>& presets)
{
    std::istringstream lines(text);
    std::string line;
    enum { Head, Parameters, Presets } section = Head;
    while (std::getline(lines, line)) {
        if (line.rfind("Parameters", 0) == 0 || line.rfind("Factory presets", 0) == 0) {
            section = line[0] == 'P' ? Parameters : Presets;
            std::getline(lines, line); // column titles, or the first preset
            if (section == Parameters) continue;
        }
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (section == Parameters && w.size() >= 8) {
            // id, the name's words, min, max, value, default, unit, flags
            std::string name;
            for (size_t i = 1; i + 6 < w.size(); ++i) name += (name.empty() ? "" : " ") + w[i];
            const size_t n = w.size();
            parameters.push_back({name, std::stof(w[n - 6]), std::stof(w[n - 5]), std::stof(w[n - 4])});
        } else if (section == Presets && w.size() >= 2) {
            presets.push_back({std::stoi(w[0]), line.substr(line.find(w[1]))});
        }
    }
}

std::string text(const LilvNode* node)
{
    return node ? lilv_node_as_string(node) : "";
}

class Nodes {
  public:
    explicit Nodes(LilvNodes* nodes) : nodes(nodes) {}
    ~Nodes() { lilv_nodes_free(nodes); }
    std::vector<std::string> strings() const
    {
        std::vector<std::string> all;
        LILV_FOREACH(nodes, i, nodes) all.push_back(text(lilv_nodes_get(nodes, i)));
        return all;
    }

  private:
    LilvNodes* nodes;
};

} // namespace

class Lv2BundleTest : public HostTest {};

TEST_F(Lv2BundleTest, BothAreFoundWithTheUnitsParametersAndPrograms)
{
    Lv2World& world = Lv2World::get();
    EXPECT_EQ(lilv_plugins_size(lilv_world_get_all_plugins(world.world)), 2u);
    LilvNode* audioClass = world.uri(LV2_CORE__AudioPort);
    LilvNode* inputClass = world.uri(LV2_CORE__InputPort);
    LilvNode* controlClass = world.uri(LV2_CORE__ControlPort);
    LilvNode* presetClass = world.uri(LV2_PRESETS__Preset);
    LilvNode* position = world.uri(LV2_TIME__Position);
    LilvNode* label = world.uri("http://www.w3.org/2000/01/rdf-schema#label");

    for (const std::string name : {"FlangerUnit", "TiltEqUnit"}) {
        SCOPED_TRACE(name);
        const LilvPlugin* plugin = world.plugin(pluginUri(name));
        ASSERT_NE(plugin, nullptr);
        EXPECT_TRUE(lilv_plugin_verify(plugin));
        LilvNode* pluginName = lilv_plugin_get_name(plugin);
        EXPECT_EQ(text(pluginName), name);
        lilv_node_free(pluginName);

        const RunResult info = run({"info", name});
        ASSERT_EQ(info.status, 0) << info.err;
        std::vector<InfoParameter> parameters;
        std::vector<InfoPreset> programs;
        parseInfo(info.out, parameters, programs);
        ASSERT_FALSE(parameters.empty()) << info.out;

        // Stereo in and out, the time input, then a control per named parameter.
        const uint32_t ports = lilv_plugin_get_num_ports(plugin);
        ASSERT_EQ(ports, 5 + parameters.size());
        std::vector<float> minimum(ports), maximum(ports), defaults(ports);
        lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), defaults.data());
        for (uint32_t i = 0; i < 4; ++i) {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
            EXPECT_TRUE(lilv_port_is_a(plugin, port, audioClass));
            EXPECT_EQ(lilv_port_is_a(plugin, port, inputClass), i < 2);
        }
        EXPECT_TRUE(lilv_port_supports_event(plugin, lilv_plugin_get_port_by_index(plugin, 4), position));
        for (size_t p = 0; p < parameters.size(); ++p) {
            const uint32_t index = 5 + static_cast<uint32_t>(p);
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
            LilvNode* portName = lilv_port_get_name(plugin, port);
            EXPECT_EQ(text(portName), parameters[p].name);
            lilv_node_free(portName);
            EXPECT_TRUE(lilv_port_is_a(plugin, port, controlClass));
            EXPECT_EQ(minimum[index], parameters[p].min) << parameters[p].name;
            EXPECT_EQ(maximum[index], parameters[p].max) << parameters[p].name;
            // The value the unit opens with, which is its first program's.
            EXPECT_EQ(defaults[index], parameters[p].value) << parameters[p].name;
        }

        // Every program a preset, in the unit's order, named after it.
        std::vector<std::string> expected, found;
        for (const InfoPreset& program : programs) {
            const std::string uri = pluginUri(name) + ":preset:" + std::to_string(program.number);
            expected.push_back(uri);
            LilvNode* preset = world.uri(uri.c_str());
            lilv_world_load_resource(world.world, preset);
            const std::vector<std::string> labels =
                Nodes(lilv_world_find_nodes(world.world, preset, label, nullptr)).strings();
            ASSERT_EQ(labels.size(), 1u) << uri;
            EXPECT_EQ(labels[0].rfind(program.name, 0), 0u) << labels[0];
            lilv_node_free(preset);
        }
        found = Nodes(lilv_plugin_get_related(plugin, presetClass)).strings();
        std::ranges::sort(expected);
        std::ranges::sort(found);
        EXPECT_THAT(found, ElementsAreArray(expected));
    }
    for (LilvNode* node : {audioClass, inputClass, controlClass, presetClass, position, label})
        lilv_node_free(node);
}

TEST_F(Lv2BundleTest, ControlsReadAsTheHostsUsersExpect)
{
    Lv2World& world = Lv2World::get();
    const auto port = [&](const LilvPlugin* plugin, const char* symbol) {
        LilvNode* node = lilv_new_string(world.world, symbol);
        const LilvPort* found = lilv_plugin_get_port_by_symbol(plugin, node);
        lilv_node_free(node);
        return found;
    };
    const auto has = [&](const LilvPlugin* plugin, const LilvPort* p, const char* property) {
        LilvNode* node = world.uri(property);
        const bool result = lilv_port_has_property(plugin, p, node);
        lilv_node_free(node);
        return result;
    };
    const LilvPlugin* flanger = world.plugin(pluginUri("FlangerUnit"));
    const LilvPlugin* tilt = world.plugin(pluginUri("TiltEqUnit"));
    ASSERT_TRUE(flanger && tilt);
    for (const char* symbol :
         {"speed", "sync_tempo", "depth", "delay", "phase", "feedback", "dry_wet", "volume"})
        EXPECT_NE(port(flanger, symbol), nullptr) << symbol;
    for (const char* symbol : {"shelf", "shelf_q", "bass_lift", "volume", "on_off"})
        EXPECT_NE(port(tilt, symbol), nullptr) << symbol;

    // Sync Tempo: a choice among note values, by their index.
    const LilvPort* sync = port(flanger, "sync_tempo");
    ASSERT_NE(sync, nullptr);
    EXPECT_TRUE(has(flanger, sync, LV2_CORE__integer));
    EXPECT_TRUE(has(flanger, sync, LV2_CORE__enumeration));
    LilvScalePoints* points = lilv_port_get_scale_points(flanger, sync);
    std::vector<std::pair<float, std::string>> notes;
    LILV_FOREACH(scale_points, i, points)
    {
        const LilvScalePoint* point = lilv_scale_points_get(points, i);
        notes.emplace_back(lilv_node_as_float(lilv_scale_point_get_value(point)),
                           text(lilv_scale_point_get_label(point)));
    }
    lilv_scale_points_free(points);
    std::ranges::sort(notes);
    const std::vector<std::pair<float, std::string>> expected = {
        {0.0f, "man"},  {1.0f, "1/2"},  {2.0f, "1/1"},  {3.0f, "2/1"}, {4.0f, "4/1"},
        {5.0f, "1/2T"}, {6.0f, "1/1T"}, {7.0f, "2/1T"}, {8.0f, "4/1T"}};
    EXPECT_EQ(notes, expected);

    const LilvPort* onOff = port(tilt, "on_off");
    ASSERT_NE(onOff, nullptr);
    EXPECT_TRUE(has(tilt, onOff, LV2_CORE__toggled));
    EXPECT_FALSE(has(tilt, port(tilt, "shelf"), LV2_CORE__toggled));
}

TEST_F(Lv2BundleTest, Lv2ValidatePassesBothBundles)
{
    for (const std::string name : {"FlangerUnit", "TiltEqUnit"}) {
        const std::string bundle = VOK_LV2_DIR "/" + name + ".lv2/";
        const RunResult result = runCommand("lv2_validate " + bundle + "manifest.ttl " + bundle + name +
                                            ".ttl " + bundle + "presets.ttl");
        EXPECT_EQ(result.status, 0) << result.out << result.err;
        EXPECT_THAT(result.out + result.err, HasSubstr("Found 0 errors")) << name;
        EXPECT_THAT(result.out + result.err, Not(HasSubstr("warning"))) << name;
    }
}

// lv2file, a batch host of its own, processes a file with each plug-in and
// a control set; the output is auhost's with the same setting. Installed
// into a user's LV2 folder, the bundles work from there the same.
class Lv2File : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        writeAudio(
            path("in.wav"), 2, 22050, [](size_t i, int c) { return 0.5f * std::sin(0.02f * i * (c + 1)); },
            kFloatWav);
    }

    // Each plug-in found on lv2Path processes in.wav as auhost does.
    void expectAuhostsOutput(const std::string& lv2Path)
    {
        for (const auto& [name, symbol, parameter] :
             {std::tuple{"FlangerUnit", "depth", "Depth"}, {"TiltEqUnit", "shelf", "Shelf"}}) {
            SCOPED_TRACE(name);
            const RunResult lv2file = runCommand(VOK_FOREIGN_HOST_ENVIRONMENT " LV2_PATH=" + lv2Path +
                                                 " lv2file -i " + path("in.wav") + " -o " + path("lv2.wav") +
                                                 " -p " + symbol + ":0.9 " + pluginUri(name));
            ASSERT_EQ(lv2file.status, 0) << lv2file.out << lv2file.err;
            const RunResult processed = run({"process", name, path("in.wav"), path("auhost.wav"), "--set",
                                             std::string(parameter) + "=0.9"});
            ASSERT_EQ(processed.status, 0) << processed.err;
            const Audio ours = readAudio(path("lv2.wav")), theirs = readAudio(path("auhost.wav"));
            EXPECT_EQ(ours.channels, 2);
            EXPECT_EQ(ours.frames(), 22050u);
            EXPECT_EQ(ours.samples, theirs.samples);
        }
    }
};

TEST_F(Lv2File, ProcessesAFileWithEachPlugIn)
{
    expectAuhostsOutput(VOK_LV2_DIR);
}

TEST_F(Lv2File, InstalledBundlesWorkFromTheUserFolder)
{
    const std::string folder = path(".lv2");
    const RunResult install = runCommand("cmake -DPLUGIN_DIR=" + folder + " -P " VOK_LV2_INSTALL_SCRIPT);
    ASSERT_EQ(install.status, 0) << install.err;
    for (const char* name : {"FlangerUnit", "TiltEqUnit"})
        EXPECT_TRUE(std::filesystem::exists(folder + "/" + name + ".lv2/lib/libvok_components.so")) << name;
    // Nothing beside the bundles: each carries its platform.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
    expectAuhostsOutput(folder);
}
