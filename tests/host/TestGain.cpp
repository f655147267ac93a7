// The host tests' effect: a gain with factory presets, a probe that writes
// the host's tempo and beat into the output, and (when TESTGAIN_LOG names a
// file) a log of the scheduled parameter events and render calls. Rendering
// fails from the sample time in TESTGAIN_FAIL_AT on, and each render call
// takes TESTGAIN_RENDER_US microseconds more, so that a test can catch the
// host in the middle of a file.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "au/AUEffectBase.h"
#include "au/ComponentEntryPoint.h"

namespace {

enum : AudioUnitParameterID { kGain, kTempoProbe, kParameterCount };

const AUChannelInfo channelTable[] = {{1, 1}, {2, 2}};

AUPreset presets[] = {{0, CFSTR("Unity")}, {1, CFSTR("Quiet")}};
constexpr float presetGains[] = {1.0f, 0.25f};

} // namespace

class TestGain : public AUEffectBase {
  public:
    explicit TestGain(ComponentInstance instance) : AUEffectBase(instance, false)
    {
        CreateElements();
        Globals()->UseIndexedParameters(kParameterCount);
        Globals()->SetParameter(kGain, 1.0f);
        Globals()->SetParameter(kTempoProbe, 0.0f);
        if (const char* path = std::getenv("TESTGAIN_LOG")) log = std::fopen(path, "a");
        if (const char* frame = std::getenv("TESTGAIN_FAIL_AT")) failAt = std::atof(frame);
        if (const char* delay = std::getenv("TESTGAIN_RENDER_US")) renderDelay = std::atoi(delay);
    }
    ~TestGain() override
    {
        if (log) std::fclose(log);
    }

    OSStatus Version() override { return 0x00020103; }

    OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id,
                              AudioUnitParameterInfo& info) override
    {
        if (scope != kAudioUnitScope_Global || id >= kParameterCount) return kAudioUnitErr_InvalidParameter;
        info.flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable |
                     kAudioUnitParameterFlag_HasCFNameString;
        info.cfNameString = id == kGain ? CFSTR("Gain") : CFSTR("Tempo Probe");
        info.unit = id == kGain ? kAudioUnitParameterUnit_LinearGain : kAudioUnitParameterUnit_Boolean;
        info.minValue = 0.0f;
        info.maxValue = id == kGain ? 4.0f : 1.0f;
        info.defaultValue = id == kGain ? 1.0f : 0.0f;
        return noErr;
    }

    OSStatus GetPresets(CFArrayRef* outData) override
    {
        if (!outData) return noErr;
        CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 2, nullptr);
        for (const AUPreset& preset : presets) CFArrayAppendValue(array, &preset);
        *outData = array;
        return noErr;
    }

    OSStatus NewFactoryPresetSet(const AUPreset& preset) override
    {
        if (preset.presetNumber < 0 || preset.presetNumber > 1) return kAudioUnitErr_InvalidPropertyValue;
        Globals()->SetParameter(kGain, presetGains[preset.presetNumber]);
        SetAFactoryPresetAsCurrent(presets[preset.presetNumber]);
        return noErr;
    }

    int GetNumCustomUIComponents() override { return 1; }
    void GetUIComponentDescs(ComponentDescription* descriptions) override
    {
        descriptions[0] = {FourCharCode("auvw"), FourCharCode("Gain"), FourCharCode("Test"), 0, 0};
    }

    UInt32 SupportedNumChannels(const AUChannelInfo** outTable) override
    {
        if (outTable) *outTable = channelTable;
        return 2;
    }

    OSStatus ScheduleParameter(const AudioUnitParameterEvent* events, UInt32 count) override
    {
        for (UInt32 i = 0; log && i < count; ++i) {
            const AudioUnitParameterEvent& e = events[i];
            if (e.eventType == kParameterEvent_Immediate)
                std::fprintf(log, "set %u %u %g\n", e.parameter, e.eventValues.immediate.bufferOffset,
                             e.eventValues.immediate.value);
            else
                std::fprintf(log, "ramp %u %d %u %g %g\n", e.parameter, e.eventValues.ramp.startBufferOffset,
                             e.eventValues.ramp.durationInFrames, e.eventValues.ramp.startValue,
                             e.eventValues.ramp.endValue);
        }
        return AUEffectBase::ScheduleParameter(events, count);
    }

    OSStatus Render(AudioUnitRenderActionFlags& flags, const AudioTimeStamp& time, UInt32 frames) override
    {
        if (log) std::fprintf(log, "render %.0f %u\n", time.mSampleTime, frames);
        if (time.mSampleTime >= failAt) return kAudioUnitErr_CannotDoInCurrentContext;
        if (renderDelay > 0) usleep(static_cast<useconds_t>(renderDelay));
        return AUEffectBase::Render(flags, time, frames);
    }

    OSStatus ProcessBufferLists(AudioUnitRenderActionFlags&, const AudioBufferList& in, AudioBufferList& out,
                                UInt32 frames) override
    {
        const float gain = Globals()->GetParameter(kGain);
        // The probe writes tempo / 1000 to the first channel and beat / 1000
        // to the others; both 0 without host callbacks.
        const bool probe = Globals()->GetParameter(kTempoProbe) >= 0.5f;
        Float64 beat = 0.0, tempo = 0.0;
        if (probe) {
            HostCallbackInfo callbacks{};
            if (DispatchGetProperty(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
                                    &callbacks) == noErr &&
                callbacks.beatAndTempoProc)
                callbacks.beatAndTempoProc(callbacks.hostUserData, &beat, &tempo);
        }
        for (UInt32 b = 0; b < out.mNumberBuffers; ++b) {
            const auto* source = static_cast<const float*>(in.mBuffers[b].mData);
            auto* target = static_cast<float*>(out.mBuffers[b].mData);
            const auto probeValue = static_cast<float>((b == 0 ? tempo : beat) / 1000.0);
            for (UInt32 i = 0; i < frames; ++i) target[i] = probe ? probeValue : gain * source[i];
        }
        return noErr;
    }

  private:
    FILE* log = nullptr;
    double failAt = 1e300;
    int renderDelay = 0;
};

extern "C" __attribute__((visibility("default"))) ComponentResult TestGainEntry(ComponentParameters* p,
                                                                                void* s)
{
    return ComponentEntryPoint<TestGain>::Dispatch(p, s);
}
