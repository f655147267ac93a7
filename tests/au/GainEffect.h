#pragma once

// An effect for driving the render path: it multiplies its input by global
// parameter 0 and records the slices it was asked to process.

#include <vector>

#include "au/AUEffectBase.h"
#include "au/ComponentEntryPoint.h"

// Multiplies by global parameter 0 and records the slices it was given.
class GainEffect : public AUEffectBase {
  public:
    explicit GainEffect(ComponentInstance instance) : AUEffectBase(instance, false)
    {
        CreateElements();
        Globals()->UseIndexedParameters(1);
        Globals()->SetParameter(0, 1.0f);
    }

    OSStatus ProcessBufferLists(AudioUnitRenderActionFlags&, const AudioBufferList& in, AudioBufferList& out,
                                UInt32 frames) override
    {
        slices.push_back(frames);
        const float gain = Globals()->GetParameter(0);
        for (UInt32 b = 0; b < out.mNumberBuffers; ++b)
            for (UInt32 i = 0; i < frames; ++i)
                static_cast<float*>(out.mBuffers[b].mData)[i] =
                    gain * static_cast<const float*>(in.mBuffers[b].mData)[i];
        return noErr;
    }

    std::vector<UInt32> slices;
};

class OpenGain {
  public:
    OpenGain()
    {
        static const Component component = [] {
            const ComponentDescription description{kAudioUnitType_Effect, FourCharCode("gain"),
                                                   FourCharCode("Vok "), 0, 0};
            return RegisterComponent(&description, ComponentEntryPoint<GainEffect>::Dispatch, "Gain");
        }();
        OpenAComponent(component, &unit);
    }
    ~OpenGain() { CloseComponent(unit); }
    GainEffect& object() const
    {
        return *static_cast<GainEffect*>(reinterpret_cast<ComponentBase*>(GetComponentInstanceStorage(unit)));
    }
    AudioUnit unit = nullptr;
};
