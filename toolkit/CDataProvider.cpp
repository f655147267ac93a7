#include "toolkit/CDataProvider.h"

#include <algorithm>
#include <cstring>

namespace {

size_t getBytes(void* info, void* buffer, size_t count)
{
    return static_cast<CDataProvider*>(info)->getBytes(buffer, count);
}

off_t skipForward(void* info, off_t count)
{
    return count <= 0 ? 0 : static_cast<off_t>(static_cast<CDataProvider*>(info)->skipBytes(size_t(count)));
}

void rewind(void* info)
{
    static_cast<CDataProvider*>(info)->rewind();
}

void release(void* info)
{
    delete static_cast<CDataProvider*>(info);
}

} // namespace

CDataProvider::CDataProvider(const uint8_t* pixels, size_t size, const CColor& keyColor)
    : ptr(pixels), size(size), color(keyColor)
{
}

size_t CDataProvider::getBytes(void* buffer, size_t count)
{
    const size_t copied = std::min(count, size - position);
    auto* out = static_cast<uint8_t*>(buffer);
    std::memcpy(out, ptr + position, copied);
    // Every pixel whose alpha byte is among the bytes copied.
    for (size_t pixel = (position + 3) / 4 * 4; pixel < position + copied; pixel += 4)
        if (pixel + 3 < size && ptr[pixel + 1] == color.red && ptr[pixel + 2] == color.green &&
            ptr[pixel + 3] == color.blue)
            out[pixel - position] = 0;
    position += copied;
    return copied;
}

size_t CDataProvider::skipBytes(size_t count)
{
    const size_t skipped = std::min(count, size - position);
    position += skipped;
    return skipped;
}

CGDataProviderRef CDataProvider::create(CDataProvider* provider)
{
    static const CGDataProviderSequentialCallbacks callbacks{0, ::getBytes, skipForward, ::rewind, release};
    CGDataProviderRef quartz = CGDataProviderCreateSequential(provider, &callbacks);
    if (!quartz) delete provider;
    return quartz;
}
