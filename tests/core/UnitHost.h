#pragma once

// The plug-ins as a host opens them: both bundles registered once per
// process, units opened through the Component Manager and rendered block by
// block from a callback.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "platform/audiounit/AudioUnit.h"

namespace unithost {

inline Component findUnit(const char* subtype)
{
    static const bool registered = [] {
        for (const char* name : {"FlangerUnit", "TiltEqUnit"}) {
            const auto result =
                platform::RegisterComponentBundle(std::string(VOK_BUNDLE_DIR) + "/" + name + ".component");
            if (!result.errors.empty() || result.components.size() != 2) return false;
        }
        return true;
    }();
    if (!registered) return nullptr;
    const ComponentDescription looking{kAudioUnitType_Effect,
                                       FourCharCode(reinterpret_cast<const char(&)[5]>(*subtype)),
                                       FourCharCode("Quim"), 0, 0};
    return FindNextComponent(nullptr, &looking);
}

class Unit {
  public:
    explicit Unit(const char* subtype)
    {
        const Component component = findUnit(subtype);
        if (component == nullptr || OpenAComponent(component, &unit) != noErr) unit = nullptr;
    }
    ~Unit()
    {
        if (unit) CloseComponent(unit);
    }
    Unit(const Unit&) = delete;
    Unit& operator=(const Unit&) = delete;
    operator AudioUnit() const { return unit; }

    float parameter(AudioUnitParameterID id) const
    {
        AudioUnitParameterValue value = -1;
        EXPECT_EQ(AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &value), noErr);
        return value;
    }

    // Renders input (channels interleaved in the vector) through the unit;
    // returns the output the same way.
    std::vector<float> render(const std::vector<float>& input, UInt32 channels, UInt32 block = 512)
    {
        source = &input;
        sourceChannels = channels;
        const AURenderCallbackStruct callback{feed, this};
        AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                             sizeof callback);
        if (AudioUnitInitialize(unit) != noErr) return {};
        const UInt32 frames = static_cast<UInt32>(input.size()) / channels;
        std::vector<float> output(input.size());
        std::vector<std::vector<float>> planes(channels, std::vector<float>(block));
        std::vector<std::byte> listBytes(offsetof(AudioBufferList, mBuffers) +
                                         channels * sizeof(AudioBuffer));
        auto& list = *reinterpret_cast<AudioBufferList*>(listBytes.data());
        for (position = 0; position < frames; position += block) {
            const UInt32 n = std::min(block, frames - position);
            list.mNumberBuffers = channels;
            for (UInt32 c = 0; c < channels; ++c) list.mBuffers[c] = {1, n * 4, planes[c].data()};
            AudioTimeStamp stamp{};
            stamp.mSampleTime = position;
            AudioUnitRenderActionFlags flags = 0;
            EXPECT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, n, &list), noErr);
            for (UInt32 i = 0; i < n; ++i)
                for (UInt32 c = 0; c < channels; ++c) output[(position + i) * channels + c] = planes[c][i];
        }
        return output;
    }

  private:
    AudioUnit unit = nullptr;
    const std::vector<float>* source = nullptr;
    UInt32 sourceChannels = 2;
    UInt32 position = 0;

    static OSStatus feed(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32,
                         UInt32 frames, AudioBufferList* data)
    {
        auto& u = *static_cast<Unit*>(self);
        for (UInt32 c = 0; c < data->mNumberBuffers; ++c)
            for (UInt32 i = 0; i < frames; ++i)
                static_cast<float*>(data->mBuffers[c].mData)[i] =
                    (*u.source)[(u.position + i) * u.sourceChannels + c];
        return noErr;
    }
};

inline void setFormat(AudioUnit unit, Float64 rate, UInt32 channels)
{
    AudioStreamBasicDescription format{rate,
                                       kAudioFormatLinearPCM,
                                       kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved,
                                       4,
                                       1,
                                       4,
                                       channels,
                                       32,
                                       0};
    for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
        ASSERT_EQ(
            AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format),
            noErr);
}

inline std::vector<float> testSignal(UInt32 frames, UInt32 channels)
{
    std::vector<float> signal(frames * channels);
    for (UInt32 i = 0; i < frames; ++i)
        for (UInt32 c = 0; c < channels; ++c)
            signal[i * channels + c] =
                0.5f * std::sin(0.01f * static_cast<float>(i) * static_cast<float>(c + 1));
    return signal;
}

inline OSStatus tempoOf(void* tempo, Float64* beat, Float64* out)
{
    if (beat) *beat = 0;
    *out = *static_cast<Float64*>(tempo);
    return noErr;
}

inline bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

} // namespace unithost
