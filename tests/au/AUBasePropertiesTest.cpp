// Rows of the property table that hosts rely on, through the AudioUnit calls.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/au/TestEffect.h"

namespace {

struct Seen {
    std::vector<AudioUnitPropertyID> ids;
    AudioUnit unit = nullptr;
    bool addDuringWalk = false;
};

void record(void* data, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
    auto& seen = *static_cast<Seen*>(data);
    seen.ids.push_back(id);
    // A listener that registers another while it is being called.
    if (seen.addDuringWalk) {
        seen.addDuringWalk = false;
        AudioUnitAddPropertyListener(seen.unit, id, record, data);
    }
}

} // namespace

TEST(AUBaseProperties, ScopesElementsAndSizesAreChecked)
{
    OpenTestEffect effect;
    const AudioUnit unit = effect.unit();
    UInt32 size = 0;
    uint8_t writable = 0;
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Input, 0, &size,
                                       &writable),
              kAudioUnitErr_InvalidScope);
    ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &size,
                                       &writable),
              noErr);
    EXPECT_EQ(size, sizeof(CFPropertyListRef));
    EXPECT_EQ(writable, 1);
    EXPECT_EQ(
        AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 1, &size, nullptr),
        kAudioUnitErr_InvalidElement);
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit, 12345, kAudioUnitScope_Global, 0, &size, nullptr),
              kAudioUnitErr_InvalidProperty);

    // The channel table, the default tail, last-render-error sizes.
    AUChannelInfo pairs[2]{};
    size = sizeof pairs;
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0,
                                   pairs, &size),
              noErr);
    EXPECT_EQ(size, sizeof pairs);
    EXPECT_EQ(pairs[1].outChannels, 2);
    Float64 seconds = -1;
    size = sizeof seconds;
    EXPECT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, &seconds, &size),
        kAudioUnitErr_InvalidProperty);

    // Host callbacks: a short block keeps what it gives and zeroes the rest.
    HostCallbackInfo callbacks{};
    std::memset(&callbacks, 0xAB, sizeof callbacks);
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
                                   &callbacks, 2 * sizeof(void*)),
              noErr);
    HostCallbackInfo stored{};
    size = sizeof stored;
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &stored,
                                   &size),
              noErr);
    EXPECT_EQ(stored.hostUserData, callbacks.hostUserData);
    EXPECT_EQ(stored.beatAndTempoProc, callbacks.beatAndTempoProc);
    EXPECT_EQ(stored.musicalTimeLocationProc, nullptr);
    EXPECT_EQ(stored.transportStateProc, nullptr);
}

TEST(AUBaseProperties, PresetsNamesAndListeners)
{
    OpenTestEffect effect;
    const AudioUnit unit = effect.unit();
    Seen seen{{}, unit, true};
    AudioUnitAddPropertyListener(unit, kAudioUnitProperty_CurrentPreset, record, &seen);

    AUPreset preset{-1, nullptr};
    EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0, &preset,
                                   sizeof preset),
              kAudioUnitErr_InvalidPropertyValue);
    preset.presetName = CFSTR("Mine");
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0, &preset,
                                   sizeof preset),
              noErr);
    // The listener added during the walk is called from the next change on.
    EXPECT_EQ(seen.ids.size(), 1u);
    preset.presetNumber = 3; // a factory preset this unit does not have
    EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0, &preset,
                                   sizeof preset),
              kAudioUnitErr_InvalidProperty);
    AUPreset current{};
    UInt32 size = sizeof current;
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0,
                                   &current, &size),
              noErr);
    EXPECT_EQ(current.presetNumber, -1);
    EXPECT_TRUE(CFEqual(current.presetName, CFSTR("Mine")));
    CFRelease(current.presetName); // the present preset hands out a reference
    preset = {-1, CFSTR("Again")};
    AudioUnitSetProperty(unit, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0, &preset,
                         sizeof preset);
    EXPECT_EQ(seen.ids.size(), 3u);

    // Element and context names; none stored answers -10851.
    CFStringRef name = nullptr;
    size = sizeof name;
    EXPECT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &name, &size),
        kAudioUnitErr_InvalidPropertyValue);
    name = CFSTR("Main in");
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &name,
                                   sizeof name),
              noErr);
    EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 4, &name,
                                   sizeof name),
              kAudioUnitErr_InvalidElement);
    // A failed get left the size word at 0.
    EXPECT_EQ(size, 0u);
    CFStringRef read = nullptr;
    size = sizeof read;
    ASSERT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &read, &size),
        noErr);
    EXPECT_TRUE(CFEqual(read, name));
    CFRelease(read);
    EXPECT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_ContextName, kAudioUnitScope_Global, 0, &read, &size),
        kAudioUnitErr_InvalidPropertyValue);
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_ContextName, kAudioUnitScope_Global, 0, &name,
                                   sizeof name),
              noErr);
    EXPECT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_ContextName, kAudioUnitScope_Global, 0, nullptr, 0),
        noErr);
    size = sizeof read;
    EXPECT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_ContextName, kAudioUnitScope_Global, 0, &read, &size),
        kAudioUnitErr_InvalidPropertyValue);
}
