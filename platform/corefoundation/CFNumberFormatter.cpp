// Number formatting without locales: '.' for the decimal point, no grouping.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "platform/corefoundation/CFInternal.h"
#include "platform/corefoundation/CFRef.h"

using platform::detail::Object;

const CFStringRef kCFNumberFormatterMaxFractionDigits = CFSTR("kCFNumberFormatterMaxFractionDigits");
const CFStringRef kCFNumberFormatterMinFractionDigits = CFSTR("kCFNumberFormatterMinFractionDigits");

namespace {
constexpr int kMostFractionDigits = 20;
}

struct __CFNumberFormatter final : Object {
    explicit __CFNumberFormatter(CFNumberFormatterStyle style)
        : Object(platform::detail::kNumberFormatterTypeID),
          maxFractionDigits(style == kCFNumberFormatterDecimalStyle ? 3 : 0)
    {
    }

    int minFractionDigits = 0;
    int maxFractionDigits;
};

namespace {

std::string formatInteger(int64_t value, int minFractionDigits)
{
    char text[24];
    std::string result(text, std::to_chars(text, text + sizeof text, value).ptr);
    if (minFractionDigits > 0) result += "." + std::string(static_cast<size_t>(minFractionDigits), '0');
    return result;
}

std::string formatReal(double value, int minFractionDigits, int maxFractionDigits)
{
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    // The largest double has 309 integer digits.
    char text[320 + kMostFractionDigits];
    std::string result(
        text,
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, maxFractionDigits).ptr);
    if (const size_t point = result.find('.'); point != std::string::npos) {
        const size_t keep = point + 1 + static_cast<size_t>(minFractionDigits);
        while (result.size() > keep && result.back() == '0') result.pop_back();
        if (result.back() == '.') result.pop_back();
    }
    // Rounded to zero: no sign.
    if (result[0] == '-' && result.find_first_not_of("-0.") == std::string::npos) result.erase(0, 1);
    return result;
}

// Bytes of UTF-8 text taken by its first `units` UTF-16 units (all of it if
// it has fewer).
size_t byteOffset(std::string_view text, CFIndex units)
{
    size_t offset = 0;
    while (offset < text.size() && units > 0) {
        const auto lead = static_cast<unsigned char>(text[offset]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        units -= length == 4 ? 2 : 1;
        offset += length;
    }
    return std::min(offset, text.size());
}

} // namespace

CFTypeID CFNumberFormatterGetTypeID(void)
{
    return platform::detail::kNumberFormatterTypeID;
}

CFNumberFormatterRef CFNumberFormatterCreate(CFAllocatorRef, CFLocaleRef, CFNumberFormatterStyle style)
{
    if (style != kCFNumberFormatterNoStyle && style != kCFNumberFormatterDecimalStyle) return nullptr;
    return new __CFNumberFormatter(style);
}

void CFNumberFormatterSetProperty(CFNumberFormatterRef formatter, CFStringRef key, CFTypeRef value)
{
    const bool isMax = CFEqual(key, kCFNumberFormatterMaxFractionDigits);
    if (!(isMax || CFEqual(key, kCFNumberFormatterMinFractionDigits)) ||
        CFGetTypeID(value) != CFNumberGetTypeID())
        return;
    SInt32 digits = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &digits);
    digits = std::clamp(digits, 0, kMostFractionDigits);
    if (isMax) {
        formatter->maxFractionDigits = digits;
        formatter->minFractionDigits = std::min(formatter->minFractionDigits, digits);
    } else {
        formatter->minFractionDigits = digits;
        formatter->maxFractionDigits = std::max(formatter->maxFractionDigits, digits);
    }
}

CFStringRef CFNumberFormatterCreateStringWithNumber(CFAllocatorRef, CFNumberFormatterRef formatter,
                                                    CFNumberRef number)
{
    if (!CFNumberIsFloatType(number)) {
        int64_t value = 0;
        CFNumberGetValue(number, kCFNumberSInt64Type, &value);
        return platform::detail::createString(formatInteger(value, formatter->minFractionDigits));
    }
    double value = 0;
    CFNumberGetValue(number, kCFNumberFloat64Type, &value);
    return platform::detail::createString(
        formatReal(value, formatter->minFractionDigits, formatter->maxFractionDigits));
}

CFStringRef CFNumberFormatterCreateStringWithValue(CFAllocatorRef allocator, CFNumberFormatterRef formatter,
                                                   CFNumberType numberType, const void* valuePtr)
{
    const platform::CFRef<CFNumberRef> number(CFNumberCreate(nullptr, numberType, valuePtr));
    if (!number) return nullptr;
    return CFNumberFormatterCreateStringWithNumber(allocator, formatter, number.get());
}

Boolean CFNumberFormatterGetValueFromString(CFNumberFormatterRef, CFStringRef string, CFRange* rangep,
                                            CFNumberType numberType, void* valuePtr)
{
    std::string_view text = platform::detail::utf8(string);
    size_t skipped = 0;
    if (rangep) {
        skipped = byteOffset(text, rangep->location);
        text = text.substr(skipped, byteOffset(text.substr(skipped), rangep->length));
    }
    const size_t start = std::min(text.find_first_not_of(' '), text.size());
    double value = 0;
    const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
    if (error != std::errc()) return false;
    const std::string_view rest(end, static_cast<size_t>(text.data() + text.size() - end));
    if (rangep) {
        // Everything read is ASCII: one UTF-16 unit a byte.
        rangep->length = static_cast<CFIndex>(end - text.data());
    } else if (rest.find_first_not_of(' ') != std::string_view::npos) {
        return false;
    }
    const platform::CFRef<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberFloat64Type, &value));
    return CFNumberGetValue(number.get(), numberType, valuePtr);
}
