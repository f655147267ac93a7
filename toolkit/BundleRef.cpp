#include "toolkit/BundleRef.h"

#include <dlfcn.h>

#include <cstring>

#include "platform/corefoundation/LoadedImages.h"

CFBundleRef gBundleRef = nullptr;

namespace {

// Gives back gBundleRef's own reference when the image is unloaded.
struct ReleaseAtUnload {
    ~ReleaseAtUnload() { toolkit::setBundleRef(nullptr); }
} releaseAtUnload;

CFURLRef copyImageBundleURL(const char* path)
{
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path),
                                                           static_cast<CFIndex>(std::strlen(path)), false);
    for (int i = 0; url && i < 3; ++i) {
        CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(nullptr, url);
        CFRelease(url);
        url = parent;
    }
    return url;
}

} // namespace

namespace toolkit {

void setBundleRef(CFBundleRef bundle)
{
    if (bundle) CFRetain(bundle);
    if (gBundleRef) CFRelease(gBundleRef);
    gBundleRef = bundle;
}

CFBundleRef locateBundle()
{
    Dl_info own{};
    if (!dladdr(reinterpret_cast<const void*>(&locateBundle), &own)) return nullptr;
    const uint32_t count = _dyld_image_count();
    for (uint32_t i = 1; i < count; ++i) {
        if (reinterpret_cast<const void*>(_dyld_get_image_header(i)) != own.dli_fbase) continue;
        const char* name = _dyld_get_image_name(i);
        CFURLRef url = name ? copyImageBundleURL(name) : nullptr;
        if (!url) return nullptr;
        CFBundleRef bundle = CFBundleCreate(nullptr, url);
        CFRelease(url);
        return bundle;
    }
    return nullptr;
}

BundleHold::BundleHold()
{
    if (CFBundleRef located = locateBundle()) {
        setBundleRef(located);
        CFRelease(located);
    }
    if (gBundleRef) held_ = static_cast<CFBundleRef>(const_cast<void*>(CFRetain(gBundleRef)));
}

BundleHold::~BundleHold()
{
    if (held_) CFRelease(held_);
}

} // namespace toolkit
