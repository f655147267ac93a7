#include <gtest/gtest.h>

#include <vector>

#include "tests/au/StereoBuffers.h"
#include "tests/au/TestEffect.h"

namespace {

AudioTimeStamp at(Float64 sampleTime)
{
    AudioTimeStamp stamp{};
    stamp.mSampleTime = sampleTime;
    stamp.mFlags = kAudioTimeStampSampleTimeValid;
    return stamp;
}

OSStatus recordFlags(void* userData, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                     AudioBufferList*)
{
    static_cast<std::vector<AudioUnitRenderActionFlags>*>(userData)->push_back(*flags);
    return noErr;
}

} // namespace

TEST(AUBaseRender, ChecksTheCallAndRendersEachSampleTimeOnce)
{
    OpenTestEffect effect;
    const AudioUnit unit = effect.unit();
    TestEffect& object = effect.object();
    StereoBuffers out(512);
    AudioTimeStamp stamp = at(0);
    AudioUnitRenderActionFlags flags = 0;

    EXPECT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, 512, &out.list()), kAudioUnitErr_Uninitialized);
    ASSERT_EQ(AudioUnitInitialize(unit), noErr);
    EXPECT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, 1157, &out.list()),
              kAudioUnitErr_TooManyFramesToProcess);
    EXPECT_EQ(AudioUnitRender(unit, &flags, nullptr, 0, 512, &out.list()), paramErr);
    EXPECT_EQ(AudioUnitRender(unit, &flags, &stamp, 1, 512, &out.list()), kAudioUnitErr_InvalidElement);
    out.list().mNumberBuffers = 1;
    EXPECT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, 512, &out.list()), paramErr);
    out.list().mNumberBuffers = 2;

    // The first failure is recorded until read.
    OSStatus error = 0;
    UInt32 size = sizeof error;
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_LastRenderError, kAudioUnitScope_Global, 0,
                                   &error, &size),
              noErr);
    EXPECT_EQ(error, kAudioUnitErr_Uninitialized);
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_LastRenderError, kAudioUnitScope_Global, 0,
                                   &error, &size),
              noErr);
    EXPECT_EQ(error, noErr);

    EXPECT_EQ(AudioUnitRender(unit, nullptr, &stamp, 0, 512, &out.list()), noErr);
    EXPECT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, 512, &out.list()), noErr);
    EXPECT_EQ(object.renderCalls, 1);
    stamp = at(512);
    EXPECT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, 512, &out.list()), noErr);
    EXPECT_EQ(object.renderCalls, 2);

    // Without memory of its own the caller gets the unit's buffers.
    StereoBuffers bare(256, 2, false);
    stamp = at(1024);
    ASSERT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, 256, &bare.list()), noErr);
    EXPECT_NE(bare.list().mBuffers[1].mData, nullptr);
    EXPECT_EQ(bare.list().mBuffers[1].mDataByteSize, 256u * 4);
}

TEST(AUBaseRender, NotificationsSurroundTheRenderFromTheNextCallOn)
{
    OpenTestEffect effect;
    const AudioUnit unit = effect.unit();
    ASSERT_EQ(AudioUnitInitialize(unit), noErr);
    StereoBuffers out(64);
    std::vector<AudioUnitRenderActionFlags> seen;
    EXPECT_EQ(AudioUnitAddRenderNotify(unit, nullptr, &seen), paramErr);
    ASSERT_EQ(AudioUnitAddRenderNotify(unit, recordFlags, &seen), noErr);
    ASSERT_EQ(AudioUnitAddRenderNotify(unit, recordFlags, &seen), noErr); // already there: once
    AudioTimeStamp stamp = at(0);
    AudioUnitRenderActionFlags flags = kAudioUnitRenderAction_OutputIsSilence;
    ASSERT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, 64, &out.list()), noErr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], kAudioUnitRenderAction_OutputIsSilence | kAudioUnitRenderAction_PreRender);
    EXPECT_EQ(seen[1], kAudioUnitRenderAction_OutputIsSilence | kAudioUnitRenderAction_PostRender);

    // A failing render says so after the fact.
    effect.object().renderResult = -7;
    stamp = at(64);
    flags = 0;
    EXPECT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, 64, &out.list()), -7);
    EXPECT_EQ(seen.back(), kAudioUnitRenderAction_PostRender | kAudioUnitRenderAction_PostRenderError);

    // Removing applies at the next render; removing an unknown one changes nothing.
    ASSERT_EQ(AudioUnitRemoveRenderNotify(unit, recordFlags, nullptr), noErr);
    ASSERT_EQ(AudioUnitRemoveRenderNotify(unit, recordFlags, &seen), noErr);
    seen.clear();
    stamp = at(128);
    AudioUnitRender(unit, &flags, &stamp, 0, 64, &out.list());
    EXPECT_TRUE(seen.empty());
}

TEST(AUBaseRender, ScheduledImmediateEventsApplyAtOnce)
{
    OpenTestEffect effect;
    AudioUnitParameterEvent events[2]{};
    events[0].scope = kAudioUnitScope_Global;
    events[0].parameter = 2;
    events[0].eventType = kParameterEvent_Immediate;
    events[0].eventValues.immediate = {100, 0.5f};
    events[1] = events[0];
    events[1].eventType = kParameterEvent_Ramped;
    events[1].eventValues.ramp = {200, 100, 0.0f, 1.0f};
    ASSERT_EQ(AudioUnitScheduleParameters(effect.unit(), events, 2), noErr);
    AudioUnitParameterValue value = 0;
    ASSERT_EQ(AudioUnitGetParameter(effect.unit(), 2, kAudioUnitScope_Global, 0, &value), noErr);
    EXPECT_EQ(value, 0.5f);
    EXPECT_EQ(effect.object().GetScheduledEvents().size(), 2u);
}
