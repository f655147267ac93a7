#pragma once

// The LV2 bundles as an LV2 host loads them, through lilv: the world holds
// what build/lv2 holds (LV2_PATH points there only), and an instance has its
// ports connected to buffers of its own.

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The URID map and unmap features every instance gets; instances may be
// made on several threads at once.
class Urids {
  public:
    Urids();
    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid) const;
    LV2_URID_Map* mapFeature() { return &mapData; }
    LV2_URID_Unmap* unmapFeature() { return &unmapData; }

  private:
    mutable std::mutex lock;
    std::vector<std::string> uris; // urid - 1
    LV2_URID_Map mapData;
    LV2_URID_Unmap unmapData;
};

// The process's lilv world, loaded once.
struct Lv2World {
    LilvWorld* world;
    Urids urids;
    static Lv2World& get();
    // The plug-in with this URI, or null.
    const LilvPlugin* plugin(const std::string& uri) const;
    LilvNode* uri(const char* text) const { return lilv_new_uri(world, text); }
};

// "urn:quim:lv2:FlangerUnit" for "FlangerUnit".
std::string pluginUri(const std::string& name);

struct Lv2Options {
    double sampleRate = 44100.0;
    // Announced through options as the largest block; 0 announces none.
    int32_t maxBlock = 512;
    // The outputs are the inputs' buffers.
    bool inPlace = false;
};

class Lv2Instance {
  public:
    // Fails the calling test (and leaves get() null) when lilv cannot
    // instantiate the plug-in.
    explicit Lv2Instance(const std::string& name, Lv2Options options = {});
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    LilvInstance* get() const { return instance; }
    const LilvPlugin* plugin() const { return lv2Plugin; }
    // The port's value (its default until set); the test fails for an unknown symbol.
    float& control(const std::string& symbol);
    // A time:Position at this frame of the next block.
    void position(uint32_t frame, double beatsPerMinute);

    // The most frames a block may have.
    static constexpr uint32_t kCapacity = 16384;

    // One block of interleaved stereo: the input into the input buffers, the
    // run (which allocates nothing here), the output appended to `output`.
    void fill(const float* input, uint32_t frames);
    void run(uint32_t frames);
    void collect(uint32_t frames, std::vector<float>& output) const;
    // Runs the whole input in blocks; before each, `beforeBlock(first frame)`.
    std::vector<float> process(const std::vector<float>& input, uint32_t block,
                               const std::function<void(uint32_t)>& beforeBlock = {});

    const LV2_State_Interface* state() const;
    // The plug-in's own state through its interface: the properties it
    // stores, and its answer when given them back.
    std::map<LV2_URID, std::pair<uint32_t, std::vector<uint8_t>>> save();
    LV2_State_Status restore(const std::map<LV2_URID, std::pair<uint32_t, std::vector<uint8_t>>>& properties);

  private:
    const LilvPlugin* lv2Plugin;
    LilvInstance* instance = nullptr;
    Lv2Options options;
    std::vector<float> controls; // by port index
    std::vector<float> buffers[4];
    alignas(8) uint8_t atoms[4096];
    LV2_Atom_Forge forge;
    LV2_Atom_Forge_Frame sequence;
    std::vector<LV2_Options_Option> optionList;
    std::vector<LV2_Feature> featureStorage;
    std::vector<const LV2_Feature*> features;

    void clearSequence();
};
