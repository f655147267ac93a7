// The LV2 entry of one deliverable: this file is compiled once per plug-in
// with VOK_LV2_URI, VOK_LV2_NAME (the component bundle's name) and
// VOK_LV2_SUBTYPE (its four-character code) defined.

#include <lv2/core/lv2.h>
#include <lv2/core/lv2_util.h>
#include <lv2/log/logger.h>

#include <filesystem>
#include <string_view>

#include "lv2/EffectAdapter.h"

namespace {

// The component bundle travels in the LV2 bundle's plugins/ folder, beside
// lib/ with the platform libraries, where its run path finds them.
std::string componentBundle(const char* bundlePath)
{
    return (std::filesystem::path(bundlePath) / "plugins" / VOK_LV2_NAME ".component").string();
}

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char* bundlePath,
                       const LV2_Feature* const* features)
{
    try {
        return new EffectAdapter(componentBundle(bundlePath), FourCharCode(VOK_LV2_SUBTYPE), sampleRate,
                                 features);
    } catch (const std::exception& failure) {
        LV2_Log_Logger logger{};
        LV2_URID_Map* map = nullptr;
        LV2_Log_Log* log = nullptr;
        lv2_features_query(features, LV2_URID__map, &map, false, LV2_LOG__log, &log, false, nullptr);
        lv2_log_logger_init(&logger, map, log);
        lv2_log_error(&logger, "%s: %s\n", VOK_LV2_URI, failure.what());
        return nullptr;
    }
}

EffectAdapter& adapter(LV2_Handle instance)
{
    return *static_cast<EffectAdapter*>(instance);
}

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const*)
{
    try {
        return adapter(instance).save(store, handle);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         uint32_t, const LV2_Feature* const*)
{
    try {
        return adapter(instance).restore(retrieve, handle);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

const void* extensionData(const char* uri)
{
    static const LV2_State_Interface state{save, restore};
    return std::string_view(uri) == LV2_STATE__interface ? &state : nullptr;
}

const LV2_Descriptor descriptor{
    VOK_LV2_URI,
    instantiate,
    [](LV2_Handle instance, uint32_t port, void* data) { adapter(instance).connect(port, data); },
    [](LV2_Handle instance) { adapter(instance).activate(); },
    [](LV2_Handle instance, uint32_t frames) { adapter(instance).run(frames); },
    nullptr,
    [](LV2_Handle instance) { delete &adapter(instance); },
    extensionData,
};

} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
