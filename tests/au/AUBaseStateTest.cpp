#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "tests/au/TestEffect.h"

namespace {

CFPropertyListRef saveState(AudioUnit unit)
{
    CFPropertyListRef state = nullptr;
    UInt32 size = sizeof state;
    EXPECT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size),
        noErr);
    return state;
}

OSStatus restoreState(AudioUnit unit, CFPropertyListRef state)
{
    return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                                sizeof state);
}

CFMutableDictionaryRef mutableCopy(CFPropertyListRef state)
{
    CFMutableDictionaryRef copy = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                            &kCFTypeDictionaryValueCallBacks);
    const auto dictionary = static_cast<CFDictionaryRef>(state);
    const CFIndex count = CFDictionaryGetCount(dictionary);
    std::vector<const void*> keys(count), values(count);
    CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
    for (CFIndex i = 0; i < count; ++i) CFDictionarySetValue(copy, keys[i], values[i]);
    return copy;
}

void setNumber(CFMutableDictionaryRef dictionary, const char* key, SInt32 value)
{
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
    CFDictionarySetValue(dictionary, k, number);
    CFRelease(number);
    CFRelease(k);
}

void setData(CFMutableDictionaryRef dictionary, std::initializer_list<UInt32> words)
{
    std::vector<UInt8> bytes;
    for (UInt32 w : words)
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<UInt8>(w >> shift));
    CFDataRef data = CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
    CFDictionarySetValue(dictionary, CFSTR("data"), data);
    CFRelease(data);
}

float parameter(AudioUnit unit, AudioUnitParameterID id)
{
    AudioUnitParameterValue value = -1;
    EXPECT_EQ(AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &value), noErr);
    return value;
}

} // namespace

TEST(AUBaseState, RoundTripsThroughPropertyListBytes)
{
    OpenTestEffect source, target;
    for (AudioUnitParameterID id = 0; id < 21; ++id)
        AudioUnitSetParameter(source.unit(), id, kAudioUnitScope_Global, 0,
                              0.1f * static_cast<float>(id) - 1e-7f, 0);
    CFPropertyListRef state = saveState(source.unit());
    ASSERT_NE(state, nullptr);
    // Exactly the keys a unit without named elements writes.
    EXPECT_EQ(CFDictionaryGetCount(static_cast<CFDictionaryRef>(state)), 6);
    for (const char* key : {"version", "type", "subtype", "manufacturer", "data", "name"}) {
        CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
        EXPECT_TRUE(CFDictionaryContainsKey(static_cast<CFDictionaryRef>(state), k)) << key;
        CFRelease(k);
    }

    // As a host stores it: XML bytes, read back.
    CFDataRef xml = CFPropertyListCreateData(nullptr, state, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
    ASSERT_NE(xml, nullptr);
    CFPropertyListRef loaded = CFPropertyListCreateWithData(nullptr, xml, 0, nullptr, nullptr);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(restoreState(target.unit(), loaded), noErr);
    for (AudioUnitParameterID id = 0; id < 21; ++id)
        EXPECT_EQ(std::bit_cast<UInt32>(parameter(target.unit(), id)),
                  std::bit_cast<UInt32>(parameter(source.unit(), id)))
            << id;
    AUPreset preset{};
    UInt32 size = sizeof preset;
    ASSERT_EQ(AudioUnitGetProperty(target.unit(), kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0,
                                   &preset, &size),
              noErr);
    EXPECT_EQ(preset.presetNumber, -1);
    EXPECT_TRUE(CFEqual(preset.presetName, CFSTR("Untitled")));
    CFRelease(loaded);
    CFRelease(xml);
    CFRelease(state);
}

TEST(AUBaseState, RefusesForeignStatesWithoutChange)
{
    OpenTestEffect unit;
    CFPropertyListRef state = saveState(unit.unit());
    AudioUnitSetParameter(unit.unit(), 1, kAudioUnitScope_Global, 0, 0.5f, 0);

    const auto refused = [&](auto&& change) {
        CFMutableDictionaryRef copy = mutableCopy(state);
        change(copy);
        const OSStatus result = restoreState(unit.unit(), copy);
        CFRelease(copy);
        return result;
    };
    EXPECT_EQ(refused([](CFMutableDictionaryRef d) { setNumber(d, "version", 1); }),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(refused([](CFMutableDictionaryRef d) { CFDictionaryRemoveValue(d, CFSTR("version")); }),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(refused([](CFMutableDictionaryRef d) { setNumber(d, "subtype", FourCharCode("Flan")); }),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(refused([](CFMutableDictionaryRef d) { setNumber(d, "manufacturer", 0); }),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(refused([](CFMutableDictionaryRef d) { setNumber(d, "part", 0); }),
              kAudioUnitErr_InvalidPropertyValue);
    CFArrayRef notADictionary = CFArrayCreate(nullptr, nullptr, 0, &kCFTypeArrayCallBacks);
    EXPECT_EQ(restoreState(unit.unit(), notADictionary), kAudioUnitErr_InvalidPropertyValue);
    CFRelease(notADictionary);
    EXPECT_EQ(parameter(unit.unit(), 1), 0.5f);

    // The blob is applied up to what is wrong with it.
    EXPECT_EQ(refused([](CFMutableDictionaryRef d) {
                  setData(d, {0, 0, 1, 2, std::bit_cast<UInt32>(0.25f), 5, 0});
              }),
              kAudioUnitErr_InvalidScope);
    EXPECT_EQ(parameter(unit.unit(), 2), 0.25f);
    EXPECT_EQ(refused([](CFMutableDictionaryRef d) {
                  setData(d, {0, 0, 2, 3, std::bit_cast<UInt32>(0.75f), 21, 0});
              }),
              kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(parameter(unit.unit(), 3), 0.75f);
    // Cut short or naming a missing element: applied as far as it goes, success.
    EXPECT_EQ(refused([](CFMutableDictionaryRef d) {
                  setData(d, {0, 0, 1000, 4, std::bit_cast<UInt32>(0.125f), 6});
              }),
              noErr);
    EXPECT_EQ(parameter(unit.unit(), 4), 0.125f);
    EXPECT_EQ(refused([](CFMutableDictionaryRef d) { setData(d, {0, 7, 1, 5, 0}); }), noErr);
    EXPECT_EQ(refused([](CFMutableDictionaryRef d) { setData(d, {}); }), noErr);
    CFRelease(state);
}

// Records for elements that declare no parameters (a state written by
// another unit, or made to exhaust memory) change nothing and are not saved
// again; the records after them still apply.
TEST(AUBaseState, ForeignRecordsNeitherGrowTheUnitNorComeBack)
{
    OpenTestEffect unit;
    CFPropertyListRef fresh = saveState(unit.unit());
    const auto blobLength = [](CFPropertyListRef state) {
        return CFDataGetLength(
            static_cast<CFDataRef>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), CFSTR("data"))));
    };

    constexpr UInt32 kForeignIds = 100000;
    std::vector<UInt8> blob;
    const auto append = [&](UInt32 word) {
        for (int shift = 24; shift >= 0; shift -= 8) blob.push_back(static_cast<UInt8>(word >> shift));
    };
    for (const AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output}) {
        append(scope);
        append(0);
        append(kForeignIds);
        for (UInt32 id = 0; id < kForeignIds; ++id) {
            append(id);
            append(std::bit_cast<UInt32>(1.0f));
        }
    }
    for (const UInt32 word : {0u, 0u, 1u, 2u, std::bit_cast<UInt32>(0.25f)}) append(word);
    CFMutableDictionaryRef state = mutableCopy(fresh);
    CFDataRef data = CFDataCreate(nullptr, blob.data(), static_cast<CFIndex>(blob.size()));
    CFDictionarySetValue(state, CFSTR("data"), data);
    CFRelease(data);

    EXPECT_EQ(restoreState(unit.unit(), state), noErr);
    EXPECT_EQ(parameter(unit.unit(), 2), 0.25f);
    for (const AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output}) {
        UInt32 size = 1;
        EXPECT_EQ(
            AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_ParameterList, scope, 0, &size, nullptr),
            noErr);
        EXPECT_EQ(size, 0u) << scope;
    }
    CFPropertyListRef saved = saveState(unit.unit());
    EXPECT_EQ(blobLength(saved), blobLength(fresh));
    CFRelease(saved);
    CFRelease(state);
    CFRelease(fresh);
}
