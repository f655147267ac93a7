#pragma once

// A data provider: sequential callbacks (either generation) or memory,
// behind one reader.

#include <cstddef>

#include "platform/graphics/CoreGraphics.h"
#include "platform/graphics/RefCounted.h"

struct CGDataProvider : platform::detail::RefCounted {
    void* info = nullptr;
    CGDataProviderGetBytesCallback getBytes = nullptr;
    CGDataProviderSkipBytesCallback skipBytes = nullptr;
    CGDataProviderSkipForwardCallback skipForward = nullptr;
    CGDataProviderRewindCallback rewindCallback = nullptr;
    CGDataProviderReleaseInfoCallback releaseInfo = nullptr;

    const unsigned char* data = nullptr;
    size_t size = 0;
    size_t position = 0;
    CGDataProviderReleaseDataCallback releaseData = nullptr;

    ~CGDataProvider() override;

    // Back to the first byte.
    void rewind();
    // Copies up to count bytes into buffer; fewer only at the end.
    size_t read(void* buffer, size_t count);
    // Moves count bytes on; false when the provider ended first.
    bool skip(size_t count);
};
