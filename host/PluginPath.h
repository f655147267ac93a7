#pragma once

// Where the host looks for bundles, in this order: folders given with
// --plugins, the folders of AU_PLUGIN_PATH (colon-separated), the per-user
// folder, then the bundles of the host's own build. A bundle folder name
// found twice is taken from the first folder only, as PATH does.

#include <string>
#include <string_view>
#include <vector>

#include "host/Catalog.h"

// ~/.local/lib/auhost/plugins (the per-user library folder of file-hierarchy(7));
// empty when HOME is not set.
std::string userPluginFolder();

struct PluginFolder {
    std::string path;
    // "--plugins" or "AU_PLUGIN_PATH" for a folder the user named, which
    // should exist; empty for the standard folders, which need not.
    std::string_view namedBy;
};

std::vector<PluginFolder> pluginSearchPath(const std::vector<std::string>& givenFolders);

// Registers every *.component folder on the path, warning on stderr about
// bundles and components that could not be registered and about folders the
// user named that are not there.
Catalog registerPlugins(const std::vector<std::string>& givenFolders);
