#pragma once

// The plug-ins' effect unit: one source shape, made a deliverable by its
// Unit (FlangerUnit or TiltEqUnit: engine, parameter table, programs, codes).
// It owns the engine and the parameter array the engine reads, hands the
// engine each render's frames as one block, re-initialises it when the
// sample rate changes, and publishes its programs as factory presets.
//
// Threads: the render thread calls ProcessBufferLists; the host's other
// threads (and the editor) set parameters, presets and state. A parameter
// crosses as one 32-bit store into the parameter array, without a lock.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>

#include "au/AUEffectBase.h"
#include "core/VokPreset.h"

// The engine's address, for the editor in the same process.
inline constexpr AudioUnitPropertyID kEnginePointerProperty = 65000;

template <class Unit> class VokBase : public AUEffectBase {
  public:
    static constexpr uint32_t N = Unit::kParameterCount;
    static constexpr uint32_t P = Unit::kProgramCount;

    explicit VokBase(ComponentInstance instance);
    ~VokBase() override;

    OSStatus Version() override { return 0x00010000; }
    OSStatus Initialize() override;
    OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             UInt32& outDataSize, bool& outWritable) override;
    OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         void* outData) override;
    OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                          AudioUnitParameterValue value, UInt32 bufferOffsetInFrames) override;
    OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id,
                              AudioUnitParameterInfo& info) override;
    OSStatus RestoreState(CFPropertyListRef plist) override;
    OSStatus GetPresets(CFArrayRef* outData) override;
    OSStatus NewFactoryPresetSet(const AUPreset& preset) override;
    int GetNumCustomUIComponents() override { return 1; }
    void GetUIComponentDescs(ComponentDescription* descriptions) override;
    Float64 GetLatency() override { return 0.0; }
    Float64 GetTailTime() override { return 0.001; }
    bool SupportsTail() override { return true; }
    UInt32 SupportedNumChannels(const AUChannelInfo** outTable) override;
    OSStatus ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                const CAStreamBasicDescription& previous,
                                const CAStreamBasicDescription& format) override;
    OSStatus ProcessBufferLists(AudioUnitRenderActionFlags& ioActionFlags, const AudioBufferList& inBuffer,
                                AudioBufferList& outBuffer, UInt32 frames) override;

    // Stores into the engine's array and the framework's storage.
    virtual void SetVokParameter(AudioUnitParameterID id, AudioUnitParameterValue value);

  private:
    // Module-level and read-only: shared by every instance in the process.
    // (Rewriting it in each constructor, though with the same data, raced
    // with instances reading it on other threads.)
    static constexpr const VokPreset<N> (&programBank)[P] = Unit::factoryProgramTable;

    std::unique_ptr<float[]> parameterArray;
    std::unique_ptr<typename Unit::Engine> engine;
    std::array<AUPreset, P> factoryPresets{};

    float hostTempo() const;
    void engineTakesStoredParameters();
};

template <class Unit> VokBase<Unit>::VokBase(ComponentInstance instance) : AUEffectBase(instance, false)
{
    CreateElements();
    SetParamHasSampleRateDependency(true);
    parameterArray = std::make_unique<float[]>(N);
    engine =
        std::make_unique<typename Unit::Engine>(static_cast<float>(GetSampleRate()), parameterArray.get());
    Globals()->UseIndexedParameters(N);
    for (uint32_t i = 0; i < N; ++i) {
        parameterArray[i] = programBank[0].values[i];
        Globals()->SetParameter(i, programBank[0].values[i]);
    }
    for (uint32_t i = 0; i < P; ++i) {
        const auto& name = programBank[i].name;
        factoryPresets[i].presetNumber = static_cast<SInt32>(i);
        factoryPresets[i].presetName = CFStringCreateWithBytes(
            nullptr, reinterpret_cast<const UInt8*>(name), static_cast<CFIndex>(strnlen(name, sizeof name)),
            kCFStringEncodingUTF8, false);
    }
}

template <class Unit> VokBase<Unit>::~VokBase()
{
    engine.reset();
    parameterArray.reset();
    for (AUPreset& preset : factoryPresets)
        if (preset.presetName) CFRelease(preset.presetName);
}

template <class Unit> OSStatus VokBase<Unit>::Initialize()
{
    const OSStatus result = AUEffectBase::Initialize();
    if (result == noErr) PropertyChanged(kEnginePointerProperty, kAudioUnitScope_Global, 0);
    return result;
}

template <class Unit> UInt32 VokBase<Unit>::SupportedNumChannels(const AUChannelInfo** outTable)
{
    static const AUChannelInfo pairs[] = {{2, 2}, {1, 1}};
    if (outTable) *outTable = pairs;
    return 2;
}

template <class Unit>
OSStatus VokBase<Unit>::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope,
                                        AudioUnitElement element, UInt32& outDataSize, bool& outWritable)
{
    if (id == kEnginePointerProperty && scope == kAudioUnitScope_Global) {
        outDataSize = sizeof(void*);
        outWritable = false;
        return noErr;
    }
    return AUEffectBase::GetPropertyInfo(id, scope, element, outDataSize, outWritable);
}

template <class Unit>
OSStatus VokBase<Unit>::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                    void* outData)
{
    if (id == kEnginePointerProperty && scope == kAudioUnitScope_Global) {
        void* address = engine.get();
        std::memcpy(outData, &address, sizeof address);
        return noErr;
    }
    return AUEffectBase::GetProperty(id, scope, element, outData);
}

template <class Unit>
OSStatus VokBase<Unit>::SetParameter(AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                                     AudioUnitParameterValue value, UInt32)
{
    if (id < N) SetVokParameter(id, value);
    return noErr;
}

template <class Unit>
void VokBase<Unit>::SetVokParameter(AudioUnitParameterID id, AudioUnitParameterValue value)
{
    if (id < N) std::atomic_ref<float>(parameterArray[id]).store(value, std::memory_order_relaxed);
    Globals()->SetParameter(id, value);
}

template <class Unit>
OSStatus VokBase<Unit>::GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id,
                                         AudioUnitParameterInfo& info)
{
    // The record arrives zeroed (AUBase's property dispatch): what is not
    // set here reads as zero.
    info.flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable;
    if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidParameter;
    if (id >= N) return noErr;
    const auto& row = Unit::parameters[id];
    info.unit = kAudioUnitParameterUnit_LinearGain;
    info.minValue = 0.0f;
    info.maxValue = row.maxValue;
    if (row.name) {
        info.cfNameString = __CFStringMakeConstantString(row.name); // constant: not released
        info.flags |= kAudioUnitParameterFlag_HasCFNameString;
        // The fixed field holds at most its size less the terminator.
        std::strncpy(info.name, row.name, sizeof info.name - 1);
        info.name[sizeof info.name - 1] = 0;
        if (Unit::kReportsDefaults) info.defaultValue = row.defaultValue;
    } else {
        info.defaultValue = 0.0f;
    }
    return noErr;
}

template <class Unit> OSStatus VokBase<Unit>::RestoreState(CFPropertyListRef plist)
{
    // A restore that fails part-way, by a status or a throw, has applied the
    // pairs before the failure: the engine takes the stored values either way.
    try {
        const OSStatus result = AUEffectBase::RestoreState(plist);
        engineTakesStoredParameters();
        return result;
    } catch (...) {
        engineTakesStoredParameters();
        throw;
    }
}

template <class Unit> void VokBase<Unit>::engineTakesStoredParameters()
{
    for (uint32_t i = 0; i < N; ++i) SetVokParameter(i, Globals()->GetParameter(i));
}

template <class Unit> OSStatus VokBase<Unit>::GetPresets(CFArrayRef* outData)
{
    if (outData == nullptr) return noErr;
    // The entries point into this unit: the array neither retains nor releases them.
    CFMutableArrayRef presets = CFArrayCreateMutable(nullptr, P, nullptr);
    for (AUPreset& preset : factoryPresets) CFArrayAppendValue(presets, &preset);
    *outData = presets;
    return noErr;
}

template <class Unit> OSStatus VokBase<Unit>::NewFactoryPresetSet(const AUPreset& preset)
{
    const auto number = static_cast<uint32_t>(preset.presetNumber);
    if (number > P - 1) return kAudioUnitErr_InvalidPropertyValue;
    const VokPreset<N>& program = programBank[number];
    for (uint32_t i = 0; i < N; ++i) SetVokParameter(i, program.values[i]);
    CFStringRef name = CFStringCreateWithBytes(
        nullptr, reinterpret_cast<const UInt8*>(program.name),
        static_cast<CFIndex>(strnlen(program.name, sizeof program.name)), kCFStringEncodingUTF8, false);
    SetAFactoryPresetAsCurrent({static_cast<SInt32>(number), name});
    if (name) CFRelease(name);
    return noErr;
}

template <class Unit> void VokBase<Unit>::GetUIComponentDescs(ComponentDescription* descriptions)
{
    descriptions[0] = {kAudioUnitCarbonViewComponentType, Unit::kSubtype, FourCharCode("Quim"), 0, 0};
}

template <class Unit>
OSStatus VokBase<Unit>::ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                           const CAStreamBasicDescription& previous,
                                           const CAStreamBasicDescription& format)
{
    const OSStatus result = AUBase::ChangeStreamFormat(scope, element, previous, format);
    if (result != noErr) return result;
    if (previous.mSampleRate == format.mSampleRate) return noErr;
    engine->initialize(static_cast<float>(format.mSampleRate));
    PropertyChanged(kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0);
    return noErr;
}

template <class Unit> float VokBase<Unit>::hostTempo() const
{
    Float64 beat = 0.0, tempo = 120.0;
    const HostCallbackInfo callbacks = GetHostCallbackInfo();
    if (callbacks.beatAndTempoProc) callbacks.beatAndTempoProc(callbacks.hostUserData, &beat, &tempo);
    if (tempo < 20.0) tempo = 120.0;
    return static_cast<float>(tempo);
}

template <class Unit>
OSStatus VokBase<Unit>::ProcessBufferLists(AudioUnitRenderActionFlags&, const AudioBufferList& inBuffer,
                                           AudioBufferList& outBuffer, UInt32 frames)
{
    [[maybe_unused]] float tempo = 120.0f;
    if constexpr (Unit::kTakesTempo) tempo = hostTempo();
    // The engines work in place on a pair of channels.
    const auto process = [&](float* left, float* right, UInt32 count) {
        if constexpr (Unit::kTakesTempo)
            engine->process(left, right, count, tempo);
        else
            engine->process(left, right, count);
    };

    const UInt32 inputs = inBuffer.mNumberBuffers, outputs = outBuffer.mNumberBuffers;
    if (inputs == 2 && outputs == 2) {
        auto* left = static_cast<float*>(outBuffer.mBuffers[0].mData);
        auto* right = static_cast<float*>(outBuffer.mBuffers[1].mData);
        // Processing in place leaves nothing to copy.
        if (left != inBuffer.mBuffers[0].mData)
            std::memmove(left, inBuffer.mBuffers[0].mData, frames * sizeof(float));
        if (right != inBuffer.mBuffers[1].mData)
            std::memmove(right, inBuffer.mBuffers[1].mData, frames * sizeof(float));
        process(left, right, frames);
    } else if (inputs == 1 && outputs == 1) {
        // A mono input feeds both sides of the engine; the left one is kept.
        const auto* in = static_cast<const float*>(inBuffer.mBuffers[0].mData);
        auto* out = static_cast<float*>(outBuffer.mBuffers[0].mData);
        std::array<float, 256> right;
        for (UInt32 start = 0; start < frames; start += right.size()) {
            const auto count = std::min(frames - start, static_cast<UInt32>(right.size()));
            std::memmove(out + start, in + start, count * sizeof(float));
            std::memcpy(right.data(), out + start, count * sizeof(float));
            process(out + start, right.data(), count);
        }
    }
    return noErr;
}
