#pragma once

// A small unit for driving the framework as a host does: one input, one
// output, 21 indexed global parameters, mono or stereo, and hooks that make
// it fail on request.

#include <stdexcept>

#include "au/AUBase.h"
#include "au/ComponentEntryPoint.h"

class TestEffect : public AUBase {
  public:
    // Setting it throws: 0 a status, 1 a 16-bit error, 2 out of memory,
    // anything else a standard exception.
    static constexpr AudioUnitPropertyID kThrowProperty = 64000;

    explicit TestEffect(ComponentInstance instance) : AUBase(instance, 1, 1)
    {
        CreateElements();
        Globals()->UseIndexedParameters(21);
    }

    bool StreamFormatWritable(AudioUnitScope, AudioUnitElement) override { return !IsInitialized(); }

    UInt32 SupportedNumChannels(const AUChannelInfo** outTable) override
    {
        static const AUChannelInfo pairs[] = {{1, 1}, {2, 2}};
        if (outTable) *outTable = pairs;
        return 2;
    }

    OSStatus Initialize() override
    {
        ++initializeCalls;
        return initializeResult;
    }
    void Cleanup() override { ++cleanupCalls; }

    OSStatus Render(AudioUnitRenderActionFlags&, const AudioTimeStamp&, UInt32) override
    {
        ++renderCalls;
        return renderResult;
    }

    OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         const void* data, UInt32 size) override
    {
        if (id != kThrowProperty) return AUBase::SetProperty(id, scope, element, data, size);
        switch (*static_cast<const UInt32*>(data)) {
        case 0:
            throw static_cast<OSStatus>(-12345);
        case 1:
            throw static_cast<OSErr>(-5);
        case 2:
            throw std::bad_alloc();
        default:
            throw std::runtime_error("unexpected");
        }
    }

    int initializeCalls = 0;
    int cleanupCalls = 0;
    int renderCalls = 0;
    OSStatus initializeResult = noErr;
    OSStatus renderResult = noErr;
};

// Registers TestEffect once and opens instances of it through the Component
// Manager, closing them at the end of the scope.
class OpenTestEffect {
  public:
    OpenTestEffect()
    {
        static const Component component = [] {
            const ComponentDescription description{kAudioUnitType_Effect, FourCharCode("test"),
                                                   FourCharCode("Vok "), 0, 0};
            return RegisterComponent(&description, ComponentEntryPoint<TestEffect>::Dispatch, "TestEffect");
        }();
        if (OpenAComponent(component, &instance) != noErr) throw std::runtime_error("open failed");
    }
    ~OpenTestEffect() { CloseComponent(instance); }
    OpenTestEffect(const OpenTestEffect&) = delete;
    OpenTestEffect& operator=(const OpenTestEffect&) = delete;

    AudioUnit unit() const { return instance; }
    // The object behind the instance, for looking at what the calls did.
    TestEffect& object() const
    {
        return *static_cast<TestEffect*>(
            reinterpret_cast<ComponentBase*>(GetComponentInstanceStorage(instance)));
    }

  private:
    AudioUnit instance = nullptr;
};
