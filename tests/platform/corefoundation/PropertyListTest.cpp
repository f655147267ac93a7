#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/corefoundation/CoreFoundation.h"

namespace {

CFDataRef bytesOf(const std::string& bytes)
{
    return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                        static_cast<CFIndex>(bytes.size()));
}

std::string stringOf(CFDataRef data)
{
    return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)),
                       static_cast<size_t>(CFDataGetLength(data)));
}

// Stores `value` under `key`, handing the caller's reference to the
// dictionary.
void set(CFMutableDictionaryRef dict, const char* key, CFTypeRef value)
{
    CFStringRef keyString = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    CFDictionarySetValue(dict, keyString, value);
    CFRelease(keyString);
    CFRelease(value);
}

CFMutableDictionaryRef newDictionary()
{
    return CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                     &kCFTypeDictionaryValueCallBacks);
}

template <typename T> CFNumberRef number(CFNumberType type, T value)
{
    return CFNumberCreate(nullptr, type, &value);
}

// Why `bytes` are refused (a read-corrupt error with a description); empty
// if they are read.
std::string refusal(const std::string& bytes)
{
    CFDataRef data = bytesOf(bytes);
    CFErrorRef error = nullptr;
    CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, &error);
    CFRelease(data);
    if (plist) {
        CFRelease(plist);
        return {};
    }
    if (error == nullptr) return "refused without an error";
    EXPECT_EQ(CFErrorGetCode(error), kCFPropertyListReadCorruptError);
    EXPECT_TRUE(CFEqual(CFErrorGetDomain(error), kCFErrorDomainCocoa));
    CFStringRef description = CFErrorCopyDescription(error);
    std::string text = CFStringGetCStringPtr(description, kCFStringEncodingUTF8);
    EXPECT_FALSE(text.empty());
    CFRelease(description);
    CFRelease(error);
    return text;
}

bool refused(const std::string& bytes)
{
    return !refusal(bytes).empty();
}

std::string xmlPlist(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>";
}

// A dictionary of `count` keys, each holding true.
std::string xmlDictionary(size_t count)
{
    std::string body = "<dict>";
    for (size_t i = 0; i < count; ++i) body += "<key>" + std::to_string(i) + "</key><true/>";
    return xmlPlist(body + "</dict>");
}

// A binary property list of the given objects (already encoded, referring
// to each other by two-byte references), object 0 at the top.
std::string binaryPlist(const std::vector<std::string>& objects)
{
    std::string bytes = "bplist00";
    std::vector<uint32_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(static_cast<uint32_t>(bytes.size()));
        bytes += object;
    }
    const auto tableOffset = static_cast<uint64_t>(bytes.size());
    for (const uint32_t offset : offsets)
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(offset >> shift);
    bytes += std::string(6, '\0');
    bytes += '\x04'; // offset size
    bytes += '\x02'; // reference size
    for (const uint64_t field : {uint64_t{objects.size()}, uint64_t{0}, tableOffset})
        for (int shift = 56; shift >= 0; shift -= 8) bytes += static_cast<char>(field >> shift);
    return bytes;
}

std::string reference(size_t index)
{
    return {static_cast<char>(index >> 8), static_cast<char>(index & 0xFF)};
}

// `depth` arrays, each holding the next one.
std::string nestedBinary(size_t depth)
{
    std::vector<std::string> objects;
    for (size_t i = 0; i + 1 < depth; ++i) objects.push_back("\xA1" + reference(i + 1));
    objects.push_back("\xA0");
    return binaryPlist(objects);
}

std::string nestedXML(size_t depth)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    for (size_t i = 0; i < depth; ++i) xml += "<array>";
    for (size_t i = 0; i < depth; ++i) xml += "</array>";
    return xml + "</plist>";
}

} // namespace

class PropertyListRoundTrip : public ::testing::TestWithParam<CFPropertyListFormat> {};

TEST_P(PropertyListRoundTrip, NestedTreeComesBackEqual)
{
    const float gains[] = {0.1f, -0.0f, FLT_MIN, 1e-45f, FLT_MAX, 0.4324f};
    const UInt8 blob[] = {0, 0, 0, 0, 0x3f, 0x80, 0, 0, 0xff, 0x00, 0x7f};
    const std::string name = "Gr\u00fc\u00dfe \u65e5\u672c \U0001F39B";

    CFMutableDictionaryRef state = newDictionary();
    set(state, "version", number(kCFNumberSInt32Type, int32_t{0}));
    set(state, "type", number(kCFNumberSInt32Type, int32_t{0x61756678}));
    set(state, "big", number(kCFNumberSInt64Type, int64_t{1} << 40));
    set(state, "min", number(kCFNumberSInt64Type, std::numeric_limits<int64_t>::min()));
    set(state, "max", number(kCFNumberSInt64Type, std::numeric_limits<int64_t>::max()));
    set(state, "below32", number(kCFNumberSInt64Type, int64_t{INT32_MIN} - 1));
    set(state, "ratio", number(kCFNumberFloat64Type, 1.0 / 3.0));
    set(state, "data", CFDataCreate(nullptr, blob, sizeof blob));
    set(state, "empty data", CFDataCreate(nullptr, nullptr, 0));
    set(state, "name", CFStringCreateWithCString(nullptr, name.c_str(), kCFStringEncodingUTF8));
    set(state, "", CFStringCreateWithCString(nullptr, "", kCFStringEncodingUTF8));
    set(state, "<&>", CFStringCreateWithCString(nullptr, "]]> & <key>", kCFStringEncodingUTF8));
    CFMutableArrayRef list = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (const float gain : gains) {
        CFNumberRef value = number(kCFNumberFloat32Type, gain);
        CFArrayAppendValue(list, value);
        CFRelease(value);
    }
    CFArrayAppendValue(list, kCFBooleanTrue);
    CFArrayAppendValue(list, kCFBooleanFalse);
    set(state, "gains", list);
    set(state, "empty array", CFArrayCreate(nullptr, nullptr, 0, &kCFTypeArrayCallBacks));
    CFMutableDictionaryRef names = newDictionary();
    CFMutableDictionaryRef scope = newDictionary();
    set(scope, "1", CFStringCreateWithCString(nullptr, "Left", kCFStringEncodingUTF8));
    set(names, "0", scope);
    set(names, "empty", newDictionary());
    set(state, "element-name", names);

    ASSERT_TRUE(CFPropertyListIsValid(state, GetParam()));
    CFErrorRef error = nullptr;
    CFDataRef bytes = CFPropertyListCreateData(nullptr, state, GetParam(), 0, &error);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(error, nullptr);
    EXPECT_EQ(stringOf(bytes).rfind(GetParam() == kCFPropertyListBinaryFormat_v1_0 ? "bplist00" : "<?xml", 0),
              0u);

    CFPropertyListFormat format = 0;
    CFPropertyListRef restored = CFPropertyListCreateWithData(nullptr, bytes, 0, &format, &error);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(format, GetParam());
    EXPECT_TRUE(CFEqual(restored, state));
    ASSERT_EQ(CFGetTypeID(restored), CFDictionaryGetTypeID());
    const auto dict = static_cast<CFDictionaryRef>(restored);

    // Integers come back as the narrowest of SInt32 and SInt64.
    const auto typeOf = [&](CFStringRef key) {
        return CFNumberGetType(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, key)));
    };
    EXPECT_EQ(typeOf(CFSTR("type")), kCFNumberSInt32Type);
    EXPECT_EQ(typeOf(CFSTR("big")), kCFNumberSInt64Type);
    EXPECT_EQ(typeOf(CFSTR("below32")), kCFNumberSInt64Type);
    int64_t min = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, CFSTR("min"))), kCFNumberSInt64Type,
                     &min);
    EXPECT_EQ(min, std::numeric_limits<int64_t>::min());

    // Float32 values bit for bit (the sign of zero aside: XML has no -0).
    const auto restoredGains = static_cast<CFArrayRef>(CFDictionaryGetValue(dict, CFSTR("gains")));
    for (size_t i = 0; i < std::size(gains); ++i) {
        float gain = 1.0f;
        EXPECT_TRUE(CFNumberGetValue(
            static_cast<CFNumberRef>(CFArrayGetValueAtIndex(restoredGains, static_cast<CFIndex>(i))),
            kCFNumberFloat32Type, &gain));
        if (gains[i] != 0.0f) {
            EXPECT_EQ(std::memcmp(&gain, &gains[i], sizeof gain), 0) << i;
        }
    }
    CFRelease(restored);
    CFRelease(bytes);
    CFRelease(state);
}

INSTANTIATE_TEST_SUITE_P(BothFormats, PropertyListRoundTrip,
                         ::testing::Values(kCFPropertyListXMLFormat_v1_0, kCFPropertyListBinaryFormat_v1_0));

TEST(PropertyList, MalformedInputIsRefusedWithAnError)
{
    CFMutableDictionaryRef state = newDictionary();
    set(state, "version", number(kCFNumberSInt32Type, int32_t{0}));
    const UInt8 blob[] = {0, 0, 0, 1, 2, 3};
    set(state, "data", CFDataCreate(nullptr, blob, sizeof blob));
    CFDataRef xml = CFPropertyListCreateData(nullptr, state, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
    CFDataRef binary = CFPropertyListCreateData(nullptr, state, kCFPropertyListBinaryFormat_v1_0, 0, nullptr);
    const std::string xmlText = stringOf(xml);
    const std::string binaryBytes = stringOf(binary);
    CFRelease(xml);
    CFRelease(binary);
    CFRelease(state);

    EXPECT_TRUE(refused(""));
    EXPECT_TRUE(refused("not a property list at all"));
    EXPECT_TRUE(refused(std::string("\x00\xff\x10garbage", 10)));
    EXPECT_TRUE(refused(xmlText.substr(0, xmlText.size() / 2)));
    EXPECT_TRUE(refused(xmlText.substr(0, xmlText.rfind("</dict>"))));
    // Every proper prefix of a binary list lacks its trailer.
    for (size_t length = 0; length < binaryBytes.size(); ++length)
        EXPECT_TRUE(refused(binaryBytes.substr(0, length))) << length;

    // Well-formed, but outside the tree types.
    EXPECT_TRUE(refused("<plist version=\"1.0\"><date>2024-01-01T00:00:00Z</date></plist>"));
    EXPECT_TRUE(refused("<plist version=\"1.0\"><array><date>2024-01-01T00:00:00Z</date>"
                        "</array></plist>"));
    EXPECT_TRUE(refused(binaryPlist({"\x80\x01"})));                    // a UID
    EXPECT_TRUE(refused(binaryPlist({std::string("\x51\xff", 2)})));    // an ASCII string, not ASCII
    EXPECT_TRUE(refused(binaryPlist({std::string("\x62\0a\0\0", 5)}))); // UTF-16 with a zero
    EXPECT_TRUE(refused(binaryPlist({"\x61\xd8\x00"})));                // a lone surrogate

    // Hostile structure: a reference to itself, references and offsets out
    // of range, an absurd element count.
    EXPECT_TRUE(refused(binaryPlist({"\xA1" + reference(0)})));
    EXPECT_TRUE(refused(binaryPlist({"\xA1" + reference(7)})));
    EXPECT_TRUE(refused(binaryPlist({"\xD1" + reference(1) + reference(1), "\x09"}))); // key `true`
    EXPECT_TRUE(refused(binaryPlist({"\xD1" + reference(1) + reference(1), std::string("\x52k\0", 3)})));
    std::string badOffset = binaryPlist({"\xA0"});
    badOffset[badOffset.size() - 32 - 1] = '\x7f';
    EXPECT_TRUE(refused(badOffset));
    EXPECT_TRUE(refused(binaryPlist({std::string("\xAF\x13\x40\0\0\0\0\0\0\0", 10)})));
}

TEST(PropertyList, NestingAndExpansionAreLimited)
{
    for (const std::string& bytes : {nestedXML(512), nestedBinary(512)}) {
        CFDataRef data = bytesOf(bytes);
        CFPropertyListRef deepest = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
        EXPECT_NE(deepest, nullptr);
        if (deepest) CFRelease(deepest);
        CFRelease(data);
    }
    for (const size_t depth : {513, 100000}) {
        EXPECT_TRUE(refused(nestedXML(depth))) << depth;
        EXPECT_TRUE(refused(nestedBinary(depth))) << depth;
    }

    // Shared references: fine a thousand times over, but not when each level
    // doubles the tree (a few hundred bytes that would expand to 2^40).
    std::string thousand = "\xAF\x11\x03\xE8";
    for (int i = 0; i < 1000; ++i) thousand += reference(1);
    CFDataRef data = bytesOf(binaryPlist({thousand, "\x09"}));
    CFPropertyListRef shared = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(CFArrayGetCount(static_cast<CFArrayRef>(shared)), 1000);
    CFRelease(shared);
    CFRelease(data);
    std::vector<std::string> doubling;
    for (size_t i = 0; i < 40; ++i) doubling.push_back("\xA2" + reference(i + 1) + reference(i + 1));
    doubling.push_back("\x09");
    EXPECT_TRUE(refused(binaryPlist(doubling)));

    // Writing: too deep, and a container holding itself.
    CFMutableArrayRef outer = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (int i = 0; i < 520; ++i) {
        CFMutableArrayRef next = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
        CFArrayAppendValue(next, outer);
        CFRelease(outer);
        outer = next;
    }
    CFErrorRef error = nullptr;
    EXPECT_EQ(CFPropertyListCreateData(nullptr, outer, kCFPropertyListBinaryFormat_v1_0, 0, &error), nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(CFErrorGetCode(error), kCFPropertyListWriteInvalidError);
    CFRelease(error);
    CFRelease(outer);

    CFMutableArrayRef loop = CFArrayCreateMutable(nullptr, 0, nullptr);
    CFArrayAppendValue(loop, loop);
    EXPECT_FALSE(CFPropertyListIsValid(loop, kCFPropertyListXMLFormat_v1_0));
    CFRelease(loop);
}

// Carriage returns survive XML; control characters, which XML cannot carry,
// are written only in binary.
TEST(PropertyList, XMLCarriesWhatItCanOfStrings)
{
    for (const char* text : {"line\r\nend\r", "bell \x07", "\xEF\xBF\xBF"}) {
        CFStringRef string = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
        const bool control = text[0] != 'l';
        EXPECT_EQ(CFPropertyListIsValid(string, kCFPropertyListXMLFormat_v1_0), !control) << text;
        for (const CFPropertyListFormat format :
             {kCFPropertyListXMLFormat_v1_0, kCFPropertyListBinaryFormat_v1_0}) {
            CFDataRef bytes = CFPropertyListCreateData(nullptr, string, format, 0, nullptr);
            if (control && format == kCFPropertyListXMLFormat_v1_0) {
                EXPECT_EQ(bytes, nullptr) << text;
                continue;
            }
            ASSERT_NE(bytes, nullptr) << text;
            CFPropertyListRef again = CFPropertyListCreateWithData(nullptr, bytes, 0, nullptr, nullptr);
            ASSERT_NE(again, nullptr) << text;
            EXPECT_TRUE(CFEqual(again, string)) << text;
            CFRelease(again);
            CFRelease(bytes);
        }
        CFRelease(string);
    }
}

TEST(PropertyList, WritingRefusesWhatTheFormatsCannotHold)
{
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp"), kCFURLPOSIXPathStyle, true);
    const int32_t one = 1;
    CFNumberRef numberKey = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
    const UInt8 withZero[] = {'a', 0};
    CFStringRef zeroString = CFStringCreateWithBytes(nullptr, withZero, 2, kCFStringEncodingUTF8, false);

    const void* badKeys[] = {numberKey};
    const void* values[] = {kCFBooleanTrue};
    CFDictionaryRef numberKeyed = CFDictionaryCreate(
        nullptr, badKeys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    const void* urlInside[] = {CFSTR("ok"), url};
    CFArrayRef holdsURL = CFArrayCreate(nullptr, urlInside, 2, &kCFTypeArrayCallBacks);

    for (CFTypeRef bad :
         {CFTypeRef(url), CFTypeRef(numberKeyed), CFTypeRef(holdsURL), CFTypeRef(zeroString)}) {
        for (const CFPropertyListFormat format :
             {kCFPropertyListXMLFormat_v1_0, kCFPropertyListBinaryFormat_v1_0}) {
            EXPECT_FALSE(CFPropertyListIsValid(bad, format));
            CFErrorRef error = nullptr;
            EXPECT_EQ(CFPropertyListCreateData(nullptr, bad, format, 0, &error), nullptr);
            ASSERT_NE(error, nullptr);
            EXPECT_EQ(CFErrorGetCode(error), kCFPropertyListWriteInvalidError);
            CFRelease(error);
        }
    }
    EXPECT_EQ(CFPropertyListCreateData(nullptr, CFSTR("x"), kCFPropertyListOpenStepFormat, 0, nullptr),
              nullptr);

    // A root that is not a dictionary is a valid list; callers check the type.
    CFDataRef bytes = bytesOf("<plist version=\"1.0\"><string>x</string></plist>");
    CFPropertyListRef root = CFPropertyListCreateWithData(nullptr, bytes, 0, nullptr, nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(CFGetTypeID(root), CFStringGetTypeID());
    CFRelease(root);
    CFRelease(bytes);

    for (CFTypeRef object : {CFTypeRef(url), CFTypeRef(numberKey), CFTypeRef(zeroString),
                             CFTypeRef(numberKeyed), CFTypeRef(holdsURL)})
        CFRelease(object);
}

// Both formats hold their input to the same limits and say which was passed.
TEST(PropertyList, LimitsAreTheSameForBothFormatsAndNamed)
{
    for (const std::string& bytes : {nestedXML(513), nestedBinary(513)})
        EXPECT_NE(refusal(bytes).find("nesting deeper than 512 levels"), std::string::npos) << refusal(bytes);

    // One object over: the array and 2^20 values in it.
    std::string values;
    for (int i = 0; i < 1 << 20; ++i) values += "<true/>";
    EXPECT_NE(refusal(xmlPlist("<array>" + values + "</array>")).find("more than 1048576 objects"),
              std::string::npos);
    EXPECT_EQ(refusal(xmlPlist("<array>" + values.substr(7) + "</array>")), "");
    std::vector<std::string> doubling;
    for (size_t i = 0; i < 20; ++i) doubling.push_back("\xA2" + reference(i + 1) + reference(i + 1));
    doubling.push_back("\x09");
    EXPECT_NE(refusal(binaryPlist(doubling)).find("more than 1048576 objects"), std::string::npos);
}

// The largest dictionary the limit allows: it and 2^19 - 1 keys with their
// values. (A reader quadratic in its keys took about a minute here.)
TEST(PropertyList, LargestXMLDictionaryIsReadWhole)
{
    constexpr size_t kKeys = (size_t{1} << 19) - 1;
    const std::string xml = xmlDictionary(kKeys);
    CFDataRef data = bytesOf(xml);
    CFPropertyListRef dictionary = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
    CFRelease(data);
    ASSERT_NE(dictionary, nullptr);
    EXPECT_EQ(CFDictionaryGetCount(static_cast<CFDictionaryRef>(dictionary)), static_cast<CFIndex>(kKeys));
    CFRelease(dictionary);
    EXPECT_NE(refusal(xmlDictionary(kKeys + 1)).find("more than 1048576 objects"), std::string::npos);
}

TEST(PropertyList, XMLValuesAreReadStrictly)
{
    const auto integer = [](const std::string& text) {
        CFDataRef data = bytesOf(xmlPlist("<integer>" + text + "</integer>"));
        CFPropertyListRef number = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
        CFRelease(data);
        int64_t value = 0;
        if (number) CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberSInt64Type, &value);
        if (number) CFRelease(number);
        return number ? value : int64_t{-42};
    };
    EXPECT_EQ(integer(" 0x7fffFFFF\n"), 0x7fffffff);
    EXPECT_EQ(integer("-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(integer("18446744073709551615"), -1); // the 64 bits, as binary lists give them
    for (const char* bad : {"", "12a", "-9223372036854775809", "18446744073709551616", "1.5"})
        EXPECT_EQ(integer(bad), -42) << bad;

    CFDataRef data = bytesOf(xmlPlist("<array><real> -infinity </real><data>AAEC\n\t//4=</data></array>"));
    CFPropertyListRef array = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
    CFRelease(data);
    ASSERT_NE(array, nullptr);
    double real = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(static_cast<CFArrayRef>(array), 0)),
                     kCFNumberFloat64Type, &real);
    EXPECT_EQ(real, -std::numeric_limits<double>::infinity());
    const auto blob = static_cast<CFDataRef>(CFArrayGetValueAtIndex(static_cast<CFArrayRef>(array), 1));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(blob)), 5),
              std::string("\x00\x01\x02\xff\xfe", 5));
    CFRelease(array);

    for (const std::string& bad : {
             xmlPlist("<data>AA=A</data>"),
             xmlPlist("<data>A</data>"),
             xmlPlist("<dict><key>a</key></dict>"),
             xmlPlist("<dict><true/></dict>"),
             xmlPlist("<array><key>a</key></array>"),
             xmlPlist("<string>a<true/></string>"),
             xmlPlist("<true/><true/>"),
             xmlPlist(""),
             xmlPlist("<array>text</array>"),
             std::string("<array/>"),
             std::string("<!DOCTYPE plist [<!ENTITY a \"aaaa\">]><plist><string>&a;</string></plist>"),
         })
        EXPECT_NE(refusal(bad), "") << bad;
}
