// Bundles: a folder, its information dictionary and its resources.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/corefoundation/CFBundleInternal.h"
#include "platform/corefoundation/CFInternal.h"

using platform::detail::Object;

struct __CFBundle final : Object {
    __CFBundle(CFURLRef url, CFDictionaryRef info)
        : Object(platform::detail::kBundleTypeID), url(url), info(info)
    {
    }
    ~__CFBundle() override
    {
        CFRelease(url);
        CFRelease(info);
    }

    const CFURLRef url;
    const CFDictionaryRef info;
};

namespace {

std::string pathOf(CFURLRef url)
{
    CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
    std::string text(platform::detail::utf8(path));
    CFRelease(path);
    return text;
}

// The dictionary in Contents/Info.plist, or an empty one.
CFDictionaryRef readInfoDictionary(const std::string& bundlePath)
{
    std::ifstream file(bundlePath + "/Contents/Info.plist", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                  static_cast<CFIndex>(bytes.size()));
    CFPropertyListRef plist =
        CFPropertyListCreateWithData(nullptr, data, kCFPropertyListImmutable, nullptr, nullptr);
    CFRelease(data);
    if (plist && CFGetTypeID(plist) == CFDictionaryGetTypeID()) return static_cast<CFDictionaryRef>(plist);
    if (plist) CFRelease(plist);
    return CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                              &kCFTypeDictionaryValueCallBacks);
}

} // namespace

CFTypeID CFBundleGetTypeID(void)
{
    return platform::detail::kBundleTypeID;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL)
{
    const std::string path = pathOf(bundleURL);
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) return nullptr;
    return new __CFBundle(static_cast<CFURLRef>(CFRetain(bundleURL)), readInfoDictionary(path));
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle)
{
    return static_cast<CFURLRef>(CFRetain(bundle->url));
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName)
{
    std::string path = pathOf(bundle->url) + "/Contents/Resources/";
    if (subDirName && CFStringGetLength(subDirName) > 0)
        path.append(platform::detail::utf8(subDirName)).append("/");
    path += platform::detail::utf8(resourceName);
    if (resourceType && CFStringGetLength(resourceType) > 0)
        path.append(".").append(platform::detail::utf8(resourceType));
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return nullptr;
    return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                   static_cast<CFIndex>(path.size()),
                                                   std::filesystem::is_directory(status));
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle)
{
    return bundle->info;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key)
{
    return CFDictionaryGetValue(bundle->info, key);
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
    CFTypeRef identifier = CFDictionaryGetValue(bundle->info, CFSTR("CFBundleIdentifier"));
    return identifier && CFGetTypeID(identifier) == CFStringGetTypeID() ? static_cast<CFStringRef>(identifier)
                                                                        : nullptr;
}

CFBundleRef platform::detail::createBundle(CFURLRef url, CFDictionaryRef info)
{
    return new __CFBundle(url, info);
}
