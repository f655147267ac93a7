// Scheduled parameter events through the component interface, as a host's
// automation sends them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/audiounit/AudioUnit.h"
#include "tests/core/UnitHost.h"

using namespace unithost;

// An immediate event for a parameter the unit lacks is skipped: it neither
// fails the renders after it nor stops the good event scheduled with it.
TEST(UnitScheduledEvents, AnEventForAMissingParameterIsSkipped)
{
    for (const char* subtype : {"Flan", "TILT"}) {
        Unit unit(subtype);
        ASSERT_NE(static_cast<AudioUnit>(unit), nullptr);
        setFormat(unit, 44100.0, 2);
        UInt32 size = 0;
        ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                           &size, nullptr),
                  noErr);
        const auto count = static_cast<AudioUnitParameterID>(size / sizeof(AudioUnitParameterID));

        AudioUnitParameterEvent events[2]{};
        events[0].scope = events[1].scope = kAudioUnitScope_Global;
        events[0].eventType = events[1].eventType = kParameterEvent_Immediate;
        events[0].parameter = count + 5;
        events[0].eventValues.immediate = {0, 0.3f};
        events[1].parameter = 1;
        events[1].eventValues.immediate = {64, 0.25f};
        ASSERT_EQ(AudioUnitScheduleParameters(unit, events, 2), noErr);

        // Each block's render must succeed (the helper checks every one).
        const std::vector<float> output = unit.render(testSignal(2048, 2), 2);
        ASSERT_EQ(output.size(), 4096u);
        EXPECT_TRUE(std::all_of(output.begin(), output.end(), [](float x) { return std::isfinite(x); }));
        EXPECT_TRUE(std::any_of(output.begin(), output.end(), [](float x) { return x != 0.0f; }));
        EXPECT_EQ(unit.parameter(1), 0.25f) << subtype;
        AudioUnitParameterValue value = 0;
        EXPECT_EQ(AudioUnitGetParameter(unit, count + 5, kAudioUnitScope_Global, 0, &value),
                  kAudioUnitErr_InvalidParameter);
    }
}
