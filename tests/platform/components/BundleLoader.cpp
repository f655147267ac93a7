// Loads a bundle's executable into a process that has not loaded the
// platform (this program does not link it) and checks that the platform
// libraries the bundle needs came from the expected folder.
// Usage: bundle_loader <bundle executable> <entry function> <platform folder>

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The platform libraries in the process: every libvok_*.so.
std::vector<fs::path> platformLibraries()
{
    std::vector<fs::path> found;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            const fs::path path = info->dlpi_name;
            if (path.filename().string().rfind("libvok_", 0) == 0)
                static_cast<std::vector<fs::path>*>(data)->push_back(path);
            return 0;
        },
        &found);
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: bundle_loader <bundle executable> <entry function> <platform folder>\n");
        return 2;
    }
    if (!platformLibraries().empty()) {
        std::fprintf(stderr, "the platform was loaded before the bundle\n");
        return 1;
    }
    void* const bundle = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!bundle) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    if (!dlsym(bundle, argv[2])) {
        std::fprintf(stderr, "%s exports no %s\n", argv[1], argv[2]);
        return 1;
    }
    const auto libraries = platformLibraries();
    if (libraries.empty()) {
        std::fprintf(stderr, "%s loaded no platform library\n", argv[1]);
        return 1;
    }
    const fs::path expected = fs::canonical(argv[3]);
    for (const fs::path& library : libraries) {
        const fs::path folder = fs::canonical(library).parent_path();
        std::printf("%s -> %s\n", library.c_str(), folder.c_str());
        if (folder != expected) {
            std::fprintf(stderr, "%s is not from %s\n", library.c_str(), expected.c_str());
            return 1;
        }
    }
    return 0;
}
