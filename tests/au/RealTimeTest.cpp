// Rendering must not touch the heap, and render notifications must be safe
// to change from another thread while rendering.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/au/GainEffect.h"
#include "tests/au/StereoBuffers.h"
#include "tests/support/AllocationCounter.h"

namespace {

OSStatus sineInput(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp* stamp, UInt32, UInt32 frames,
                   AudioBufferList* data)
{
    for (UInt32 b = 0; b < data->mNumberBuffers; ++b)
        for (UInt32 i = 0; i < frames; ++i)
            static_cast<float*>(data->mBuffers[b].mData)[i] =
                static_cast<float>(static_cast<int>(stamp->mSampleTime + i) % 100) * 0.01f;
    return noErr;
}

OSStatus countCalls(void* counter, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                    AudioBufferList*)
{
    static_cast<std::atomic<int>*>(counter)->fetch_add(1, std::memory_order_relaxed);
    return noErr;
}

struct Renderer {
    explicit Renderer(AudioUnit unit) : unit(unit), out(256) {}
    OSStatus render()
    {
        AudioTimeStamp stamp{};
        stamp.mSampleTime = sampleTime;
        sampleTime += out.frames();
        AudioUnitRenderActionFlags flags = 0;
        return AudioUnitRender(unit, &flags, &stamp, 0, out.frames(), &out.list());
    }
    AudioUnit unit;
    Float64 sampleTime = 0;
    StereoBuffers out;
};

void prepare(OpenGain& gain)
{
    const AURenderCallbackStruct callback{sineInput, nullptr};
    AudioUnitSetProperty(gain.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                         sizeof callback);
    ASSERT_EQ(AudioUnitInitialize(gain.unit), noErr);
    gain.object().slices.reserve(64);
}

} // namespace

TEST(RealTime, RenderingWithEventsAndNotificationsNeverAllocates)
{
    OpenGain gain;
    prepare(gain);
    std::atomic<int> notified{0};
    ASSERT_EQ(AudioUnitAddRenderNotify(gain.unit, countCalls, &notified), noErr);
    Renderer renderer(gain.unit);
    ASSERT_EQ(renderer.render(), noErr); // applies the pending notification

    const std::size_t before = testsupport::allocationCount();
    for (int block = 0; block < 5000; ++block) {
        gain.object().slices.clear();
        AudioUnitParameterEvent events[3]{};
        for (auto& e : events) e.scope = kAudioUnitScope_Global;
        events[0].eventType = kParameterEvent_Immediate;
        events[0].eventValues.immediate = {static_cast<UInt32>(block % 256), 0.5f};
        events[1].eventType = kParameterEvent_Ramped;
        events[1].eventValues.ramp = {64, 100, 0.5f, 1.0f};
        events[2].eventType = kParameterEvent_Immediate;
        events[2].eventValues.immediate = {200, 0.25f};
        ASSERT_EQ(AudioUnitScheduleParameters(gain.unit, events, 3), noErr);
        AudioUnitSetParameter(gain.unit, 0, kAudioUnitScope_Global, 0, static_cast<float>(block % 7), 0);
        ASSERT_EQ(renderer.render(), noErr);
    }
    EXPECT_EQ(testsupport::allocationCount() - before, 0u);
    EXPECT_EQ(notified.load(), 2 * 5001);
    EXPECT_NE(renderer.out.channel(1)[101], 0.0f);
}

// One thread renders; another changes parameters, properties and render
// notifications. A notification must be called from the render after its
// addition on, and never after the render that applied its removal.
TEST(RealTime, NotificationsChangeSafelyWhileRendering)
{
    OpenGain gain;
    prepare(gain);
    Renderer renderer(gain.unit);
    std::atomic<int> started{0};
    std::atomic<bool> done{false};

    struct Watch {
        std::atomic<int>* started;
        std::atomic<int> firstCall{-1};
        std::atomic<int> lastCall{-1};
    };
    const auto watched = [](void* data, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32,
                            UInt32, AudioBufferList*) -> OSStatus {
        auto& watch = *static_cast<Watch*>(data);
        if (!(*flags & kAudioUnitRenderAction_PreRender)) return noErr;
        const int render = watch.started->load();
        int expected = -1;
        watch.firstCall.compare_exchange_strong(expected, render);
        watch.lastCall.store(render);
        return noErr;
    };

    std::thread renderThread([&] {
        while (!done.load()) {
            started.fetch_add(1);
            renderer.render();
        }
    });

    int violations = 0;
    for (int round = 0; round < 300; ++round) {
        Watch watch{&started};
        AudioUnitAddRenderNotify(gain.unit, watched, &watch);
        // Queued before this render began: the next one applies it.
        const int addedBy = started.load();
        while (watch.firstCall.load() < 0) std::this_thread::yield();
        violations += watch.firstCall.load() > addedBy + 1;

        AudioUnitSetParameter(gain.unit, 0, kAudioUnitScope_Global, 0, static_cast<float>(round), 0);
        UInt32 bypass = round % 2;
        AudioUnitSetProperty(gain.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &bypass,
                             sizeof bypass);

        AudioUnitRemoveRenderNotify(gain.unit, watched, &watch);
        const int removedBy = started.load();
        while (started.load() < removedBy + 3) std::this_thread::yield();
        violations += watch.lastCall.load() > removedBy;
    }
    done.store(true);
    renderThread.join();
    EXPECT_EQ(violations, 0);
}
