// The loaded-image list on dl_iterate_phdr.

#include "platform/corefoundation/LoadedImages.h"

#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <string>

namespace {

struct Image {
    uintptr_t header = 0;
    const char* name = nullptr;
};

struct Search {
    uint32_t wanted;
    uint32_t index = 0;
    Image found;
};

uintptr_t headerOf(const dl_phdr_info& info)
{
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    uintptr_t lowest = UINTPTR_MAX;
    for (ElfW(Half) i = 0; i < info.dlpi_phnum; ++i)
        if (info.dlpi_phdr[i].p_type == PT_LOAD && info.dlpi_phdr[i].p_vaddr < lowest)
            lowest = info.dlpi_phdr[i].p_vaddr;
    return lowest == UINTPTR_MAX ? info.dlpi_addr : info.dlpi_addr + (lowest & ~(page - 1));
}

// The loader names the executable "": its path comes from /proc.
const char* executablePath()
{
    static const std::string path = [] {
        char buffer[PATH_MAX];
        const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
        return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
    }();
    return path.c_str();
}

int visit(dl_phdr_info* info, size_t, void* data)
{
    auto& search = *static_cast<Search*>(data);
    if (search.index++ != search.wanted) return 0;
    search.found.header = headerOf(*info);
    search.found.name = info->dlpi_name && *info->dlpi_name ? info->dlpi_name : executablePath();
    return 1;
}

Image imageAt(uint32_t index)
{
    Search search{index, 0, {}};
    dl_iterate_phdr(visit, &search);
    return search.found;
}

} // namespace

uint32_t _dyld_image_count(void)
{
    Search search{UINT32_MAX, 0, {}};
    dl_iterate_phdr(visit, &search);
    return search.index;
}

const struct mach_header* _dyld_get_image_header(uint32_t image_index)
{
    return reinterpret_cast<const struct mach_header*>(imageAt(image_index).header);
}

const char* _dyld_get_image_name(uint32_t image_index)
{
    return imageAt(image_index).name;
}
