#include "tests/lv2/Lv2Host.h"

#include <gtest/gtest.h>

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

Urids::Urids() : mapData{this, nullptr}, unmapData{this, nullptr}
{
    mapData.map = [](LV2_URID_Map_Handle self, const char* uri) {
        return static_cast<Urids*>(self)->map(uri);
    };
    unmapData.unmap = [](LV2_URID_Unmap_Handle self, LV2_URID urid) {
        return static_cast<Urids*>(self)->unmap(urid);
    };
}

LV2_URID Urids::map(const char* uri)
{
    const std::scoped_lock held(lock);
    const auto found = std::ranges::find(uris, uri);
    if (found != uris.end()) return static_cast<LV2_URID>(found - uris.begin() + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

const char* Urids::unmap(LV2_URID urid) const
{
    const std::scoped_lock held(lock);
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

Lv2World& Lv2World::get()
{
    static Lv2World* world = [] {
        // Only what this build made.
        setenv("LV2_PATH", VOK_LV2_DIR, 1);
        auto* loaded = new Lv2World{lilv_world_new(), {}};
        lilv_world_load_all(loaded->world);
        return loaded;
    }();
    return *world;
}

const LilvPlugin* Lv2World::plugin(const std::string& uriText) const
{
    LilvNode* node = uri(uriText.c_str());
    const LilvPlugin* found = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), node);
    lilv_node_free(node);
    return found;
}

std::string pluginUri(const std::string& name)
{
    return "urn:quim:lv2:" + name;
}

Lv2Instance::Lv2Instance(const std::string& name, Lv2Options options)
    : lv2Plugin(Lv2World::get().plugin(pluginUri(name))), options(options)
{
    Lv2World& world = Lv2World::get();
    if (!lv2Plugin) {
        ADD_FAILURE() << "no plug-in " << pluginUri(name);
        return;
    }
    Urids& urids = world.urids;
    const LV2_URID atomInt = urids.map(LV2_ATOM__Int);
    if (options.maxBlock > 0) {
        optionList.push_back({LV2_OPTIONS_INSTANCE, 0, urids.map(LV2_BUF_SIZE__maxBlockLength),
                              sizeof(int32_t), atomInt, &this->options.maxBlock});
        optionList.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
        featureStorage.push_back({LV2_OPTIONS__options, optionList.data()});
    }
    featureStorage.push_back({LV2_URID__map, urids.mapFeature()});
    featureStorage.push_back({LV2_URID__unmap, urids.unmapFeature()});
    for (const LV2_Feature& feature : featureStorage) features.push_back(&feature);
    features.push_back(nullptr);

    instance = lilv_plugin_instantiate(lv2Plugin, options.sampleRate, features.data());
    if (!instance) {
        ADD_FAILURE() << "cannot instantiate " << pluginUri(name);
        return;
    }
    const uint32_t ports = lilv_plugin_get_num_ports(lv2Plugin);
    controls.assign(ports, 0.0f);
    std::vector<float> minimum(ports), maximum(ports), defaults(ports);
    lilv_plugin_get_port_ranges_float(lv2Plugin, minimum.data(), maximum.data(), defaults.data());
    for (uint32_t i = 0; i < ports; ++i)
        if (!std::isnan(defaults[i])) controls[i] = defaults[i];
    for (auto& buffer : buffers) buffer.assign(kCapacity, 0.0f);
    lv2_atom_forge_init(&forge, urids.mapFeature());
    clearSequence();

    LilvNode* controlClass = world.uri(LV2_CORE__ControlPort);
    for (uint32_t i = 0; i < ports; ++i)
        if (lilv_port_is_a(lv2Plugin, lilv_plugin_get_port_by_index(lv2Plugin, i), controlClass))
            lilv_instance_connect_port(instance, i, &controls[i]);
    lilv_node_free(controlClass);
    lilv_instance_connect_port(instance, 4, atoms);
    lilv_instance_activate(instance);
}

Lv2Instance::~Lv2Instance()
{
    if (!instance) return;
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
}

float& Lv2Instance::control(const std::string& symbol)
{
    static float nowhere = 0.0f;
    LilvNode* node = lilv_new_string(Lv2World::get().world, symbol.c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol(lv2Plugin, node);
    lilv_node_free(node);
    if (!port) {
        ADD_FAILURE() << "no port " << symbol;
        return nowhere;
    }
    return controls[lilv_port_get_index(lv2Plugin, port)];
}

void Lv2Instance::clearSequence()
{
    lv2_atom_forge_set_buffer(&forge, atoms, sizeof atoms);
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
}

void Lv2Instance::position(uint32_t frame, double beatsPerMinute)
{
    Urids& urids = Lv2World::get().urids;
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge, frame);
    lv2_atom_forge_object(&forge, &object, 0, urids.map(LV2_TIME__Position));
    lv2_atom_forge_key(&forge, urids.map(LV2_TIME__beatsPerMinute));
    lv2_atom_forge_float(&forge, static_cast<float>(beatsPerMinute));
    lv2_atom_forge_key(&forge, urids.map(LV2_TIME__speed));
    lv2_atom_forge_float(&forge, 1.0f);
    lv2_atom_forge_pop(&forge, &object);
}

void Lv2Instance::fill(const float* input, uint32_t frames)
{
    for (uint32_t i = 0; i < frames; ++i)
        for (int c = 0; c < 2; ++c) buffers[c][i] = input[2 * i + c];
}

void Lv2Instance::run(uint32_t frames)
{
    for (uint32_t port = 0; port < 4; ++port) {
        const bool output = port >= 2;
        float* buffer = buffers[options.inPlace && output ? port - 2 : port].data();
        lilv_instance_connect_port(instance, port, buffer);
    }
    lilv_instance_run(instance, frames);
    clearSequence();
}

void Lv2Instance::collect(uint32_t frames, std::vector<float>& output) const
{
    const std::vector<float>& left = buffers[options.inPlace ? 0 : 2];
    const std::vector<float>& right = buffers[options.inPlace ? 1 : 3];
    for (uint32_t i = 0; i < frames; ++i) {
        output.push_back(left[i]);
        output.push_back(right[i]);
    }
}

std::vector<float> Lv2Instance::process(const std::vector<float>& input, uint32_t block,
                                        const std::function<void(uint32_t)>& beforeBlock)
{
    std::vector<float> output;
    if (!instance) return output;
    const auto frames = static_cast<uint32_t>(input.size() / 2);
    for (uint32_t start = 0; start < frames; start += block) {
        const uint32_t count = std::min(block, frames - start);
        if (beforeBlock) beforeBlock(start);
        fill(input.data() + 2 * start, count);
        run(count);
        collect(count, output);
    }
    return output;
}

const LV2_State_Interface* Lv2Instance::state() const
{
    return static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance, LV2_STATE__interface));
}

namespace {
using Properties = std::map<LV2_URID, std::pair<uint32_t, std::vector<uint8_t>>>;
} // namespace

Properties Lv2Instance::save()
{
    Properties properties;
    const auto store = [](LV2_State_Handle handle, uint32_t key, const void* value, size_t size,
                          uint32_t type, uint32_t) {
        const auto* bytes = static_cast<const uint8_t*>(value);
        (*static_cast<Properties*>(handle))[key] = {type, std::vector<uint8_t>(bytes, bytes + size)};
        return LV2_STATE_SUCCESS;
    };
    const LV2_Feature* none[] = {nullptr};
    EXPECT_EQ(state()->save(lilv_instance_get_handle(instance), store, &properties, LV2_STATE_IS_POD, none),
              LV2_STATE_SUCCESS);
    return properties;
}

LV2_State_Status Lv2Instance::restore(const Properties& properties)
{
    const auto retrieve = [](LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                             uint32_t* flags) -> const void* {
        const auto& all = *static_cast<const Properties*>(handle);
        const auto found = all.find(key);
        if (found == all.end()) return nullptr;
        *size = found->second.second.size();
        *type = found->second.first;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return found->second.second.data();
    };
    const LV2_Feature* none[] = {nullptr};
    return state()->restore(lilv_instance_get_handle(instance), retrieve,
                            const_cast<Properties*>(&properties), 0, none);
}
