// Data: a byte vector.

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/corefoundation/CFInternal.h"

using platform::detail::Object;

struct __CFData final : Object {
    explicit __CFData(std::vector<UInt8> bytes)
        : Object(platform::detail::kDataTypeID), bytes(std::move(bytes))
    {
    }

    bool equals(const Object& other) const override
    {
        return bytes == static_cast<const __CFData&>(other).bytes;
    }
    CFHashCode hash() const override
    {
        return std::hash<std::string_view>{}(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    std::string describe() const override
    {
        std::string text = "<";
        char hex[3];
        for (const UInt8 byte : bytes) {
            std::snprintf(hex, sizeof hex, "%02x", byte);
            text += hex;
        }
        return text + ">";
    }

    std::vector<UInt8> bytes;
};

CFTypeID CFDataGetTypeID(void)
{
    return platform::detail::kDataTypeID;
}

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length)
{
    return new __CFData(std::vector<UInt8>(bytes, bytes + length));
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex)
{
    return new __CFData({});
}

CFIndex CFDataGetLength(CFDataRef data)
{
    return static_cast<CFIndex>(data->bytes.size());
}

const UInt8* CFDataGetBytePtr(CFDataRef data)
{
    return data->bytes.data();
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef data)
{
    return data->bytes.data();
}

void CFDataGetBytes(CFDataRef data, CFRange range, UInt8* buffer)
{
    if (range.length > 0)
        std::memcpy(buffer, data->bytes.data() + range.location, static_cast<size_t>(range.length));
}

void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length)
{
    data->bytes.insert(data->bytes.end(), bytes, bytes + length);
}

void CFDataSetLength(CFMutableDataRef data, CFIndex length)
{
    data->bytes.resize(static_cast<size_t>(length));
}
