// File URLs: an absolute, lexically normal path and whether it names a
// folder.

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "platform/corefoundation/CFInternal.h"

using platform::detail::Object;

struct __CFURL final : Object {
    __CFURL(std::string path, bool directory)
        : Object(platform::detail::kURLTypeID), path(std::move(path)), directory(directory)
    {
    }

    bool equals(const Object& other) const override
    {
        const auto& that = static_cast<const __CFURL&>(other);
        return path == that.path && directory == that.directory;
    }
    CFHashCode hash() const override { return std::hash<std::string>{}(path); }
    std::string describe() const override { return "file://" + path + (directory && path != "/" ? "/" : ""); }

    const std::string path; // absolute, no trailing slash except the root's
    const bool directory;
};

namespace {

// NULL for an empty path, a path that is not UTF-8 (the path strings this
// API hands out must be valid), or when the working directory is unknown.
CFURLRef createURL(std::string_view text, bool directory)
{
    if (text.empty() || !platform::detail::isUTF8(text)) return nullptr;
    std::filesystem::path path(text);
    if (path.is_relative()) {
        std::error_code error;
        path = std::filesystem::current_path(error) / path;
        if (error) return nullptr;
    }
    std::string normal = path.lexically_normal().string();
    if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return new __CFURL(std::move(normal), directory);
}

} // namespace

CFTypeID CFURLGetTypeID(void)
{
    return platform::detail::kURLTypeID;
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory)
{
    if (pathStyle != kCFURLPOSIXPathStyle) return nullptr;
    return createURL(platform::detail::utf8(filePath), isDirectory);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory)
{
    if (bufLen < 0) return nullptr;
    const std::string_view text(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen));
    return createURL(text.substr(0, text.find('\0')), isDirectory);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef url)
{
    return new __CFURL(std::filesystem::path(url->path).parent_path().string(), true);
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef url, CFStringRef pathComponent,
                                               Boolean isDirectory)
{
    return createURL(url->path + "/" + std::string(platform::detail::utf8(pathComponent)), isDirectory);
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle pathStyle)
{
    if (pathStyle != kCFURLPOSIXPathStyle) return nullptr;
    return platform::detail::createString(url->path);
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef url)
{
    const size_t slash = url->path.rfind('/');
    return platform::detail::createString(url->path == "/" ? url->path : url->path.substr(slash + 1));
}

Boolean CFURLHasDirectoryPath(CFURLRef url)
{
    return url->directory;
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen)
{
    if (maxBufLen <= 0 || url->path.size() >= static_cast<size_t>(maxBufLen)) return false;
    std::memcpy(buffer, url->path.c_str(), url->path.size() + 1);
    return true;
}
