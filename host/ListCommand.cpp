#include <cstdio>

#include "host/Commands.h"
#include "host/JsonWriter.h"

namespace {

constexpr OptionSpec options[] = {{"json", ""}};

int runList(const CommandLine& arguments, const Catalog& catalog)
{
    expectPositionals(arguments, 0, "auhost list [--json]");
    if (arguments.flag("json")) {
        JsonWriter json;
        json.beginObject().key("components").beginArray();
        for (const CatalogEntry& entry : catalog.entries())
            json.beginObject()
                .key("codes")
                .value(formatCodes(entry.description))
                .key("type")
                .value(fourCharString(entry.description.componentType))
                .key("subtype")
                .value(fourCharString(entry.description.componentSubType))
                .key("manufacturer")
                .value(fourCharString(entry.description.componentManufacturer))
                .key("name")
                .value(entry.name)
                .key("bundle")
                .value(entry.bundle)
                .endObject();
        json.endArray().endObject();
        std::printf("%s\n", json.text().c_str());
        return 0;
    }
    if (catalog.entries().empty())
        std::fprintf(stderr, "auhost list: no components found on the plug-in path\n");
    for (const CatalogEntry& entry : catalog.entries())
        std::printf("%s  %-24s %s\n", formatCodes(entry.description).c_str(), entry.name.c_str(),
                    entry.bundle.c_str());
    return 0;
}

} // namespace

const Command listCommand{
    "list",
    "list the components found on the plug-in path",
    "Usage: auhost list [--json] [--plugins DIR]...\n"
    "Lists the components registered from the plug-in path: codes\n"
    "(type:subtype:manufacturer), name and bundle folder.\n"
    "\n"
    "  --json   print {\"components\": [{\"codes\", \"type\", \"subtype\", \"manufacturer\",\n"
    "           \"name\", \"bundle\"}, ...]}\n",
    options,
    runList,
};
