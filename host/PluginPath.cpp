#include "host/PluginPath.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

std::string userPluginFolder()
{
    const char* home = std::getenv("HOME");
    return home && *home ? (fs::path(home) / ".local/lib/auhost/plugins").string() : std::string();
}

std::vector<PluginFolder> pluginSearchPath(const std::vector<std::string>& givenFolders)
{
    std::vector<PluginFolder> path;
    for (const std::string& folder : givenFolders) path.push_back({folder, "--plugins"});
    if (const char* variable = std::getenv("AU_PLUGIN_PATH")) {
        std::string_view rest = variable;
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            if (colon != 0) path.push_back({std::string(rest.substr(0, colon)), "AU_PLUGIN_PATH"});
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    if (std::string user = userPluginFolder(); !user.empty()) path.push_back({std::move(user), {}});
    path.push_back({AUHOST_BUILD_BUNDLES_DIR, {}});
    return path;
}

Catalog registerPlugins(const std::vector<std::string>& givenFolders)
{
    Catalog catalog;
    std::set<std::string> bundleNames;
    for (const auto& [folder, namedBy] : pluginSearchPath(givenFolders)) {
        std::error_code error;
        if (!fs::is_directory(folder, error)) {
            if (!namedBy.empty())
                std::fprintf(stderr, "auhost: warning: plug-in folder '%s' (%.*s) %s\n", folder.c_str(),
                             static_cast<int>(namedBy.size()), namedBy.data(),
                             fs::exists(folder, error) ? "is not a folder" : "does not exist");
            continue;
        }
        std::vector<fs::path> bundles;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
            if (entry.path().extension() == ".component" && entry.is_directory(error))
                bundles.push_back(entry.path());
        std::ranges::sort(bundles);
        for (const fs::path& bundle : bundles) {
            if (!bundleNames.insert(bundle.filename().string()).second) continue;
            const platform::BundleRegistration registration =
                platform::RegisterComponentBundle(bundle.string());
            for (const std::string& message : registration.errors)
                std::fprintf(stderr, "auhost: warning: %s\n", message.c_str());
            for (Component component : registration.components) {
                CatalogEntry entry{component, {}, {}, bundle.string()};
                GetComponentInfo(component, &entry.description, &entry.name);
                catalog.add(std::move(entry));
            }
        }
    }
    return catalog;
}
