#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/corefoundation/CFRef.h"
#include "platform/corefoundation/CoreFoundation.h"

namespace {

CFNumberRef makeInt(int32_t value)
{
    return CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
}

CFNumberRef makeDouble(double value)
{
    return CFNumberCreate(nullptr, kCFNumberFloat64Type, &value);
}

CFStringRef makeString(const char* text)
{
    return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
}

} // namespace

TEST(CFObjects, RetainCountsAndImmortalConstants)
{
    CFStringRef string = makeString("volume");
    EXPECT_EQ(CFGetRetainCount(string), 1);
    EXPECT_EQ(CFRetain(string), string);
    EXPECT_EQ(CFGetRetainCount(string), 2);
    CFRelease(string);
    EXPECT_EQ(CFGetRetainCount(string), 1);

    // One object per literal text, wherever it is written; never freed.
    CFStringRef constant = CFSTR("volume");
    EXPECT_EQ(constant, CFSTR("vol"
                              "ume"));
    EXPECT_TRUE(CFEqual(constant, string));
    const CFIndex count = CFGetRetainCount(constant);
    for (int i = 0; i < 3; ++i) CFRelease(constant);
    CFRetain(kCFBooleanTrue);
    EXPECT_EQ(CFGetRetainCount(constant), count);
    EXPECT_EQ(CFGetRetainCount(kCFBooleanTrue), count);
    EXPECT_STREQ(CFStringGetCStringPtr(constant, kCFStringEncodingUTF8), "volume");
    CFRelease(string);
}

// A holder releases exactly the one reference it owns, whichever way it
// passes on: moved, reset, released to the caller or destroyed.
TEST(CFObjects, CFRefOwnsOneReference)
{
    CFNumberRef number = makeInt(7);
    {
        platform::CFRef adopted(number);
        const auto retained = platform::CFRef<CFNumberRef>::retain(number);
        EXPECT_EQ(CFGetRetainCount(number), 2);
        platform::CFRef<CFNumberRef> moved(std::move(adopted));
        EXPECT_FALSE(adopted);
        EXPECT_EQ(moved.get(), number);
        moved = platform::CFRef<CFNumberRef>::retain(number);
        EXPECT_EQ(CFGetRetainCount(number), 2);
        CFRelease(moved.release());
        EXPECT_EQ(CFGetRetainCount(number), 1);
        CFRetain(number);
        moved.reset(number);
        moved.reset();
        EXPECT_EQ(CFGetRetainCount(number), 1);
        CFRetain(number); // kept past the scope, where `retained` lets go
    }
    EXPECT_EQ(CFGetRetainCount(number), 1);
    CFRelease(number);
}

TEST(CFObjects, RetainAndReleaseFromSeveralThreads)
{
    // All retains, then all releases: a lost update shows in the count
    // without freeing the string early.
    CFStringRef string = makeString("shared");
    constexpr int kThreads = 4;
    constexpr int kEach = 250000;
    const auto onThreads = [&](void (*operation)(CFTypeRef)) {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < kEach; ++i) operation(string);
            });
        for (auto& thread : threads) thread.join();
    };
    onThreads([](CFTypeRef cf) { CFRetain(cf); });
    EXPECT_EQ(CFGetRetainCount(string), 1 + kThreads * kEach);
    onThreads(CFRelease);
    EXPECT_EQ(CFGetRetainCount(string), 1);
    CFRelease(string);
}

TEST(CFObjects, ArraysRetainOnlyWithTypeCallbacks)
{
    CFNumberRef number = makeInt(7);

    CFMutableArrayRef plain = CFArrayCreateMutable(nullptr, 0, nullptr);
    CFArrayAppendValue(plain, number);
    CFArrayAppendValue(plain, number);
    EXPECT_EQ(CFGetRetainCount(number), 1);
    CFArrayRemoveValueAtIndex(plain, 0);
    CFRelease(plain);
    EXPECT_EQ(CFGetRetainCount(number), 1);

    CFMutableArrayRef owning = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(owning, number);
    CFArrayAppendValue(owning, number);
    EXPECT_EQ(CFGetRetainCount(number), 3);
    CFArrayRemoveValueAtIndex(owning, 1);
    EXPECT_EQ(CFGetRetainCount(number), 2);
    EXPECT_EQ(CFArrayGetCount(owning), 1);
    EXPECT_EQ(CFArrayGetValueAtIndex(owning, 0), number);
    CFRelease(owning);
    EXPECT_EQ(CFGetRetainCount(number), 1);

    // Plain pointers that are not objects at all.
    int a = 1, b = 2;
    const void* pointers[] = {&a, &b};
    CFArrayRef list = CFArrayCreate(nullptr, pointers, 2, nullptr);
    EXPECT_EQ(CFArrayGetValueAtIndex(list, 1), &b);
    CFRelease(list);
    CFRelease(number);
}

TEST(CFObjects, DictionariesRetainKeysAndValuesWithTypeCallbacks)
{
    CFStringRef key = makeString("name");
    CFStringRef value = makeString("Left");
    CFStringRef other = makeString("Right");

    CFMutableDictionaryRef plain = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
    CFDictionarySetValue(plain, key, value);
    EXPECT_EQ(CFGetRetainCount(key), 1);
    EXPECT_EQ(CFGetRetainCount(value), 1);
    // Identity keys: an equal string that is another object is another key.
    CFStringRef sameText = makeString("name");
    EXPECT_FALSE(CFDictionaryContainsKey(plain, sameText));
    EXPECT_EQ(CFDictionaryGetValue(plain, key), value);
    CFRelease(plain);

    CFMutableDictionaryRef owning = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                              &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(owning, key, value);
    EXPECT_EQ(CFGetRetainCount(key), 2);
    EXPECT_EQ(CFGetRetainCount(value), 2);
    EXPECT_EQ(CFDictionaryGetValue(owning, sameText), value);
    CFDictionaryAddValue(owning, sameText, other); // present: no change
    EXPECT_EQ(CFDictionaryGetValue(owning, key), value);
    CFDictionarySetValue(owning, sameText, other); // replaces, releases the old value
    EXPECT_EQ(CFGetRetainCount(value), 1);
    EXPECT_EQ(CFGetRetainCount(other), 2);
    EXPECT_EQ(CFDictionaryGetCount(owning), 1);

    // Setting the value it already holds, when it holds the only reference,
    // must not free it on the way.
    CFRelease(other);
    CFDictionarySetValue(owning, key, other);
    EXPECT_EQ(CFGetRetainCount(other), 1);
    EXPECT_STREQ(CFStringGetCStringPtr(static_cast<CFStringRef>(CFDictionaryGetValue(owning, key)),
                                       kCFStringEncodingUTF8),
                 "Right");

    CFRetain(other);
    CFDictionaryRemoveValue(owning, sameText);
    EXPECT_EQ(CFGetRetainCount(key), 1);
    EXPECT_EQ(CFGetRetainCount(other), 1);
    CFDictionarySetValue(owning, key, value);
    CFRelease(owning);
    EXPECT_EQ(CFGetRetainCount(key), 1);
    EXPECT_EQ(CFGetRetainCount(value), 1);

    for (CFTypeRef object : {CFTypeRef(key), CFTypeRef(value), CFTypeRef(other), CFTypeRef(sameText)})
        CFRelease(object);
}

TEST(CFObjects, DictionariesKeepInsertionOrderAndFindManyKeys)
{
    CFMutableDictionaryRef dict = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                            &kCFTypeDictionaryValueCallBacks);
    constexpr int kCount = 2000;
    for (int i = kCount - 1; i >= 0; --i) {
        CFStringRef key = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), i);
        CFNumberRef value = makeInt(i);
        CFDictionarySetValue(dict, key, value);
        CFRelease(key);
        CFRelease(value);
    }
    CFNumberRef replacement = makeInt(-1);
    CFDictionarySetValue(dict, CFSTR("1500"), replacement);
    CFRelease(replacement);
    CFDictionaryRemoveValue(dict, CFSTR("0"));

    ASSERT_EQ(CFDictionaryGetCount(dict), kCount - 1);
    std::vector<const void*> keys(kCount - 1), values(kCount - 1);
    CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
    std::vector<std::string> applied;
    CFDictionaryApplyFunction(
        dict,
        [](const void* key, const void*, void* context) {
            static_cast<std::vector<std::string>*>(context)->push_back(
                CFStringGetCStringPtr(static_cast<CFStringRef>(key), kCFStringEncodingUTF8));
        },
        &applied);
    for (int n = 0; n < kCount - 1; ++n) {
        const int i = kCount - 1 - n;
        const std::string expected = std::to_string(i);
        ASSERT_EQ(CFStringGetCStringPtr(static_cast<CFStringRef>(keys[n]), kCFStringEncodingUTF8), expected);
        ASSERT_EQ(applied[n], expected);
        int32_t value = 0;
        CFNumberGetValue(static_cast<CFNumberRef>(values[n]), kCFNumberSInt32Type, &value);
        ASSERT_EQ(value, i == 1500 ? -1 : i);
        CFStringRef key = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), i);
        ASSERT_EQ(CFDictionaryGetValue(dict, key), values[n]);
        CFRelease(key);
    }
    const void* found = nullptr;
    EXPECT_FALSE(CFDictionaryGetValueIfPresent(dict, CFSTR("0"), &found));
    EXPECT_TRUE(CFDictionaryGetValueIfPresent(dict, CFSTR("1"), &found));
    EXPECT_EQ(found, values[kCount - 2]);
    CFRelease(dict);
}

TEST(CFObjects, EqualityAndHashAcrossTypes)
{
    CFNumberRef one = makeInt(1);
    CFNumberRef oneReal = makeDouble(1.0);
    CFNumberRef half = makeDouble(0.5);
    CFNumberRef nan1 = makeDouble(std::nan(""));
    CFNumberRef nan2 = makeDouble(-std::nan(""));
    CFStringRef oneText = makeString("1");

    EXPECT_TRUE(CFEqual(one, oneReal));
    EXPECT_EQ(CFHash(one), CFHash(oneReal));
    EXPECT_FALSE(CFEqual(one, half));
    EXPECT_TRUE(CFEqual(nan1, nan2));
    EXPECT_EQ(CFHash(nan1), CFHash(nan2));
    EXPECT_FALSE(CFEqual(one, oneText));
    EXPECT_FALSE(CFEqual(one, kCFBooleanTrue));
    EXPECT_FALSE(CFEqual(kCFBooleanTrue, kCFBooleanFalse));
    EXPECT_NE(CFGetTypeID(one), CFGetTypeID(oneText));
    EXPECT_EQ(CFGetTypeID(kCFBooleanFalse), CFBooleanGetTypeID());

    // Containers compare their entries, dictionaries regardless of order.
    const void* left[] = {one, oneText};
    const void* right[] = {oneReal, CFSTR("1")};
    CFArrayRef a = CFArrayCreate(nullptr, left, 2, &kCFTypeArrayCallBacks);
    CFArrayRef b = CFArrayCreate(nullptr, right, 2, &kCFTypeArrayCallBacks);
    CFArrayRef reversed = CFArrayCreate(nullptr, right + 1, 1, &kCFTypeArrayCallBacks);
    EXPECT_TRUE(CFEqual(a, b));
    EXPECT_FALSE(CFEqual(a, reversed));

    const void* keys[] = {CFSTR("x"), CFSTR("y")};
    const void* swappedKeys[] = {CFSTR("y"), CFSTR("x")};
    const void* values[] = {one, half};
    const void* swappedValues[] = {half, oneReal};
    CFDictionaryRef d1 = CFDictionaryCreate(nullptr, keys, values, 2, &kCFTypeDictionaryKeyCallBacks,
                                            &kCFTypeDictionaryValueCallBacks);
    CFDictionaryRef d2 = CFDictionaryCreate(nullptr, swappedKeys, swappedValues, 2,
                                            &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionaryRef d3 = CFDictionaryCreate(nullptr, keys, swappedValues, 2, &kCFTypeDictionaryKeyCallBacks,
                                            &kCFTypeDictionaryValueCallBacks);
    EXPECT_TRUE(CFEqual(d1, d2));
    EXPECT_EQ(CFHash(d1), CFHash(d2));
    EXPECT_FALSE(CFEqual(d1, d3));
    EXPECT_FALSE(CFEqual(d1, a));

    for (CFTypeRef object : {CFTypeRef(one), CFTypeRef(oneReal), CFTypeRef(half), CFTypeRef(nan1),
                             CFTypeRef(nan2), CFTypeRef(oneText), CFTypeRef(a), CFTypeRef(b),
                             CFTypeRef(reversed), CFTypeRef(d1), CFTypeRef(d2), CFTypeRef(d3)})
        CFRelease(object);
}

TEST(CFObjects, NumberConversionsStoreTheValueAndReportLoss)
{
    CFNumberRef real = makeDouble(-2.75);
    int32_t i32 = 0;
    EXPECT_FALSE(CFNumberGetValue(real, kCFNumberSInt32Type, &i32));
    EXPECT_EQ(i32, -2); // toward zero
    float f32 = 0.0f;
    EXPECT_TRUE(CFNumberGetValue(real, kCFNumberFloat32Type, &f32));
    EXPECT_EQ(f32, -2.75f);
    EXPECT_TRUE(CFNumberIsFloatType(real));
    CFRelease(real);

    // Saturation instead of undefined behaviour.
    for (const double huge : {1e20, -1e20, std::numeric_limits<double>::infinity(), std::nan("")}) {
        CFNumberRef number = makeDouble(huge);
        int64_t i64 = 1;
        EXPECT_FALSE(CFNumberGetValue(number, kCFNumberSInt64Type, &i64));
        EXPECT_EQ(i64, std::isnan(huge) ? 0
                       : huge > 0       ? std::numeric_limits<int64_t>::max()
                                        : std::numeric_limits<int64_t>::min());
        CFRelease(number);
    }
    CFNumberRef twoTo63 = makeDouble(9223372036854775808.0);
    int64_t i64 = 0;
    EXPECT_FALSE(CFNumberGetValue(twoTo63, kCFNumberSInt64Type, &i64));
    CFRelease(twoTo63);

    const int64_t big = (int64_t{1} << 53) + 1;
    CFNumberRef wide = CFNumberCreate(nullptr, kCFNumberLongLongType, &big);
    EXPECT_EQ(CFNumberGetType(wide), kCFNumberSInt64Type);
    EXPECT_FALSE(CFNumberIsFloatType(wide));
    EXPECT_FALSE(CFNumberGetValue(wide, kCFNumberSInt32Type, &i32));
    EXPECT_EQ(i32, 1); // the low 32 bits
    double f64 = 0.0;
    EXPECT_FALSE(CFNumberGetValue(wide, kCFNumberFloat64Type, &f64));
    EXPECT_TRUE(CFNumberGetValue(wide, kCFNumberSInt64Type, &i64));
    EXPECT_EQ(i64, big);
    CFRelease(wide);

    // A float kept as float: exact both ways, bit for bit.
    const float tenth = 0.1f;
    CFNumberRef single = CFNumberCreate(nullptr, kCFNumberFloatType, &tenth);
    EXPECT_EQ(CFNumberGetType(single), kCFNumberFloat32Type);
    EXPECT_TRUE(CFNumberGetValue(single, kCFNumberFloat64Type, &f64));
    EXPECT_EQ(f64, static_cast<double>(tenth));
    EXPECT_TRUE(CFNumberGetValue(single, kCFNumberFloat32Type, &f32));
    EXPECT_EQ(std::memcmp(&f32, &tenth, sizeof f32), 0);
    CFRelease(single);

    const int value = -40000;
    CFNumberRef integer = CFNumberCreate(nullptr, kCFNumberIntType, &value);
    EXPECT_EQ(CFNumberGetType(integer), kCFNumberSInt32Type);
    int16_t i16 = 0;
    EXPECT_FALSE(CFNumberGetValue(integer, kCFNumberSInt16Type, &i16));
    EXPECT_TRUE(CFNumberGetValue(integer, kCFNumberFloat32Type, &f32));
    EXPECT_EQ(f32, -40000.0f);
    CFRelease(integer);

    EXPECT_EQ(CFNumberCreate(nullptr, 99, &value), nullptr);
}

TEST(CFObjects, DataGrowsAndCopiesRanges)
{
    const UInt8 bytes[] = {1, 2, 3, 4, 5};
    CFMutableDataRef data = CFDataCreateMutable(nullptr, 0);
    CFDataAppendBytes(data, bytes, 3);
    CFDataAppendBytes(data, bytes + 3, 2);
    CFDataSetLength(data, 7);
    EXPECT_EQ(CFDataGetLength(data), 7);
    const std::vector<UInt8> whole(CFDataGetBytePtr(data), CFDataGetBytePtr(data) + 7);
    EXPECT_EQ(whole, (std::vector<UInt8>{1, 2, 3, 4, 5, 0, 0}));
    CFDataGetMutableBytePtr(data)[6] = 9;
    UInt8 middle[3] = {};
    CFDataGetBytes(data, CFRangeMake(4, 3), middle);
    EXPECT_EQ(std::vector<UInt8>(middle, middle + 3), (std::vector<UInt8>{5, 0, 9}));

    CFDataRef copy = CFDataCreate(nullptr, CFDataGetBytePtr(data), CFDataGetLength(data));
    EXPECT_TRUE(CFEqual(copy, data));
    CFDataSetLength(data, 2);
    EXPECT_FALSE(CFEqual(copy, data));
    CFRelease(copy);
    CFRelease(data);
}
