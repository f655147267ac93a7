#pragma once

// Where the host looks for bundles, in this order: folders given with
// --plugins, the folders of AU_PLUGIN_PATH (colon-separated), the per-user
// folder, then the bundles of the host's own build. A bundle folder name
// found twice is taken from the first folder only, as PATH does.

#include <string>
#include <vector>

#include "host/Catalog.h"

// ~/.local/lib/auhost/plugins (the per-user library folder of file-hierarchy(7));
// empty when HOME is not set.
std::string userPluginFolder();

std::vector<std::string> pluginSearchPath(const std::vector<std::string>& givenFolders);

// Registers every *.component folder on the path, warning on stderr about
// bundles and components that could not be registered and about given
// folders that do not exist.
Catalog registerPlugins(const std::vector<std::string>& givenFolders);
