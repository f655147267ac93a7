#pragma once

// The components registered from the plug-in path, with the bundle each came
// from, and how users name them: by name, by bundle name, or by codes
// ("aufx:Flan:Quim").

#include <string>
#include <string_view>
#include <vector>

#include "platform/components/Components.h"

struct CatalogEntry {
    Component component;
    ComponentDescription description;
    std::string name;
    std::string bundle; // the bundle folder's path
};

class Catalog {
  public:
    void add(CatalogEntry entry) { list.push_back(std::move(entry)); }
    const std::vector<CatalogEntry>& entries() const { return list; }

    // The component a user means by `reference`: codes, an exact name, a name
    // ignoring case, or (for audio units) the bundle folder's name with or
    // without ".component". Throws HostError
    // listing what there is if none or several match.
    const CatalogEntry& find(std::string_view reference) const;
    // The entry registered for exactly these codes, or null.
    const CatalogEntry* find(const ComponentDescription& description) const;

  private:
    std::vector<CatalogEntry> list;
};

std::string fourCharString(OSType code);
// "type:subtype:manufacturer".
std::string formatCodes(const ComponentDescription& description);
