#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/corefoundation/CoreFoundation.h"

namespace {

std::string text(CFStringRef string)
{
    const CFIndex size =
        CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
    std::string buffer(static_cast<size_t>(size), '\0');
    if (!CFStringGetCString(string, buffer.data(), size, kCFStringEncodingUTF8)) return "<failed>";
    buffer.resize(buffer.find('\0'));
    return buffer;
}

// Formats, releases the string and returns its text.
template <typename... Args> std::string format(CFStringRef format, Args... args)
{
    CFStringRef string = CFStringCreateWithFormat(nullptr, nullptr, format, args...);
    if (!string) return "<null>";
    std::string result = text(string);
    CFRelease(string);
    return result;
}

} // namespace

TEST(CFStrings, Utf8RoundTripsWithUtf16Lengths)
{
    const std::string source = "Gr\u00fc\u00dfe \u65e5\u672c \U0001F39B"; // 2-, 3- and 4-byte forms
    CFStringRef string =
        CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(source.data()),
                                static_cast<CFIndex>(source.size()), kCFStringEncodingUTF8, false);
    ASSERT_NE(string, nullptr);
    EXPECT_EQ(CFStringGetLength(string), 11); // the last character is a surrogate pair
    EXPECT_EQ(text(string), source);

    // The buffer must hold the bytes and the terminator.
    std::string exact(source.size() + 1, 'x');
    EXPECT_TRUE(
        CFStringGetCString(string, exact.data(), static_cast<CFIndex>(exact.size()), kCFStringEncodingUTF8));
    EXPECT_EQ(exact.c_str(), source);
    EXPECT_FALSE(
        CFStringGetCString(string, exact.data(), static_cast<CFIndex>(source.size()), kCFStringEncodingUTF8));
    EXPECT_FALSE(
        CFStringGetCString(string, exact.data(), static_cast<CFIndex>(exact.size()), kCFStringEncodingASCII));
    EXPECT_EQ(CFStringGetCStringPtr(string, kCFStringEncodingASCII), nullptr);

    // Bytes with a length: a zero byte inside is a character.
    const UInt8 withZero[] = {'a', 0, 'b'};
    CFStringRef zero = CFStringCreateWithBytes(nullptr, withZero, 3, kCFStringEncodingUTF8, false);
    EXPECT_EQ(CFStringGetLength(zero), 3);
    CFRelease(zero);

    CFStringRef ascii = CFStringCreateWithCString(nullptr, "Speed", kCFStringEncodingASCII);
    EXPECT_TRUE(CFEqual(ascii, CFSTR("Speed")));
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xc3\xa9", kCFStringEncodingASCII), nullptr);
    CFRelease(ascii);
    CFRelease(string);
}

TEST(CFStrings, InvalidUtf8IsRefused)
{
    for (const std::string& bad : {
             std::string("\xc0\x80"),         // overlong zero
             std::string("\xe0\x80\xaf"),     // overlong slash
             std::string("\xed\xa0\x80"),     // surrogate half
             std::string("\xf4\x90\x80\x80"), // above U+10FFFF
             std::string("\xe6\x97"),         // truncated
             std::string("a\x80z"),           // stray continuation byte
             std::string("\xff"),
         }) {
        EXPECT_EQ(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(bad.data()),
                                          static_cast<CFIndex>(bad.size()), kCFStringEncodingUTF8, false),
                  nullptr);
    }
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "x", 0x0500), nullptr); // unsupported encoding
}

TEST(CFStrings, CompareByCodePoint)
{
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("abd"), 0), kCFCompareLessThan);
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ab"), 0), kCFCompareGreaterThan);
    EXPECT_EQ(CFStringCompare(CFSTR("Z"), CFSTR("a"), 0), kCFCompareLessThan);
    // U+FF5E sorts below U+1F39B although its UTF-16 unit is above the
    // surrogate's.
    EXPECT_EQ(CFStringCompare(CFSTR("\uff5e"), CFSTR("\U0001F39B"), 0), kCFCompareLessThan);
    CFStringRef copy = CFStringCreateWithCString(nullptr, "abc", kCFStringEncodingUTF8);
    EXPECT_EQ(CFStringCompare(copy, CFSTR("abc"), 0), kCFCompareEqualTo);
    CFRelease(copy);
}

TEST(CFStrings, FormatsPrintfConversionsAndObjects)
{
    EXPECT_EQ(format(CFSTR("%d"), -12), "-12");
    EXPECT_EQ(format(CFSTR("%d|%u|%s|%.2f|%%"), 0, 4000000000u, "Gr\u00fc\u00dfe", 0.125),
              "0|4000000000|Gr\u00fc\u00dfe|0.12|%");
    EXPECT_EQ(format(CFSTR("[%5.1f][%-4d][%03d][%x]"), -2.25, 7, 5, 255u), "[ -2.2][7   ][005][ff]");
    EXPECT_EQ(format(CFSTR("%lld %ld %qd"), INT64_MIN, -5L, 6LL), "-9223372036854775808 -5 6");
    EXPECT_EQ(format(CFSTR("%*d|%.*s"), 4, 42, 2, "abc"), "  42|ab");
    EXPECT_EQ(format(CFSTR("bmp%05d"), 128), "bmp00128");

    const int32_t value = 42;
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
    EXPECT_EQ(format(CFSTR("%@ = %@"), CFSTR("Speed"), number), "Speed = 42");
    EXPECT_EQ(format(CFSTR("<%@>"), static_cast<CFTypeRef>(nullptr)), "<(null)>");
    EXPECT_EQ(format(CFSTR("%@"), kCFBooleanTrue), "true");
    CFRelease(number);

    // A %s argument that is not UTF-8 makes no string.
    EXPECT_EQ(format(CFSTR("%s"), "\xff"), "<null>");
}
