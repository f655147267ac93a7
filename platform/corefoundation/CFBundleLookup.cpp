// Built-in bundles: the platform's own libraries under their framework
// identifiers, found with dlopen through this library's run path.

#include "platform/corefoundation/CFBundleLookup.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "platform/corefoundation/CFBundleInternal.h"
#include "platform/corefoundation/CFInternal.h"

namespace {

struct BuiltIn {
    const char* identifier;
    const char* library; // the output name given in the library's CMakeLists.txt
};

constexpr BuiltIn kBuiltIns[] = {
    {"com.apple.CoreGraphics", "libvok_graphics.so"},
};

struct Loaded {
    CFBundleRef bundle;
    void* handle;
};

std::mutex registryMutex;
// Loaded bundles by identifier; never unloaded, and never destroyed, so that
// they stay valid for code that runs at exit.
std::map<std::string, Loaded, std::less<>>& registry()
{
    static auto& loaded = *new std::map<std::string, Loaded, std::less<>>;
    return loaded;
}

CFBundleRef loadBuiltIn(const BuiltIn& builtIn)
{
    void* handle = dlopen(builtIn.library, RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) {
        dlclose(handle);
        return nullptr;
    }
    const std::string folder = std::filesystem::path(map->l_name).parent_path().string();
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8*>(folder.data()), static_cast<CFIndex>(folder.size()), true);
    if (!url) {
        dlclose(handle);
        return nullptr;
    }
    CFStringRef identifier = CFStringCreateWithCString(nullptr, builtIn.identifier, kCFStringEncodingUTF8);
    const void* key = CFSTR("CFBundleIdentifier");
    const void* value = identifier;
    CFDictionaryRef info = CFDictionaryCreate(nullptr, &key, &value, 1, &kCFTypeDictionaryKeyCallBacks,
                                              &kCFTypeDictionaryValueCallBacks);
    CFRelease(identifier);
    CFBundleRef bundle = platform::detail::createBundle(url, info);
    registry().emplace(builtIn.identifier, Loaded{bundle, handle});
    return bundle;
}

} // namespace

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID)
{
    const std::string_view wanted = platform::detail::utf8(bundleID);
    std::lock_guard lock(registryMutex);
    if (auto found = registry().find(wanted); found != registry().end()) return found->second.bundle;
    for (const BuiltIn& builtIn : kBuiltIns)
        if (wanted == builtIn.identifier) return loadBuiltIn(builtIn);
    return nullptr;
}

void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName)
{
    const std::string name(platform::detail::utf8(functionName));
    std::lock_guard lock(registryMutex);
    for (const auto& [identifier, loaded] : registry())
        if (loaded.bundle == bundle) return dlsym(loaded.handle, name.c_str());
    return nullptr;
}
