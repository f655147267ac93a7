// Strings: UTF-8 text with its UTF-16 length, and the interned constants.

#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/corefoundation/CFInternal.h"

using platform::detail::Object;

struct __CFString final : Object {
    __CFString(std::string text, CFIndex utf16Length, bool ascii, Lifetime lifetime)
        : Object(platform::detail::kStringTypeID, lifetime), text(std::move(text)), utf16Length(utf16Length),
          ascii(ascii)
    {
    }

    bool equals(const Object& other) const override
    {
        return text == static_cast<const __CFString&>(other).text;
    }
    CFHashCode hash() const override { return std::hash<std::string>{}(text); }
    std::string describe() const override { return text; }

    const std::string text;
    const CFIndex utf16Length;
    const bool ascii;
};

namespace {

// UTF-16 length of well-formed UTF-8 (no overlong forms, surrogates or code
// points above U+10FFFF), or nothing.
std::optional<CFIndex> utf16Length(std::string_view text)
{
    CFIndex units = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char lead = *p;
        int continuation;
        char32_t codePoint;
        if (lead < 0x80) {
            continuation = 0;
            codePoint = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            continuation = 1;
            codePoint = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuation = 2;
            codePoint = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuation = 3;
            codePoint = lead & 0x07u;
        } else {
            return std::nullopt;
        }
        if (end - p <= continuation) return std::nullopt;
        for (int i = 1; i <= continuation; ++i) {
            if ((p[i] & 0xC0u) != 0x80u) return std::nullopt;
            codePoint = (codePoint << 6) | (p[i] & 0x3Fu);
        }
        const bool overlong =
            (continuation == 2 && codePoint < 0x800) || (continuation == 3 && codePoint < 0x10000);
        if (overlong || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return std::nullopt;
        units += codePoint >= 0x10000 ? 2 : 1;
        p += continuation + 1;
    }
    return units;
}

__CFString* makeString(std::string_view text, Object::Lifetime lifetime)
{
    const auto units = utf16Length(text);
    if (!units) return nullptr;
    const bool ascii = *units == static_cast<CFIndex>(text.size());
    return new __CFString(std::string(text), *units, ascii, lifetime);
}

bool supported(CFStringEncoding encoding)
{
    return encoding == kCFStringEncodingUTF8 || encoding == kCFStringEncodingASCII;
}

} // namespace

namespace platform::detail {

std::string_view utf8(CFStringRef string)
{
    return string->text;
}

bool isUTF8(std::string_view text)
{
    return utf16Length(text).has_value();
}

CFStringRef createString(std::string_view text)
{
    return makeString(text, Object::Lifetime::counted);
}

} // namespace platform::detail

CFTypeID CFStringGetTypeID(void)
{
    return platform::detail::kStringTypeID;
}

CFStringRef __CFStringMakeConstantString(const char* cStr)
{
    // Never destroyed: constants may be used by other objects' destructors
    // during exit.
    static auto& mutex = *new std::mutex;
    static auto& constants = *new std::unordered_map<std::string, CFStringRef>;
    std::lock_guard lock(mutex);
    auto& constant = constants[cStr];
    if (!constant) constant = makeString(cStr, Object::Lifetime::immortal);
    return constant;
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean)
{
    if (!supported(encoding) || numBytes < 0) return nullptr;
    const std::string_view text(reinterpret_cast<const char*>(bytes), static_cast<size_t>(numBytes));
    CFStringRef string = platform::detail::createString(text);
    if (string && encoding == kCFStringEncodingASCII && !string->ascii) {
        CFRelease(string);
        return nullptr;
    }
    return string;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding)
{
    return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8*>(cStr),
                                   static_cast<CFIndex>(std::strlen(cStr)), encoding, false);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef string)
{
    return static_cast<CFStringRef>(CFRetain(string));
}

CFIndex CFStringGetLength(CFStringRef string)
{
    return string->utf16Length;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding)
{
    // One UTF-16 unit is at most three UTF-8 bytes (a surrogate pair is two
    // units and four bytes).
    if (encoding == kCFStringEncodingUTF8) return length * 3;
    if (encoding == kCFStringEncodingASCII) return length;
    return kCFNotFound;
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
    if (bufferSize <= 0) return false;
    const bool representable = supported(encoding) && (encoding == kCFStringEncodingUTF8 || string->ascii);
    if (!representable || string->text.size() >= static_cast<size_t>(bufferSize)) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, string->text.c_str(), string->text.size() + 1);
    return true;
}

const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding)
{
    if (encoding == kCFStringEncodingUTF8 || (encoding == kCFStringEncodingASCII && string->ascii))
        return string->text.c_str();
    return nullptr;
}

CFComparisonResult CFStringCompare(CFStringRef string1, CFStringRef string2, CFStringCompareFlags)
{
    // Byte order of UTF-8 is code-point order.
    const int order = string1->text.compare(string2->text);
    return order < 0 ? kCFCompareLessThan : order > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo;
}
