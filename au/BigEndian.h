#pragma once

// 32-bit big-endian words, the byte order of the saved-state blob.

#include "platform/corefoundation/CoreFoundation.h"

namespace au::detail {

inline void appendBigEndian(CFMutableDataRef data, UInt32 word)
{
    const UInt8 bytes[4] = {static_cast<UInt8>(word >> 24), static_cast<UInt8>(word >> 16),
                            static_cast<UInt8>(word >> 8), static_cast<UInt8>(word)};
    CFDataAppendBytes(data, bytes, 4);
}

inline UInt32 readBigEndian(const UInt8* bytes)
{
    return (static_cast<UInt32>(bytes[0]) << 24) | (static_cast<UInt32>(bytes[1]) << 16) |
           (static_cast<UInt32>(bytes[2]) << 8) | static_cast<UInt32>(bytes[3]);
}

} // namespace au::detail
