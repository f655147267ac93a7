// Both plug-ins loaded from their bundles into one process and driven only
// through the component interface. Rendered outputs are compared bit for bit
// with the engines run directly.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "dsp/flanger/FlangerEngine.h"
#include "dsp/tilteq/TiltEqEngine.h"
#include "platform/audiounit/AudioUnit.h"
#include "tests/core/UnitHost.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/EnginePrograms.h"

using namespace unithost;

namespace {

constexpr AudioUnitPropertyID kEnginePointerProperty = 65000;

const auto kFlangerProgram0 = testsupport::flangerProgram0();

} // namespace

TEST(Units, BothBundlesLoadIntoOneProcess)
{
    Unit flanger("Flan"), tilt("TILT");
    ASSERT_NE(static_cast<AudioUnit>(flanger), nullptr);
    ASSERT_NE(static_cast<AudioUnit>(tilt), nullptr);
    EXPECT_EQ(platform::callSelector(flanger, kComponentVersionSelect), 0x00010000);
    Float64 tail = 0;
    UInt32 size = sizeof tail;
    ASSERT_EQ(
        AudioUnitGetProperty(tilt, kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, &tail, &size),
        noErr);
    EXPECT_EQ(tail, 0.001);
    ComponentDescription view{};
    size = sizeof view;
    ASSERT_EQ(AudioUnitGetProperty(flanger, kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0,
                                   &view, &size),
              noErr);
    EXPECT_EQ(view.componentType, FourCharCode("auvw"));
    EXPECT_EQ(view.componentSubType, FourCharCode("Flan"));

    // The engine's address, pointer-sized, in the global scope only.
    void* engine = nullptr;
    size = sizeof engine;
    ASSERT_EQ(
        AudioUnitGetProperty(flanger, kEnginePointerProperty, kAudioUnitScope_Global, 0, &engine, &size),
        noErr);
    EXPECT_NE(engine, nullptr);
    EXPECT_EQ(size, sizeof(void*));
    EXPECT_EQ(AudioUnitGetProperty(flanger, kEnginePointerProperty, kAudioUnitScope_Input, 0, &engine, &size),
              kAudioUnitErr_InvalidProperty);
}

TEST(Units, ParameterInfo)
{
    Unit flanger("Flan"), tilt("TILT");
    AudioUnitParameterInfo info{};
    UInt32 size = sizeof info;
    ASSERT_EQ(AudioUnitGetProperty(flanger, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global,
                                   flanger::kSyncTempo, &info, &size),
              noErr);
    EXPECT_STREQ(info.name, "Sync Tempo");
    EXPECT_TRUE(CFEqual(info.cfNameString, CFSTR("Sync Tempo")));
    EXPECT_EQ(info.minValue, 0.0f);
    EXPECT_EQ(info.maxValue, 8.0f);
    EXPECT_EQ(info.defaultValue, 0.5f);
    EXPECT_EQ(info.unit, kAudioUnitParameterUnit_LinearGain);
    EXPECT_EQ(info.flags, 0xC8000000u);
    for (AudioUnitParameterID id : {0u, 21u}) {
        info = {};
        ASSERT_EQ(AudioUnitGetProperty(flanger, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id,
                                       &info, &size),
                  noErr);
        EXPECT_EQ(info.flags, 0xC0000000u);
        EXPECT_EQ(info.name[0], 0);
        EXPECT_EQ(info.maxValue, 1.0f);
    }
    info = {};
    ASSERT_EQ(AudioUnitGetProperty(flanger, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, 22,
                                   &info, &size),
              noErr);
    EXPECT_EQ(info.flags, 0xC0000000u);
    EXPECT_EQ(info.maxValue, 0.0f);
    EXPECT_EQ(AudioUnitGetProperty(flanger, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Output, 2,
                                   &info, &size),
              kAudioUnitErr_InvalidParameter);

    info = {};
    size = sizeof info; // the failed get zeroed it
    ASSERT_EQ(AudioUnitGetProperty(tilt, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global,
                                   tilteq::kShelfFrequency, &info, &size),
              noErr);
    EXPECT_STREQ(info.name, "Shelf frquency");
    info = {};
    ASSERT_EQ(
        AudioUnitGetProperty(tilt, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, 4, &info, &size),
        noErr);
    EXPECT_EQ(info.name[0], 0);
    UInt32 count = 0;
    ASSERT_EQ(AudioUnitGetPropertyInfo(tilt, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                       &count, nullptr),
              noErr);
    EXPECT_EQ(count, 21 * sizeof(AudioUnitParameterID));
}

TEST(Units, FactoryPresets)
{
    Unit flanger("Flan"), tilt("TILT");
    CFArrayRef presets = nullptr;
    UInt32 size = sizeof presets;
    ASSERT_EQ(AudioUnitGetProperty(flanger, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0,
                                   &presets, &size),
              noErr);
    ASSERT_EQ(CFArrayGetCount(presets), 20);
    const auto preset = [&](CFIndex i) {
        return static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    };
    EXPECT_TRUE(CFEqual(preset(0)->presetName, CFSTR("Gentle Stereo Flanger")));
    EXPECT_EQ(preset(19)->presetNumber, 19);
    EXPECT_TRUE(CFEqual(preset(19)->presetName, CFSTR("default")));
    CFRelease(presets);
    ASSERT_EQ(AudioUnitGetProperty(tilt, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0,
                                   &presets, &size),
              noErr);
    EXPECT_EQ(CFArrayGetCount(presets), 10);
    CFRelease(presets);

    // Choosing one loads its values and its name, all 24 bytes of it.
    AUPreset choice{3, nullptr};
    ASSERT_EQ(AudioUnitSetProperty(flanger, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0,
                                   &choice, sizeof choice),
              noErr);
    AUPreset current{};
    size = sizeof current;
    ASSERT_EQ(AudioUnitGetProperty(flanger, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0,
                                   &current, &size),
              noErr);
    EXPECT_EQ(current.presetNumber, 3);
    EXPECT_TRUE(CFEqual(current.presetName, CFSTR("Manual - Move Delay Knob")));
    EXPECT_EQ(flanger.parameter(flanger::kDelay), 0.29098636f);
    choice.presetNumber = 1;
    AudioUnitSetProperty(flanger, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &choice,
                         sizeof choice);
    EXPECT_EQ(flanger.parameter(flanger::kDepth), 0.88019454f);
    choice.presetNumber = 20;
    EXPECT_EQ(AudioUnitSetProperty(flanger, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0,
                                   &choice, sizeof choice),
              kAudioUnitErr_InvalidPropertyValue);
    choice.presetNumber = 10;
    EXPECT_EQ(AudioUnitSetProperty(tilt, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &choice,
                                   sizeof choice),
              kAudioUnitErr_InvalidPropertyValue);
}

TEST(Units, StateRoundTripsAndForeignStatesAreRefused)
{
    Unit source("Flan"), target("Flan"), tilt("TILT");
    for (AudioUnitParameterID id = 0; id < 22; ++id)
        AudioUnitSetParameter(source, id, kAudioUnitScope_Input, 0, 0.03125f * static_cast<float>(id) + 1e-7f,
                              0);
    EXPECT_EQ(AudioUnitSetParameter(source, 30, kAudioUnitScope_Global, 0, 1.0f, 0), noErr);
    CFPropertyListRef state = nullptr;
    UInt32 size = sizeof state;
    ASSERT_EQ(
        AudioUnitGetProperty(source, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size),
        noErr);
    ASSERT_EQ(AudioUnitSetProperty(target, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                                   sizeof state),
              noErr);
    for (AudioUnitParameterID id = 0; id < 22; ++id)
        EXPECT_EQ(std::bit_cast<UInt32>(target.parameter(id)), std::bit_cast<UInt32>(source.parameter(id)))
            << id;

    const float before = tilt.parameter(1);
    EXPECT_EQ(AudioUnitSetProperty(tilt, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                                   sizeof state),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(tilt.parameter(1), before);
    CFRelease(state);
}

// A blob whose last pair names a parameter the unit lacks fails after the
// pairs before it were applied; the audio must use what the host then reads.
TEST(Units, FailedRestoreLeavesTheEngineWithTheStoredValues)
{
    Unit source("Flan"), target("Flan"), reference("Flan");
    ASSERT_EQ(AudioUnitSetParameter(source, 7, kAudioUnitScope_Global, 0, 1.0f, 0), noErr); // "Dry / Wet"
    ASSERT_EQ(AudioUnitSetParameter(source, 3, kAudioUnitScope_Global, 0, 0.9f, 0), noErr); // "Depth"
    CFPropertyListRef state = nullptr;
    UInt32 size = sizeof state;
    ASSERT_EQ(
        AudioUnitGetProperty(source, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size),
        noErr);

    // One more pair in the single record: parameter 50, after all 22.
    const auto data =
        static_cast<CFDataRef>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), CFSTR("data")));
    ASSERT_NE(data, nullptr);
    CFMutableDataRef blob = CFDataCreateMutable(nullptr, 0);
    CFDataAppendBytes(blob, CFDataGetBytePtr(data), CFDataGetLength(data));
    const UInt8 pair[8] = {0, 0, 0, 50, 0x3f, 0x80, 0, 0};
    CFDataAppendBytes(blob, pair, sizeof pair);
    CFDataGetMutableBytePtr(blob)[11] = 23; // the count, after scope and element
    const auto saved = static_cast<CFDictionaryRef>(state);
    std::vector<const void*> keys(CFDictionaryGetCount(saved)), values(keys.size());
    CFDictionaryGetKeysAndValues(saved, keys.data(), values.data());
    CFMutableDictionaryRef damaged = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                               &kCFTypeDictionaryValueCallBacks);
    for (size_t i = 0; i < keys.size(); ++i)
        CFDictionarySetValue(damaged, keys[i], CFEqual(keys[i], CFSTR("data")) ? blob : values[i]);
    EXPECT_EQ(AudioUnitSetProperty(target, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &damaged,
                                   sizeof damaged),
              kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(target.parameter(7), 1.0f);
    EXPECT_EQ(target.parameter(3), 0.9f);

    AudioUnitSetParameter(reference, 7, kAudioUnitScope_Global, 0, 1.0f, 0);
    AudioUnitSetParameter(reference, 3, kAudioUnitScope_Global, 0, 0.9f, 0);
    const std::vector<float> input = testSignal(2048, 2);
    EXPECT_TRUE(sameBits(target.render(input, 2), reference.render(input, 2)));
    CFRelease(damaged);
    CFRelease(blob);
    CFRelease(state);
}

TEST(Units, FlangerRendersItsEngineWithTheHostTempo)
{
    const std::vector<float> input = testSignal(3000, 2);
    for (const auto& [reported, expected] :
         {std::pair{0.0, 120.0f}, {10.0, 120.0f}, {20.0, 20.0f}, {137.5, 137.5f}}) {
        Unit flanger("Flan");
        setFormat(flanger, 44100.0, 2);
        // "1/2", locked to the tempo.
        AudioUnitSetParameter(flanger, flanger::kSyncTempo, kAudioUnitScope_Global, 0, 1.0f, 0);
        Float64 tempo = reported;
        if (reported > 0) {
            const HostCallbackInfo callbacks{&tempo, tempoOf, nullptr, nullptr};
            AudioUnitSetProperty(flanger, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
                                 &callbacks, sizeof callbacks);
        }
        const std::vector<float> rendered = flanger.render(input, 2, 256);

        auto p = kFlangerProgram0;
        p[flanger::kSyncTempo] = 1.0f;
        FlangerEngine engine(44100.0f, p.data());
        std::vector<float> direct(input);
        for (size_t i = 0; i < direct.size(); i += 2) engine.process(&direct[i], &direct[i + 1], expected);
        EXPECT_TRUE(sameBits(rendered, direct)) << reported;
    }
}

TEST(Units, TiltRendersMonoAndFollowsSampleRateChanges)
{
    Unit tilt("TILT");
    std::vector<AudioUnitPropertyID> changes;
    const auto listener = [](void* data, AudioUnit, AudioUnitPropertyID id, AudioUnitScope,
                             AudioUnitElement) {
        static_cast<std::vector<AudioUnitPropertyID>*>(data)->push_back(id);
    };
    AudioUnitAddPropertyListener(tilt, kAudioUnitProperty_ParameterList, listener, &changes);
    setFormat(tilt, 48000.0, 1);
    EXPECT_EQ(changes.size(), 2u); // input and output each re-initialise the engine
    setFormat(tilt, 48000.0, 1);
    EXPECT_EQ(changes.size(), 2u);
    AudioUnitSetParameter(tilt, tilteq::kBassLift, kAudioUnitScope_Input, 0, 0.7f, 0);
    EXPECT_EQ(tilt.parameter(tilteq::kBassLift), 0.7f);

    const std::vector<float> input = testSignal(2000, 1);
    const std::vector<float> rendered = tilt.render(input, 1, 300);

    auto p = testsupport::tiltEqProgram0();
    p[tilteq::kBassLift] = 0.7f;
    TiltEqEngine engine(44100.0f, p.data());
    engine.initialize(48000.0f);
    engine.initialize(48000.0f);
    std::vector<float> direct(input.size());
    for (size_t i = 0; i < input.size(); ++i) {
        float left = input[i], right = input[i];
        engine.process(&left, &right);
        direct[i] = left;
    }
    EXPECT_TRUE(sameBits(rendered, direct));
}

namespace {

OSStatus feedQuarter(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                     AudioBufferList* data)
{
    for (UInt32 c = 0; c < data->mNumberBuffers; ++c)
        std::fill_n(static_cast<float*>(data->mBuffers[c].mData), frames, 0.25f);
    return noErr;
}

} // namespace

// The render thread of a host: once initialised, rendering never touches
// the heap, with parameters set and scheduled (immediate and ramped) between
// and within blocks, in stereo and mono.
TEST(Units, RenderingNeverAllocates)
{
    constexpr UInt32 kBlock = 512;
    for (const char* subtype : {"Flan", "TILT"}) {
        for (const UInt32 channels : {2u, 1u}) {
            Unit unit(subtype);
            ASSERT_NE(static_cast<AudioUnit>(unit), nullptr);
            setFormat(unit, 44100.0, channels);
            const AURenderCallbackStruct callback{feedQuarter, nullptr};
            ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input,
                                           0, &callback, sizeof callback),
                      noErr);
            // The counter must see the bundle's heap, or a zero below proves nothing.
            const std::size_t beforeInitialize = testsupport::allocationCount();
            ASSERT_EQ(AudioUnitInitialize(unit), noErr);
            ASSERT_GT(testsupport::allocationCount() - beforeInitialize, 0u);

            std::vector<std::vector<float>> planes(channels, std::vector<float>(kBlock));
            std::vector<std::byte> listBytes(offsetof(AudioBufferList, mBuffers) +
                                             channels * sizeof(AudioBuffer));
            auto& list = *reinterpret_cast<AudioBufferList*>(listBytes.data());
            AudioTimeStamp stamp{};
            stamp.mFlags = kAudioTimeStampSampleTimeValid;
            float peak = 0.0f;
            const auto renderBlock = [&](int block) {
                AudioUnitParameterEvent events[2]{};
                events[0].scope = events[1].scope = kAudioUnitScope_Global;
                events[0].parameter = 1 + block % 8;
                events[0].eventType = kParameterEvent_Immediate;
                events[0].eventValues.immediate = {static_cast<UInt32>(block % kBlock), 0.1f * (block % 10)};
                events[1].parameter = 3;
                events[1].eventType = kParameterEvent_Ramped;
                events[1].eventValues.ramp = {100, 300, 0.2f, 0.9f};
                EXPECT_EQ(AudioUnitScheduleParameters(unit, events, 2), noErr);
                AudioUnitSetParameter(unit, 5, kAudioUnitScope_Global, 0, 0.05f * (block % 20), 0);
                list.mNumberBuffers = channels;
                for (UInt32 c = 0; c < channels; ++c) list.mBuffers[c] = {1, kBlock * 4, planes[c].data()};
                AudioUnitRenderActionFlags flags = 0;
                EXPECT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, kBlock, &list), noErr);
                stamp.mSampleTime += kBlock;
                peak = std::max(peak, std::fabs(planes[0][kBlock - 1]));
            };
            renderBlock(0); // the first render sizes the framework's event list

            const std::size_t before = testsupport::allocationCount();
            for (int block = 1; block < 500; ++block) renderBlock(block);
            EXPECT_EQ(testsupport::allocationCount() - before, 0u) << subtype << " " << channels;
            EXPECT_GT(peak, 0.0f);
        }
    }
}
