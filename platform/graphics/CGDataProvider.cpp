#include "platform/graphics/CGDataProvider.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

using platform::detail::release;
using platform::detail::retain;

CGDataProvider::~CGDataProvider()
{
    if (releaseInfo) releaseInfo(info);
    if (releaseData) releaseData(info, data, size);
}

void CGDataProvider::rewind()
{
    position = 0;
    if (rewindCallback) rewindCallback(info);
}

size_t CGDataProvider::read(void* buffer, size_t count)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    if (!getBytes) {
        const size_t n = std::min(count, size - position);
        std::memcpy(bytes, data + position, n);
        position += n;
        return n;
    }
    // A provider may hand over less than asked before its end.
    size_t done = 0;
    while (done < count) {
        const size_t n = getBytes(info, bytes + done, count - done);
        if (n == 0 || n > count - done) break;
        done += n;
    }
    return done;
}

bool CGDataProvider::skip(size_t count)
{
    if (!getBytes) {
        if (count > size - position) return false;
        position += count;
        return true;
    }
    if (skipBytes) {
        skipBytes(info, count);
        return true;
    }
    if (skipForward) {
        const off_t wanted = static_cast<off_t>(std::min<size_t>(count, std::numeric_limits<off_t>::max()));
        return skipForward(info, wanted) == wanted;
    }
    unsigned char scratch[256];
    while (count > 0) {
        const size_t n = std::min(count, sizeof scratch);
        if (read(scratch, n) != n) return false;
        count -= n;
    }
    return true;
}

CGDataProviderRef CGDataProviderCreate(void* info, const CGDataProviderCallbacks* callbacks)
{
    if (!callbacks || !callbacks->getBytes) return nullptr;
    auto* provider = new (std::nothrow) CGDataProvider;
    if (!provider) return nullptr;
    provider->info = info;
    provider->getBytes = callbacks->getBytes;
    provider->skipBytes = callbacks->skipBytes;
    provider->rewindCallback = callbacks->rewind;
    provider->releaseInfo = callbacks->releaseProvider;
    return provider;
}

CGDataProviderRef CGDataProviderCreateSequential(void* info,
                                                 const CGDataProviderSequentialCallbacks* callbacks)
{
    if (!callbacks || callbacks->version != 0 || !callbacks->getBytes) return nullptr;
    auto* provider = new (std::nothrow) CGDataProvider;
    if (!provider) return nullptr;
    provider->info = info;
    provider->getBytes = callbacks->getBytes;
    provider->skipForward = callbacks->skipForward;
    provider->rewindCallback = callbacks->rewind;
    provider->releaseInfo = callbacks->releaseInfo;
    return provider;
}

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData)
{
    if (!data && size > 0) return nullptr;
    auto* provider = new (std::nothrow) CGDataProvider;
    if (!provider) return nullptr;
    provider->info = info;
    provider->data = static_cast<const unsigned char*>(data);
    provider->size = size;
    provider->releaseData = releaseData;
    return provider;
}

CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider)
{
    return retain(provider);
}

void CGDataProviderRelease(CGDataProviderRef provider)
{
    release(provider);
}
