// Registration of the components a bundle folder lists in its Info.plist.

#include "platform/components/Components.h"

#include "platform/corefoundation/CFRef.h"

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace {

using platform::CFRef;

// The folder under Contents/ that holds the executable built for this
// machine; the build places bundle executables by the same name.
constexpr const char* kArchFolder = VOK_BUNDLE_ARCH_FOLDER;

// A component as Info.plist lists it.
struct ListedComponent {
    ComponentDescription description{};
    std::string name;
    std::string factoryFunction;
};

CFTypeRef lookUp(CFDictionaryRef dictionary, const char* key)
{
    const CFRef keyString(CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8));
    return CFDictionaryGetValue(dictionary, keyString.get());
}

// The value under key when it is of the given type, else null.
CFTypeRef valueOfType(CFDictionaryRef dictionary, const char* key, CFTypeID type)
{
    const CFTypeRef value = lookUp(dictionary, key);
    return value && CFGetTypeID(value) == type ? value : nullptr;
}

std::optional<std::string> stringValue(CFDictionaryRef dictionary, const char* key)
{
    const auto string = static_cast<CFStringRef>(valueOfType(dictionary, key, CFStringGetTypeID()));
    if (!string) return std::nullopt;
    return CFStringGetCStringPtr(string, kCFStringEncodingUTF8);
}

// Four printable ASCII characters, the first in the most significant byte.
std::optional<OSType> fourCharCode(const std::string& text)
{
    if (text.size() != 4) return std::nullopt;
    for (const char c : text)
        if (c < 0x20 || c > 0x7e) return std::nullopt;
    const char code[5] = {text[0], text[1], text[2], text[3], '\0'};
    return FourCharCode(code);
}

// The component one entry of "AudioComponents" describes, or an empty
// optional and the problem.
std::optional<ListedComponent> readListedComponent(CFTypeRef entry, std::string& problem)
{
    if (CFGetTypeID(entry) != CFDictionaryGetTypeID()) {
        problem = "is not a dictionary";
        return std::nullopt;
    }
    const auto dictionary = static_cast<CFDictionaryRef>(entry);
    ListedComponent listed;
    const std::pair<const char*, OSType*> codes[] = {
        {"type", &listed.description.componentType},
        {"subtype", &listed.description.componentSubType},
        {"manufacturer", &listed.description.componentManufacturer},
    };
    for (const auto& [key, field] : codes) {
        const auto text = stringValue(dictionary, key);
        const auto code = text ? fourCharCode(*text) : std::nullopt;
        if (!code) {
            problem = std::string("\"") + key + "\" must be a string of four printable ASCII characters";
            return std::nullopt;
        }
        *field = *code;
    }
    const std::pair<const char*, std::string*> strings[] = {
        {"name", &listed.name},
        {"factoryFunction", &listed.factoryFunction},
    };
    for (const auto& [key, field] : strings) {
        auto text = stringValue(dictionary, key);
        if (!text || text->empty()) {
            problem = std::string("\"") + key + "\" must be a non-empty string";
            return std::nullopt;
        }
        *field = std::move(*text);
    }
    const CFTypeRef version = lookUp(dictionary, "version");
    if (version && (CFGetTypeID(version) != CFNumberGetTypeID() ||
                    CFNumberIsFloatType(static_cast<CFNumberRef>(version)))) {
        problem = "\"version\" must be an integer";
        return std::nullopt;
    }
    return listed;
}

std::optional<std::string> readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return std::nullopt;
    return bytes;
}

// Info.plist's top-level dictionary, or null and the problem.
CFRef<CFPropertyListRef> readInfoDictionary(const std::filesystem::path& infoPath, std::string& problem)
{
    const auto bytes = readFile(infoPath);
    if (!bytes) {
        problem = "cannot read Contents/Info.plist";
        return {};
    }
    const CFRef data(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes->data()),
                                  static_cast<CFIndex>(bytes->size())));
    CFPropertyListFormat format;
    CFErrorRef error = nullptr;
    CFRef root(CFPropertyListCreateWithData(nullptr, data.get(), kCFPropertyListImmutable, &format, &error));
    if (!root) {
        problem = "Contents/Info.plist is not a property list";
        if (error) {
            const CFRef errorHolder(error);
            const CFRef description(CFErrorCopyDescription(error));
            problem += std::string(": ") + CFStringGetCStringPtr(description.get(), kCFStringEncodingUTF8);
        }
        return {};
    }
    if (CFGetTypeID(root.get()) != CFDictionaryGetTypeID()) {
        problem = "Contents/Info.plist is not a dictionary";
        return {};
    }
    return root;
}

std::string describe(const ListedComponent& listed)
{
    return "component \"" + listed.name + "\"";
}

} // namespace

platform::BundleRegistration platform::RegisterComponentBundle(const std::string& folder)
{
    BundleRegistration result;
    const auto report = [&](const std::string& problem) { result.errors.push_back(folder + ": " + problem); };

    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) {
        report("no such bundle folder");
        return result;
    }
    const std::filesystem::path contents = std::filesystem::path(folder) / "Contents";
    std::string problem;
    const CFRef root = readInfoDictionary(contents / "Info.plist", problem);
    if (!root) {
        report(problem);
        return result;
    }
    const auto info = static_cast<CFDictionaryRef>(root.get());

    const auto executable = stringValue(info, "CFBundleExecutable");
    if (!executable || executable->empty() || executable->find('/') != std::string::npos ||
        *executable == "." || *executable == "..") {
        report("\"CFBundleExecutable\" in Contents/Info.plist must be a file name");
        return result;
    }
    const auto list = static_cast<CFArrayRef>(valueOfType(info, "AudioComponents", CFArrayGetTypeID()));
    if (!list || CFArrayGetCount(list) == 0) {
        report("\"AudioComponents\" in Contents/Info.plist must be a non-empty array");
        return result;
    }

    std::vector<ListedComponent> listedComponents;
    for (CFIndex i = 0; i < CFArrayGetCount(list); ++i) {
        if (auto listed = readListedComponent(CFArrayGetValueAtIndex(list, i), problem))
            listedComponents.push_back(std::move(*listed));
        else
            report("AudioComponents[" + std::to_string(i) + "] " + problem);
    }
    if (listedComponents.empty()) return result;

    const std::filesystem::path executablePath = contents / kArchFolder / *executable;
    if (!std::filesystem::is_regular_file(executablePath, ignored)) {
        report("no executable at " + executablePath.string());
        return result;
    }
    // Loaded for the life of the process: its components may be opened at
    // any time. RTLD_LOCAL keeps what is compiled into the bundle from
    // binding to the host's or another bundle's definitions; the platform
    // libraries it needs resolve to the ones already loaded.
    void* const library = dlopen(executablePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        report(std::string("cannot load the executable: ") + dlerror());
        return result;
    }
    for (const ListedComponent& listed : listedComponents) {
        const auto entry = reinterpret_cast<ComponentRoutine>(dlsym(library, listed.factoryFunction.c_str()));
        if (!entry) {
            report(describe(listed) + ": the executable exports no function \"" + listed.factoryFunction +
                   "\"");
            continue;
        }
        if (const Component component = RegisterComponent(&listed.description, entry, listed.name.c_str()))
            result.components.push_back(component);
        else
            report(describe(listed) + " is already registered");
    }
    if (result.components.empty()) dlclose(library);
    return result;
}
