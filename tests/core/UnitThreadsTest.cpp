// Both units rendered on one thread while a host's other thread sets
// parameters, chooses presets, restores state, toggles bypass, replaces the
// host callbacks and adds and removes a render notification, as a DAW's audio and main threads do (the
// render thread also schedules automation before each render). Meant
// for ThreadSanitizer, which reports any access the two threads share
// without an atomic; the checks below hold in any build.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <thread>
#include <vector>

#include "dsp/flanger/FlangerParameters.h"
#include "dsp/tilteq/TiltEqParameters.h"
#include "platform/audiounit/AudioUnit.h"
#include "tests/core/UnitHost.h"

using namespace unithost;

namespace {

constexpr UInt32 kBlock = 256;
constexpr int kHostIterations = 4000;

struct UnitKind {
    const char* subtype;
    UInt32 parameters;
    SInt32 programs;
};

OSStatus feedSine(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp* stamp, UInt32, UInt32 frames,
                  AudioBufferList* data)
{
    for (UInt32 c = 0; c < data->mNumberBuffers; ++c)
        for (UInt32 i = 0; i < frames; ++i)
            static_cast<float*>(data->mBuffers[c].mData)[i] =
                0.5f *
                std::sin(0.03f * static_cast<float>(stamp->mSampleTime + i) * static_cast<float>(c + 1));
    return noErr;
}

// The value the host thread gives parameter id at iteration i: within every
// parameter's range, different each time.
float valueAt(int i, AudioUnitParameterID id)
{
    return static_cast<float>((i * 7 + static_cast<int>(id) * 3) % 101) / 100.0f;
}

// A render notification: counts its calls (on the render thread).
OSStatus countCall(void* calls, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                   AudioBufferList*)
{
    ++*static_cast<int*>(calls);
    return noErr;
}

// Two tempo callbacks, each with its own user data; a render that called one
// with the other's data would have read the callbacks half replaced.
std::atomic<int> mismatchedCallbacks = 0;
Float64 slowTempo = 90.0, fastTempo = 150.0;
template <Float64* own> OSStatus tempoFrom(void* data, Float64* beat, Float64* tempo)
{
    mismatchedCallbacks += data != own;
    if (beat) *beat = 0;
    if (tempo) *tempo = *own;
    return noErr;
}

void setProperty(AudioUnit unit, AudioUnitPropertyID id, const void* data, UInt32 size)
{
    EXPECT_EQ(AudioUnitSetProperty(unit, id, kAudioUnitScope_Global, 0, data, size), noErr) << id;
}

} // namespace

TEST(UnitThreads, RenderWhileTheHostChangesParametersPresetsStateBypassAndCallbacks)
{
    for (const UnitKind& kind :
         {UnitKind{"Flan", flanger::kParameterCount, 20}, UnitKind{"TILT", tilteq::kParameterCount, 10}}) {
        Unit unit(kind.subtype);
        ASSERT_NE(static_cast<AudioUnit>(unit), nullptr);
        setFormat(unit, 44100.0, 2);
        const AURenderCallbackStruct callback{feedSine, nullptr};
        ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                       &callback, sizeof callback),
                  noErr);
        ASSERT_EQ(AudioUnitInitialize(unit), noErr);
        CFPropertyListRef state = nullptr;
        UInt32 size = sizeof state;
        ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                                       &size),
                  noErr);

        std::atomic<int> renders = 0;
        int notifications = 0;
        std::atomic<bool> hostDone = false;
        std::thread host([&] {
            while (renders.load() == 0) std::this_thread::yield();
            for (int i = 0; i < kHostIterations; ++i) {
                const AudioUnitParameterID id =
                    1 + static_cast<AudioUnitParameterID>(i) % (kind.parameters - 1);
                EXPECT_EQ(AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, valueAt(i, id), 0),
                          noErr);
                switch (i % 16) {
                case 3: {
                    const AUPreset preset{i % kind.programs, nullptr};
                    setProperty(unit, kAudioUnitProperty_PresentPreset, &preset, sizeof preset);
                    break;
                }
                case 5: {
                    const HostCallbackInfo callbacks =
                        i % 32 == 5 ? HostCallbackInfo{&slowTempo, tempoFrom<&slowTempo>, nullptr, nullptr}
                                    : HostCallbackInfo{&fastTempo, tempoFrom<&fastTempo>, nullptr, nullptr};
                    setProperty(unit, kAudioUnitProperty_HostCallbacks, &callbacks, sizeof callbacks);
                    break;
                }
                case 7:
                    setProperty(unit, kAudioUnitProperty_ClassInfo, &state, sizeof state);
                    break;
                case 11:
                case 13: {
                    const UInt32 bypass = i % 16 == 11;
                    setProperty(unit, kAudioUnitProperty_BypassEffect, &bypass, sizeof bypass);
                    break;
                }
                case 15:
                    EXPECT_EQ(i % 32 == 15 ? AudioUnitAddRenderNotify(unit, countCall, &notifications)
                                           : AudioUnitRemoveRenderNotify(unit, countCall, &notifications),
                              noErr);
                    break;
                }
            }
            // Last, every parameter once more and bypass off, for the checks after joining.
            for (AudioUnitParameterID id = 0; id < kind.parameters; ++id)
                AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, valueAt(kHostIterations, id), 0);
            const UInt32 off = 0;
            setProperty(unit, kAudioUnitProperty_BypassEffect, &off, sizeof off);
            EXPECT_EQ(AudioUnitAddRenderNotify(unit, countCall, &notifications), noErr);
            hostDone = true;
        });

        std::vector<float> left(kBlock), right(kBlock);
        std::vector<std::byte> listBytes(offsetof(AudioBufferList, mBuffers) + 2 * sizeof(AudioBuffer));
        auto& list = *reinterpret_cast<AudioBufferList*>(listBytes.data());
        AudioTimeStamp stamp{};
        stamp.mFlags = kAudioTimeStampSampleTimeValid;
        int failedRenders = 0, nonFinite = 0;
        const auto renderBlock = [&] {
            // Automation, scheduled on the render thread as hosts do: an
            // immediate event and a ramp, both at the value the host thread
            // sets last, so that the check after joining holds whenever they
            // land.
            const AudioUnitParameterID id =
                1 + static_cast<AudioUnitParameterID>(renders) % (kind.parameters - 1);
            const float last = valueAt(kHostIterations, id);
            AudioUnitParameterEvent events[2]{};
            events[0].scope = events[1].scope = kAudioUnitScope_Global;
            events[0].parameter = events[1].parameter = id;
            events[0].eventType = kParameterEvent_Immediate;
            events[0].eventValues.immediate = {32, last};
            events[1].eventType = kParameterEvent_Ramped;
            events[1].eventValues.ramp = {64, 64, last, last};
            EXPECT_EQ(AudioUnitScheduleParameters(unit, events, 2), noErr);
            list.mNumberBuffers = 2;
            list.mBuffers[0] = {1, kBlock * 4, left.data()};
            list.mBuffers[1] = {1, kBlock * 4, right.data()};
            AudioUnitRenderActionFlags flags = 0;
            failedRenders += AudioUnitRender(unit, &flags, &stamp, 0, kBlock, &list) != noErr;
            stamp.mSampleTime += kBlock;
            for (UInt32 i = 0; i < kBlock; ++i)
                nonFinite += !std::isfinite(left[i]) + !std::isfinite(right[i]);
            ++renders;
        };
        while (!hostDone.load()) renderBlock();
        host.join();
        const int concurrentRenders = renders.load();
        notifications = 0;
        renderBlock();

        EXPECT_GT(concurrentRenders, 1) << kind.subtype;
        EXPECT_EQ(failedRenders, 0) << kind.subtype;
        EXPECT_EQ(mismatchedCallbacks.load(), 0) << kind.subtype;
        EXPECT_EQ(nonFinite, 0) << kind.subtype;
        EXPECT_NE(left[kBlock - 1], 0.0f) << kind.subtype;
        EXPECT_EQ(notifications, 2) << kind.subtype; // before and after the render
        for (AudioUnitParameterID id = 0; id < kind.parameters; ++id)
            EXPECT_EQ(unit.parameter(id), valueAt(kHostIterations, id)) << kind.subtype << " " << id;
        UInt32 bypass = 1;
        size = sizeof bypass;
        ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0,
                                       &bypass, &size),
                  noErr);
        EXPECT_EQ(bypass, 0u) << kind.subtype;
        CFRelease(state);
    }
}

// Two host threads each open units and choose programs while the other does
// the same: the program bank all instances share is read-only, so
// ThreadSanitizer sees nothing, and every unit plays the values its program
// had when chosen on this thread alone.
TEST(UnitThreads, UnitsOpenAndChooseProgramsOnSeveralThreads)
{
    constexpr SInt32 kPrograms = 6;
    const auto choose = [](Unit& unit, SInt32 program) {
        const AUPreset preset{program, nullptr};
        return AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0,
                                    &preset, sizeof preset);
    };
    std::vector<std::vector<float>> expected(kPrograms);
    for (SInt32 program = 0; program < kPrograms; ++program) {
        Unit unit("Flan");
        ASSERT_EQ(choose(unit, program), noErr);
        for (AudioUnitParameterID id = 0; id < flanger::kParameterCount; ++id)
            expected[program].push_back(unit.parameter(id));
    }
    ASSERT_NE(expected[0], expected[1]);

    std::atomic<int> wrong{0};
    const auto openAndChoose = [&](SInt32 seed) {
        for (int i = 0; i < 20; ++i) {
            Unit unit("Flan");
            const SInt32 program = (seed + i) % kPrograms;
            wrong += choose(unit, program) != noErr;
            for (AudioUnitParameterID id = 0; id < flanger::kParameterCount; ++id)
                wrong += unit.parameter(id) != expected[program][id];
        }
    };
    std::thread other(openAndChoose, 3);
    openAndChoose(0);
    other.join();
    EXPECT_EQ(wrong.load(), 0);
}
