#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "tests/au/TestEffect.h"

namespace {

std::vector<UInt8> bigEndian(std::initializer_list<UInt32> words)
{
    std::vector<UInt8> bytes;
    for (UInt32 w : words)
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<UInt8>(w >> shift));
    return bytes;
}

UInt32 bits(float value)
{
    return std::bit_cast<UInt32>(value);
}

} // namespace

TEST(AUElement, StateBytesRoundTripAndStayInBounds)
{
    OpenTestEffect effect;
    AUElement& globals = *effect.object().Globals();
    globals.SetParameter(3, 0.25f);
    globals.SetParameter(20, -1e-30f);

    CFMutableDataRef data = CFDataCreateMutable(nullptr, 0);
    globals.SaveState(data);
    ASSERT_EQ(CFDataGetLength(data), 4 + 21 * 8);
    const UInt8* bytes = CFDataGetBytePtr(data);
    EXPECT_EQ(std::vector<UInt8>(bytes, bytes + 4), bigEndian({21}));
    EXPECT_EQ(std::vector<UInt8>(bytes + 4 + 3 * 8, bytes + 4 + 4 * 8), bigEndian({3, bits(0.25f)}));

    OpenTestEffect other;
    AUElement& restored = *other.object().Globals();
    const UInt8* end = bytes + CFDataGetLength(data);
    EXPECT_EQ(restored.RestoreState(bytes, end), end);
    for (AudioUnitParameterID id = 0; id < 21; ++id)
        EXPECT_EQ(bits(restored.GetParameter(id)), bits(globals.GetParameter(id))) << id;
    CFRelease(data);

    // A count of 2 with two pairs sets exactly those.
    const auto pairs = bigEndian({2, 3, bits(0.5f), 4, bits(0.75f), 99});
    EXPECT_EQ(restored.RestoreState(pairs.data(), pairs.data() + pairs.size()), pairs.data() + 20);
    EXPECT_EQ(restored.GetParameter(3), 0.5f);
    EXPECT_EQ(restored.GetParameter(4), 0.75f);

    // A count beyond the bytes restores the complete pairs and stops.
    const auto truncated = bigEndian({1000, 5, bits(0.125f), 6});
    EXPECT_EQ(restored.RestoreState(truncated.data(), truncated.data() + truncated.size()),
              truncated.data() + 12);
    EXPECT_EQ(restored.GetParameter(5), 0.125f);
    EXPECT_EQ(restored.GetParameter(6), 0.0f);

    // An id the indexed element lacks stops the restore.
    const auto unknown = bigEndian({2, 7, bits(1.0f), 21, bits(1.0f)});
    try {
        restored.RestoreState(unknown.data(), unknown.data() + unknown.size());
        FAIL() << "no status thrown";
    } catch (OSStatus status) {
        EXPECT_EQ(status, kAudioUnitErr_InvalidParameter);
    }
    EXPECT_EQ(restored.GetParameter(7), 1.0f);
}

// An element that keeps parameters by id restores only those it has.
TEST(AUElement, RestoreSetsOnlyTheParametersAnElementHas)
{
    OpenTestEffect effect;
    AUElement& input = *effect.object().GetScope(kAudioUnitScope_Input).GetElement(0);
    input.SetParameter(3, 0.0f);
    const auto pairs = bigEndian({3, 99, bits(1.0f), 3, bits(0.5f), 100, bits(1.0f)});
    EXPECT_EQ(input.RestoreState(pairs.data(), pairs.data() + pairs.size()), pairs.data() + pairs.size());
    EXPECT_EQ(input.GetParameter(3), 0.5f);
    ASSERT_EQ(input.GetNumberOfParameters(), 1u);
    EXPECT_THROW(input.GetParameter(99), OSStatus);
}

TEST(AUElement, NamesAreRetainedAndRestoredWithinBounds)
{
    OpenTestEffect effect;
    AUScope& inputs = effect.object().GetScope(kAudioUnitScope_Input);
    EXPECT_FALSE(inputs.HasElementWithName());

    CFStringRef name = CFStringCreateWithCString(nullptr, "Side chain", kCFStringEncodingUTF8);
    const CFIndex before = CFGetRetainCount(name);
    inputs.GetElement(0)->SetName(name);
    EXPECT_EQ(CFGetRetainCount(name), before + 1);
    EXPECT_TRUE(inputs.HasElementWithName());

    CFMutableDictionaryRef all = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                           &kCFTypeDictionaryValueCallBacks);
    inputs.AddElementNamesToDict(all);
    const auto* scopeNames = static_cast<CFDictionaryRef>(CFDictionaryGetValue(all, CFSTR("1")));
    ASSERT_NE(scopeNames, nullptr);
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(scopeNames, CFSTR("0")), name));

    // Restoring names element 2 too, growing the scope; an absurd index is ignored.
    CFMutableDictionaryRef names = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                             &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(names, CFSTR("2"), name);
    CFDictionarySetValue(names, CFSTR("4000000000"), name);
    EXPECT_TRUE(inputs.RestoreElementNames(names));
    EXPECT_EQ(inputs.GetNumberOfElements(), 3u);
    EXPECT_TRUE(CFEqual(inputs.GetElement(2)->GetName(), name));
    EXPECT_FALSE(inputs.GetElement(1)->HasName());

    inputs.GetElement(0)->SetName(nullptr);
    inputs.SetNumberOfElements(1);
    CFRelease(names);
    CFRelease(all);
    EXPECT_EQ(CFGetRetainCount(name), before);
    CFRelease(name);
}
