#pragma once

// An effect whose parameters cover the kinds of info a view reads, opened
// through the Component Manager as a host opens one.

#include <cstddef>
#include <cstring>

#include "OpenedComponent.h"
#include "au/AUBase.h"

class ViewedEffect : public AUBase {
  public:
    enum : AudioUnitParameterID {
        kGain,      // linear gain 0…2, 8-bit name only
        kMode,      // indexed 0…2 with value names
        kFrequency, // hertz 20…20000, a string name handed over with the release flag
        kZorks,     // custom unit
        kNote,      // MIDI note 0…127
        kLongName,  // 8-bit name filling its whole field, no terminator
        kSteps,     // indexed 2…5, no value names
        kBroken,    // NaN maximum
        kHidden,    // no info
        kParameterCount
    };

    explicit ViewedEffect(ComponentInstance instance) : AUBase(instance, 1, 1)
    {
        CreateElements();
        Globals()->UseIndexedParameters(kParameterCount);
    }

    bool StreamFormatWritable(AudioUnitScope, AudioUnitElement) override { return false; }

    OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id,
                              AudioUnitParameterInfo& info) override
    {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        info.flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable;
        switch (id) {
        case kGain:
            set(info, "Gain", kAudioUnitParameterUnit_LinearGain, 0, 2);
            break;
        case kMode:
            set(info, "Mode", kAudioUnitParameterUnit_Indexed, 0, 2);
            break;
        case kFrequency:
            set(info, "", kAudioUnitParameterUnit_Hertz, 20, 20000);
            info.cfNameString = CFStringCreateWithCString(nullptr, "Frequency", kCFStringEncodingUTF8);
            info.flags |= kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_CFNameRelease;
            break;
        case kZorks:
            set(info, "Zork", kAudioUnitParameterUnit_CustomUnit, 0, 10);
            info.unitName = CFSTR("Zk");
            break;
        case kNote:
            set(info, "Note", kAudioUnitParameterUnit_MIDINoteNumber, 0, 127);
            break;
        case kLongName:
            set(info, "", kAudioUnitParameterUnit_Generic, 0, 1);
            // The field and the padding after it.
            std::memset(&info, 'x', offsetof(AudioUnitParameterInfo, unitName));
            break;
        case kSteps:
            set(info, "Steps", kAudioUnitParameterUnit_Indexed, 2, 5);
            break;
        case kBroken:
            set(info, "Broken", kAudioUnitParameterUnit_MIDIController, 0, __builtin_nanf(""));
            break;
        default:
            return kAudioUnitErr_InvalidParameter;
        }
        return noErr;
    }

    OSStatus GetParameterValueStrings(AudioUnitScope, AudioUnitParameterID id,
                                      CFArrayRef* outStrings) override
    {
        if (id == kMode) {
            const void* names[] = {CFSTR("Off"), CFSTR("Slow"), CFSTR("Fast")};
            *outStrings = CFArrayCreate(nullptr, names, 3, &kCFTypeArrayCallBacks);
        } else {
            // Like the plug-ins' parameters: no names, and no error.
            *outStrings = nullptr;
        }
        return noErr;
    }

  private:
    static void set(AudioUnitParameterInfo& info, const char* name, AudioUnitParameterUnit unit, float min,
                    float max)
    {
        std::strncpy(info.name, name, sizeof info.name);
        info.unit = unit;
        info.minValue = min;
        info.maxValue = max;
        info.defaultValue = min;
    }
};

class OpenViewedEffect : public OpenedComponent<ViewedEffect> {
  public:
    OpenViewedEffect() : OpenedComponent(kAudioUnitType_Effect, FourCharCode("view"), "ViewedEffect") {}
    AudioUnit unit() const { return instance(); }
};
