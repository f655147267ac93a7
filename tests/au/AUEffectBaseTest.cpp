// An effect rendered as a host renders it: input from a callback or from
// another unit, scheduled events, bypass and silence.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/au/GainEffect.h"
#include "tests/au/StereoBuffers.h"

namespace {

// Input callback: a ramp 0, 1, 2, ... per channel, plus the channel number / 10.
OSStatus rampInput(void* flagsToSet, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32,
                   UInt32 frames, AudioBufferList* data)
{
    *flags |= *static_cast<AudioUnitRenderActionFlags*>(flagsToSet);
    for (UInt32 b = 0; b < data->mNumberBuffers; ++b)
        for (UInt32 i = 0; i < frames; ++i)
            static_cast<float*>(data->mBuffers[b].mData)[i] =
                static_cast<float>(i) + 0.1f * static_cast<float>(b);
    return noErr;
}

OSStatus render(AudioUnit unit, StereoBuffers& out, Float64 sampleTime, AudioUnitRenderActionFlags flags = 0)
{
    AudioTimeStamp stamp{};
    stamp.mSampleTime = sampleTime;
    return AudioUnitRender(unit, &flags, &stamp, 0, out.frames(), &out.list());
}

} // namespace

TEST(AUEffectBase, RendersFromACallbackInSlicesAtScheduledEvents)
{
    OpenGain gain;
    AudioUnitRenderActionFlags noFlags = 0;
    ASSERT_EQ(AudioUnitInitialize(gain.unit), noErr);
    StereoBuffers out(512);
    EXPECT_EQ(render(gain.unit, out, 0), kAudioUnitErr_NoConnection);

    const AURenderCallbackStruct callback{rampInput, &noFlags};
    ASSERT_EQ(AudioUnitSetProperty(gain.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                   &callback, sizeof callback),
              noErr);
    AudioUnitSetParameter(gain.unit, 0, kAudioUnitScope_Global, 0, 2.0f, 0);
    // Sample time 0 was taken by the failed render: it is not rendered again.
    ASSERT_EQ(render(gain.unit, out, 0), noErr);
    EXPECT_TRUE(gain.object().slices.empty());
    ASSERT_EQ(render(gain.unit, out, 512), noErr);
    EXPECT_EQ(out.channel(0)[10], 20.0f);
    EXPECT_EQ(out.channel(1)[10], 2.0f * 10.1f);
    EXPECT_EQ(gain.object().slices, std::vector<UInt32>{512});

    // An immediate event at 100 and a ramp from 200 lasting 100 frames.
    AudioUnitParameterEvent events[2]{};
    events[0].scope = events[1].scope = kAudioUnitScope_Global;
    events[0].eventType = kParameterEvent_Immediate;
    events[0].eventValues.immediate = {100, 3.0f};
    events[1].eventType = kParameterEvent_Ramped;
    events[1].eventValues.ramp = {200, 100, 3.0f, 4.0f};
    ASSERT_EQ(AudioUnitScheduleParameters(gain.unit, events, 2), noErr);
    gain.object().slices.clear();
    ASSERT_EQ(render(gain.unit, out, 1024), noErr);
    EXPECT_EQ(gain.object().slices, (std::vector<UInt32>{100, 100, 100, 212}));
    // The lists are whole again for the caller.
    EXPECT_EQ(out.list().mBuffers[0].mDataByteSize, 512u * 4);
    EXPECT_EQ(out.list().mBuffers[0].mData, out.channel(0).data());
}

TEST(AUEffectBase, BypassAndSilence)
{
    OpenGain gain;
    AudioUnitRenderActionFlags silence = kAudioUnitRenderAction_OutputIsSilence, noFlags = 0;
    const AURenderCallbackStruct callback{rampInput, &noFlags};
    AudioUnitSetProperty(gain.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                         sizeof callback);
    AudioUnitSetParameter(gain.unit, 0, kAudioUnitScope_Global, 0, 5.0f, 0);
    ASSERT_EQ(AudioUnitInitialize(gain.unit), noErr);

    UInt32 on = 1;
    ASSERT_EQ(AudioUnitSetProperty(gain.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on,
                                   sizeof on),
              noErr);
    StereoBuffers out(64);
    ASSERT_EQ(render(gain.unit, out, 0), noErr);
    EXPECT_EQ(out.channel(0)[7], 7.0f);
    EXPECT_TRUE(gain.object().slices.empty());

    on = 0;
    AudioUnitSetProperty(gain.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on,
                         sizeof on);
    // A source that reports silence gets a zeroed output whatever the effect did.
    const AURenderCallbackStruct silent{rampInput, &silence};
    AudioUnitSetProperty(gain.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &silent,
                         sizeof silent);
    // Switching bypass off reset the unit, so sample time 0 renders again.
    ASSERT_EQ(render(gain.unit, out, 0), noErr);
    EXPECT_EQ(gain.object().slices.size(), 1u);
    EXPECT_EQ(out.channel(0)[7], 0.0f);
}

TEST(AUEffectBase, PullsFromAConnectedUnit)
{
    OpenGain source, destination;
    AudioUnitRenderActionFlags noFlags = 0;
    const AURenderCallbackStruct callback{rampInput, &noFlags};
    AudioUnitSetProperty(source.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                         &callback, sizeof callback);
    AudioUnitSetParameter(source.unit, 0, kAudioUnitScope_Global, 0, 2.0f, 0);
    AudioUnitSetParameter(destination.unit, 0, kAudioUnitScope_Global, 0, 3.0f, 0);

    // The destination's input takes the source's format.
    AudioStreamBasicDescription format{};
    UInt32 size = sizeof format;
    AudioUnitGetProperty(source.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                         &size);
    format.mSampleRate = 48000.0;
    ASSERT_EQ(AudioUnitSetProperty(source.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                   &format, sizeof format),
              noErr);
    const AudioUnitConnection connection{source.unit, 0, 0};
    ASSERT_EQ(AudioUnitSetProperty(destination.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input,
                                   0, &connection, sizeof connection),
              noErr);
    Float64 rate = 0;
    size = sizeof rate;
    AudioUnitGetProperty(destination.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Input, 0, &rate,
                         &size);
    EXPECT_EQ(rate, 48000.0);

    ASSERT_EQ(AudioUnitInitialize(source.unit), noErr);
    ASSERT_EQ(AudioUnitInitialize(destination.unit), noErr);
    StereoBuffers out(128);
    ASSERT_EQ(render(destination.unit, out, 0), noErr);
    EXPECT_EQ(out.channel(0)[9], 54.0f);
    EXPECT_EQ(out.channel(1)[9], 6.0f * 9.1f);
}

// Events for a parameter or element the unit lacks are skipped, slice by
// slice; the good events of the same call still apply, and no render fails.
TEST(AUEffectBase, ScheduledEventsForMissingParametersAreSkipped)
{
    OpenGain gain;
    AudioUnitRenderActionFlags noFlags = 0;
    const AURenderCallbackStruct callback{rampInput, &noFlags};
    ASSERT_EQ(AudioUnitSetProperty(gain.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                   &callback, sizeof callback),
              noErr);
    ASSERT_EQ(AudioUnitInitialize(gain.unit), noErr);
    AudioUnitSetParameter(gain.unit, 0, kAudioUnitScope_Global, 0, 2.0f, 0);

    // The unit has one parameter (0) in one global element (0). Ramps never
    // pass through SetParameter, so only the render meets them.
    AudioUnitParameterEvent events[4]{};
    for (AudioUnitParameterEvent& event : events) {
        event.scope = kAudioUnitScope_Global;
        event.eventType = kParameterEvent_Ramped;
    }
    events[0].parameter = 6;
    events[0].eventValues.ramp = {0, 100, 7.0f, 8.0f};
    events[1].parameter = 0;
    events[1].eventValues.ramp = {200, 100, 3.0f, 4.0f};
    events[2].element = 1;
    events[2].eventValues.ramp = {50, 10, 9.0f, 9.0f};
    events[3].scope = kAudioUnitScope_Input;
    events[3].parameter = 1;
    events[3].eventValues.ramp = {0, 512, 9.0f, 9.0f};
    ASSERT_EQ(AudioUnitScheduleParameters(gain.unit, events, 4), noErr);
    StereoBuffers out(512);
    ASSERT_EQ(render(gain.unit, out, 0), noErr);
    EXPECT_EQ(out.channel(0)[10], 20.0f);
    EXPECT_EQ(out.channel(0)[250], 750.0f); // the good ramp's start value from its slice on
    AudioUnitParameterValue value = 0;
    ASSERT_EQ(AudioUnitGetParameter(gain.unit, 0, kAudioUnitScope_Global, 0, &value), noErr);
    EXPECT_EQ(value, 3.0f);
    // Nothing was added for the missing ids.
    EXPECT_EQ(AudioUnitGetParameter(gain.unit, 6, kAudioUnitScope_Global, 0, &value),
              kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(AudioUnitGetParameter(gain.unit, 1, kAudioUnitScope_Input, 0, &value),
              kAudioUnitErr_InvalidParameter);
    EXPECT_TRUE(gain.object().GetScheduledEvents().empty());
    ASSERT_EQ(render(gain.unit, out, 512), noErr);
}

namespace {

OSStatus failingInput(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                      AudioBufferList*)
{
    return -50;
}

} // namespace

// A render that fails, returning or throwing its status, uses up the events
// scheduled for it: the next render is not split at them.
TEST(AUEffectBase, AFailedRenderLeavesNoScheduledEvents)
{
    OpenGain gain;
    ASSERT_EQ(AudioUnitInitialize(gain.unit), noErr);
    AudioUnitParameterEvent event{};
    event.scope = kAudioUnitScope_Global;
    event.eventType = kParameterEvent_Ramped;
    event.eventValues.ramp = {100, 100, 3.0f, 4.0f};
    StereoBuffers out(512), tooLong(1157);
    AudioUnitRenderActionFlags noFlags = 0;
    const AURenderCallbackStruct failing{failingInput, nullptr}, working{rampInput, &noFlags};

    ASSERT_EQ(AudioUnitSetProperty(gain.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                   &failing, sizeof failing),
              noErr);
    ASSERT_EQ(AudioUnitScheduleParameters(gain.unit, &event, 1), noErr);
    EXPECT_EQ(render(gain.unit, out, 0), -50);
    EXPECT_TRUE(gain.object().GetScheduledEvents().empty());

    ASSERT_EQ(AudioUnitSetProperty(gain.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                   &working, sizeof working),
              noErr);
    ASSERT_EQ(AudioUnitScheduleParameters(gain.unit, &event, 1), noErr);
    EXPECT_EQ(render(gain.unit, tooLong, 512), kAudioUnitErr_TooManyFramesToProcess);
    EXPECT_TRUE(gain.object().GetScheduledEvents().empty());

    gain.object().slices.clear();
    ASSERT_EQ(render(gain.unit, out, 1024), noErr);
    EXPECT_EQ(gain.object().slices, std::vector<UInt32>{512});
    EXPECT_EQ(out.channel(0)[150], 150.0f);
}
