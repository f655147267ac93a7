#include "host/Catalog.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include "host/HostError.h"
#include "platform/audiounit/AudioUnit.h"

namespace {

std::string lowercase(std::string_view text)
{
    std::string result(text);
    std::ranges::transform(result, result.begin(), [](unsigned char c) { return std::tolower(c); });
    return result;
}

bool sameCodes(const ComponentDescription& a, const ComponentDescription& b)
{
    return a.componentType == b.componentType && a.componentSubType == b.componentSubType &&
           a.componentManufacturer == b.componentManufacturer;
}

} // namespace

std::string fourCharString(OSType code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(code >> shift);
        text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    return text;
}

std::string formatCodes(const ComponentDescription& description)
{
    return fourCharString(description.componentType) + ":" + fourCharString(description.componentSubType) +
           ":" + fourCharString(description.componentManufacturer);
}

const CatalogEntry* Catalog::find(const ComponentDescription& description) const
{
    const auto found = std::ranges::find_if(
        list, [&](const CatalogEntry& e) { return sameCodes(e.description, description); });
    return found == list.end() ? nullptr : &*found;
}

const CatalogEntry& Catalog::find(std::string_view reference) const
{
    const std::function<bool(const CatalogEntry&)> rules[] = {
        [&](const CatalogEntry& e) { return formatCodes(e.description) == reference; },
        [&](const CatalogEntry& e) { return e.name == reference; },
        [&](const CatalogEntry& e) { return lowercase(e.name) == lowercase(reference); },
        [&](const CatalogEntry& e) {
            const std::filesystem::path bundle(e.bundle);
            return e.description.componentType != kAudioUnitCarbonViewComponentType &&
                   (lowercase(bundle.stem().string()) == lowercase(reference) ||
                    lowercase(bundle.filename().string()) == lowercase(reference));
        },
    };
    for (const auto& matches : rules) {
        std::vector<const CatalogEntry*> found;
        for (const CatalogEntry& entry : list)
            if (matches(entry)) found.push_back(&entry);
        if (found.size() == 1) return *found.front();
        if (found.size() > 1) {
            std::string choices;
            for (const CatalogEntry* entry : found)
                choices += "\n  " + formatCodes(entry->description) + "  " + entry->name;
            throw HostError("'" + std::string(reference) + "' names several components:" + choices,
                            "name one by its codes");
        }
    }
    std::string known;
    for (const CatalogEntry& entry : list)
        known += "\n  " + formatCodes(entry.description) + "  " + entry.name;
    throw HostError("no component '" + std::string(reference) + "' on the plug-in path" +
                        (known.empty() ? std::string(" (none registered)") : ". Registered:" + known),
                    "check the name or codes with 'auhost list', or add a folder with --plugins DIR");
}
