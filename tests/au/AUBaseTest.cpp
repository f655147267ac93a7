// The unit driven as a host drives it: through the Component Manager and
// the AudioUnit calls only (the object is looked at, never called).

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/audiounit/AudioUnit.h"
#include "tests/au/TestEffect.h"

namespace {

OSStatus canDo(AudioUnit unit, int16_t selector)
{
    return platform::callSelector(unit, kComponentCanDoSelect, selector);
}

struct Notification {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    AudioUnitElement element;
};

void recordNotification(void* userData, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope,
                        AudioUnitElement element)
{
    static_cast<std::vector<Notification>*>(userData)->push_back({id, scope, element});
}

} // namespace

TEST(AUBase, AnswersTheGenericAndAudioUnitSelectors)
{
    OpenTestEffect effect;
    const AudioUnit unit = effect.unit();
    for (int16_t selector : {-4, -3, -2, -1, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17, 18})
        EXPECT_EQ(canDo(unit, selector), 1) << selector;
    for (int16_t selector : {-5, 0, 8, 12, 13, 19, 100}) EXPECT_EQ(canDo(unit, selector), 0) << selector;
    EXPECT_EQ(platform::callSelector(unit, kComponentVersionSelect), 1);
    for (int16_t selector : {8, 12, 13, 19, 42})
        EXPECT_EQ(platform::callSelector(unit, selector), badComponentSelector);
}

TEST(AUBase, ChecksArguments)
{
    OpenTestEffect effect;
    const AudioUnit unit = effect.unit();
    Float64 rate = 0;
    UInt32 size = sizeof rate;
    EXPECT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, &rate, nullptr),
        paramErr);
    size = 0;
    EXPECT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, &rate, &size),
        paramErr);
    EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, &rate, 0),
              paramErr);
    EXPECT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, nullptr, 8),
        paramErr);
    EXPECT_EQ(AudioUnitGetParameter(unit, 0, kAudioUnitScope_Global, 0, nullptr), paramErr);

    // Without a stored object every selector is refused.
    ComponentParameters params{};
    params.what = kAudioUnitInitializeSelect;
    EXPECT_EQ(ComponentEntryPoint<TestEffect>::Dispatch(&params, nullptr), paramErr);
}

TEST(AUBase, InitializeAndUninitializeToggleOnce)
{
    OpenTestEffect effect;
    TestEffect& object = effect.object();
    EXPECT_EQ(AudioUnitUninitialize(effect.unit()), noErr);
    EXPECT_EQ(object.cleanupCalls, 0);

    object.initializeResult = kAudioUnitErr_FormatNotSupported;
    EXPECT_EQ(AudioUnitInitialize(effect.unit()), kAudioUnitErr_FormatNotSupported);
    EXPECT_FALSE(object.IsInitialized());

    object.initializeResult = noErr;
    EXPECT_EQ(AudioUnitInitialize(effect.unit()), noErr);
    EXPECT_EQ(AudioUnitInitialize(effect.unit()), noErr);
    EXPECT_EQ(object.initializeCalls, 2);
    EXPECT_TRUE(object.IsInitialized());
    EXPECT_EQ(AudioUnitUninitialize(effect.unit()), noErr);
    EXPECT_EQ(object.cleanupCalls, 1);
    EXPECT_FALSE(object.IsInitialized());
}

TEST(AUBase, ExceptionsBecomeStatuses)
{
    OpenTestEffect effect;
    const std::pair<UInt32, OSStatus> cases[] = {{0, -12345}, {1, -5}, {2, memFullErr}, {3, -1}};
    for (const auto& [kind, status] : cases)
        EXPECT_EQ(AudioUnitSetProperty(effect.unit(), TestEffect::kThrowProperty, kAudioUnitScope_Global, 0,
                                       &kind, sizeof kind),
                  status)
            << kind;
    // The unit still works afterwards.
    EXPECT_EQ(AudioUnitSetParameter(effect.unit(), 3, kAudioUnitScope_Global, 0, 0.25f, 0), noErr);
}

TEST(AUBase, ScopesElementsAndParameters)
{
    OpenTestEffect effect;
    const AudioUnit unit = effect.unit();
    AudioUnitParameterValue value = -1;
    EXPECT_EQ(AudioUnitGetParameter(unit, 0, 5, 0, &value), kAudioUnitErr_InvalidScope);
    EXPECT_EQ(AudioUnitGetParameter(unit, 0, kAudioUnitScope_Global, 1, &value),
              kAudioUnitErr_InvalidElement);
    EXPECT_EQ(AudioUnitGetParameter(unit, 21, kAudioUnitScope_Global, 0, &value),
              kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(AudioUnitSetParameter(unit, 21, kAudioUnitScope_Global, 0, 1.0f, 0),
              kAudioUnitErr_InvalidParameter);

    // The indexed global element: ids 0 to 20, all 0 until set.
    UInt32 size = 0;
    uint8_t writable = 1;
    ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                       &size, &writable),
              noErr);
    EXPECT_EQ(size, 21 * sizeof(AudioUnitParameterID));
    EXPECT_EQ(writable, 0);
    std::vector<AudioUnitParameterID> ids(21);
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                   ids.data(), &size),
              noErr);
    for (UInt32 i = 0; i < 21; ++i) {
        EXPECT_EQ(ids[i], i);
        ASSERT_EQ(AudioUnitGetParameter(unit, i, kAudioUnitScope_Global, 0, &value), noErr);
        EXPECT_EQ(value, 0.0f);
    }
    ASSERT_EQ(AudioUnitSetParameter(unit, 7, kAudioUnitScope_Global, 0, -0.375f, 12), noErr);
    ASSERT_EQ(AudioUnitGetParameter(unit, 7, kAudioUnitScope_Global, 0, &value), noErr);
    EXPECT_EQ(value, -0.375f);

    // Other scopes keep their parameters in a map that grows on demand.
    ASSERT_EQ(AudioUnitSetParameter(unit, 1000, kAudioUnitScope_Input, 0, 2.5f, 0), noErr);
    ASSERT_EQ(AudioUnitGetParameter(unit, 1000, kAudioUnitScope_Input, 0, &value), noErr);
    EXPECT_EQ(value, 2.5f);
    EXPECT_EQ(AudioUnitGetParameter(unit, 999, kAudioUnitScope_Input, 0, &value),
              kAudioUnitErr_InvalidParameter);

    // Element counts are fixed for hosts.
    UInt32 count = 0;
    size = sizeof count;
    ASSERT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &count, &size),
        noErr);
    EXPECT_EQ(count, 1u);
    count = 2;
    EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &count,
                                   sizeof count),
              kAudioUnitErr_PropertyNotWritable);
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ElementCount, 7, 0, &size, nullptr),
              kAudioUnitErr_InvalidScope);
}

TEST(AUBase, ShortGetCopiesAPrefix)
{
    OpenTestEffect effect;
    UInt32 frames = 0xAAAAAAAA;
    UInt32 size = 2;
    ASSERT_EQ(AudioUnitGetProperty(effect.unit(), kAudioUnitProperty_MaximumFramesPerSlice,
                                   kAudioUnitScope_Global, 0, &frames, &size),
              noErr);
    EXPECT_EQ(size, 2u);
    UInt32 expected = 0xAAAAAAAA;
    const UInt32 full = AUBase::kDefaultMaxFramesPerSlice;
    std::memcpy(&expected, &full, 2);
    EXPECT_EQ(frames, expected);

    // A null data pointer asks for the size.
    size = 0;
    ASSERT_EQ(AudioUnitGetProperty(effect.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                   nullptr, &size),
              noErr);
    EXPECT_EQ(size, sizeof(AudioStreamBasicDescription));
}

TEST(AUBase, StreamFormatsThroughProperties)
{
    OpenTestEffect effect;
    const AudioUnit unit = effect.unit();
    std::vector<Notification> notifications;
    ASSERT_EQ(AudioUnitAddPropertyListener(unit, kAudioUnitProperty_StreamFormat, recordNotification,
                                           &notifications),
              noErr);

    AudioStreamBasicDescription format{};
    UInt32 size = sizeof format;
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                   &size),
              noErr);
    EXPECT_EQ(format.mSampleRate, 44100.0);
    EXPECT_EQ(format.mFormatFlags, 41u);
    EXPECT_EQ(format.mChannelsPerFrame, 2u);
    EXPECT_EQ(format.mBytesPerFrame, 4u);

    // 48 kHz canonical: accepted and announced once; the same again changes nothing.
    format.mSampleRate = 48000.0;
    EXPECT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, 40),
        noErr);
    EXPECT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, 36),
        noErr);
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(notifications[0].scope, kAudioUnitScope_Output);
    Float64 rate = 0;
    size = sizeof rate;
    ASSERT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, &size),
        noErr);
    EXPECT_EQ(rate, 48000.0); // the global scope answers for output 0

    // A sample rate of 0 is a wildcard: nothing changes.
    AudioStreamBasicDescription wildcard = format;
    wildcard.mSampleRate = 0;
    EXPECT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &wildcard, 40),
        noErr);
    EXPECT_EQ(notifications.size(), 1u);

    // Interleaved stereo and 16-bit integers are not canonical.
    AudioStreamBasicDescription interleaved = format;
    interleaved.mFormatFlags = kAudioFormatFlagsNativeFloatPacked;
    interleaved.mBytesPerFrame = interleaved.mBytesPerPacket = 8;
    EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0,
                                   &interleaved, 40),
              kAudioUnitErr_FormatNotSupported);
    AudioStreamBasicDescription integer = format;
    integer.mFormatFlags =
        kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
    integer.mBitsPerChannel = 16;
    integer.mBytesPerFrame = integer.mBytesPerPacket = 2;
    EXPECT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &integer, 40),
        kAudioUnitErr_FormatNotSupported);

    // Sizes and elements are checked; a missing element reports the size first.
    EXPECT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, 35),
        kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 1, &format, 40),
        kAudioUnitErr_InvalidElement);
    size = 0;
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 1,
                                       &size, nullptr),
              kAudioUnitErr_InvalidElement);
    EXPECT_EQ(size, 40u);
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_StreamFormat, 9, 0, &size, nullptr),
              kAudioUnitErr_InvalidScope);

    // Mono in and out, then initialised: no more changes.
    AudioStreamBasicDescription mono = format;
    mono.mChannelsPerFrame = 1;
    EXPECT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &mono, 40),
        noErr);
    ASSERT_EQ(AudioUnitInitialize(unit), noErr);
    uint8_t writable = 1;
    ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &size,
                                       &writable),
              noErr);
    EXPECT_EQ(writable, 0);
    EXPECT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &mono, 40),
        kAudioUnitErr_PropertyNotWritable);
    rate = 96000.0;
    EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, &rate,
                                   sizeof rate),
              kAudioUnitErr_PropertyNotWritable);
}

TEST(AUBase, SliceSizeAndListeners)
{
    OpenTestEffect effect;
    const AudioUnit unit = effect.unit();
    std::vector<Notification> notifications;
    for (int i = 0; i < 3; ++i)
        AudioUnitAddPropertyListener(unit, kAudioUnitProperty_MaximumFramesPerSlice, recordNotification,
                                     &notifications);
    UInt32 frames = 512;
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                                   &frames, sizeof frames),
              noErr);
    EXPECT_EQ(notifications.size(), 3u);
    EXPECT_EQ(effect.object().GetMaxFramesPerSlice(), 512u);

    // All three registrations go at once.
    ASSERT_EQ(
        AudioUnitRemovePropertyListener(unit, kAudioUnitProperty_MaximumFramesPerSlice, recordNotification),
        noErr);
    ASSERT_EQ(AudioUnitInitialize(unit), noErr);
    EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                                   &frames, sizeof frames),
              kAudioUnitErr_Initialized);
    EXPECT_EQ(notifications.size(), 3u);
}
