#pragma once

// The published Audio Unit interface: records, property, scope, selector,
// flag and unit constants, status codes, callback types, and the host-side
// calls. Each call packs its arguments in its selector's word order and goes
// through the Component Manager, so that a host exercises the unit's real
// dispatch. 64-bit: records that hold pointers have their natural LP64
// layout; records of plain numbers keep their published sizes.

#include <cstdint>

#include "platform/audiounit/CoreAudioTypes.h"
#include "platform/components/Components.h"
#include "platform/corefoundation/CoreFoundation.h"

using AudioUnit = ComponentInstance;
using AudioComponentInstance = ComponentInstance;
using AudioUnitPropertyID = UInt32;
using AudioUnitScope = UInt32;
using AudioUnitElement = UInt32;
using AudioUnitParameterID = UInt32;
using AudioUnitParameterValue = Float32;
using AudioUnitRenderActionFlags = UInt32;
using AudioUnitParameterUnit = UInt32;
using AudioUnitParameterOptions = UInt32;
using AUParameterEventType = UInt32;

inline constexpr OSType kAudioUnitType_Effect = FourCharCode("aufx");
inline constexpr OSType kAudioUnitCarbonViewComponentType = FourCharCode("auvw");

inline constexpr AudioUnitScope kAudioUnitScope_Global = 0;
inline constexpr AudioUnitScope kAudioUnitScope_Input = 1;
inline constexpr AudioUnitScope kAudioUnitScope_Output = 2;
inline constexpr AudioUnitScope kAudioUnitScope_Group = 3;
inline constexpr AudioUnitScope kAudioUnitScope_Part = 4;

inline constexpr AudioUnitPropertyID kAudioUnitProperty_ClassInfo = 0;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_MakeConnection = 1;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_SampleRate = 2;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_ParameterList = 3;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_ParameterInfo = 4;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_FastDispatch = 5;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_CPULoad = 6;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_StreamFormat = 8;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_ElementCount = 11;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_Latency = 12;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_SupportedNumChannels = 13;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_MaximumFramesPerSlice = 14;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_SetExternalBuffer = 15;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_ParameterValueStrings = 16;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_GetUIComponentList = 18;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_AudioChannelLayout = 19;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_TailTime = 20;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_BypassEffect = 21;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_LastRenderError = 22;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_SetRenderCallback = 23;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_FactoryPresets = 24;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_ContextName = 25;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_RenderQuality = 26;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_HostCallbacks = 27;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_CurrentPreset = 28;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_InPlaceProcessing = 29;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_ElementName = 30;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_CocoaUI = 31;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_SupportedChannelLayoutTags = 32;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_PresentPreset = 36;
inline constexpr AudioUnitPropertyID kAudioUnitProperty_IconLocation = 39;

inline constexpr int16_t kAudioUnitInitializeSelect = 1;
inline constexpr int16_t kAudioUnitUninitializeSelect = 2;
inline constexpr int16_t kAudioUnitGetPropertyInfoSelect = 3;
inline constexpr int16_t kAudioUnitGetPropertySelect = 4;
inline constexpr int16_t kAudioUnitSetPropertySelect = 5;
inline constexpr int16_t kAudioUnitGetParameterSelect = 6;
inline constexpr int16_t kAudioUnitSetParameterSelect = 7;
inline constexpr int16_t kAudioUnitResetSelect = 9;
inline constexpr int16_t kAudioUnitAddPropertyListenerSelect = 10;
inline constexpr int16_t kAudioUnitRemovePropertyListenerSelect = 11;
inline constexpr int16_t kAudioUnitRenderSelect = 14;
inline constexpr int16_t kAudioUnitAddRenderNotifySelect = 15;
inline constexpr int16_t kAudioUnitRemoveRenderNotifySelect = 16;
inline constexpr int16_t kAudioUnitScheduleParametersSelect = 17;
inline constexpr int16_t kAudioUnitRemovePropertyListenerWithUserDataSelect = 18;

inline constexpr OSStatus kAudioUnitErr_InvalidProperty = -10879;
inline constexpr OSStatus kAudioUnitErr_InvalidParameter = -10878;
inline constexpr OSStatus kAudioUnitErr_InvalidElement = -10877;
inline constexpr OSStatus kAudioUnitErr_NoConnection = -10876;
inline constexpr OSStatus kAudioUnitErr_FailedInitialization = -10875;
inline constexpr OSStatus kAudioUnitErr_TooManyFramesToProcess = -10874;
inline constexpr OSStatus kAudioUnitErr_InvalidFile = -10871;
inline constexpr OSStatus kAudioUnitErr_FormatNotSupported = -10868;
inline constexpr OSStatus kAudioUnitErr_Uninitialized = -10867;
inline constexpr OSStatus kAudioUnitErr_InvalidScope = -10866;
inline constexpr OSStatus kAudioUnitErr_PropertyNotWritable = -10865;
inline constexpr OSStatus kAudioUnitErr_CannotDoInCurrentContext = -10863;
inline constexpr OSStatus kAudioUnitErr_InvalidPropertyValue = -10851;
inline constexpr OSStatus kAudioUnitErr_PropertyNotInUse = -10850;
inline constexpr OSStatus kAudioUnitErr_Initialized = -10849;
inline constexpr OSStatus kAudioUnitErr_InvalidOfflineRender = -10848;
inline constexpr OSStatus kAudioUnitErr_Unauthorized = -10847;

inline constexpr AudioUnitRenderActionFlags kAudioUnitRenderAction_PreRender = 1u << 2;
inline constexpr AudioUnitRenderActionFlags kAudioUnitRenderAction_PostRender = 1u << 3;
inline constexpr AudioUnitRenderActionFlags kAudioUnitRenderAction_OutputIsSilence = 1u << 4;
inline constexpr AudioUnitRenderActionFlags kAudioOfflineUnitRenderAction_Preflight = 1u << 5;
inline constexpr AudioUnitRenderActionFlags kAudioOfflineUnitRenderAction_Render = 1u << 6;
inline constexpr AudioUnitRenderActionFlags kAudioOfflineUnitRenderAction_Complete = 1u << 7;
inline constexpr AudioUnitRenderActionFlags kAudioUnitRenderAction_PostRenderError = 1u << 8;

inline constexpr AUParameterEventType kParameterEvent_Immediate = 1;
inline constexpr AUParameterEventType kParameterEvent_Ramped = 2;

inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Generic = 0;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Indexed = 1;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Boolean = 2;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Percent = 3;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Seconds = 4;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_SampleFrames = 5;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Phase = 6;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Rate = 7;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Hertz = 8;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Cents = 9;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_RelativeSemiTones = 10;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_MIDINoteNumber = 11;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_MIDIController = 12;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Decibels = 13;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_LinearGain = 14;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Degrees = 15;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_EqualPowerCrossfade = 16;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_MixerFaderCurve1 = 17;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Pan = 18;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Meters = 19;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_AbsoluteCents = 20;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Octaves = 21;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_BPM = 22;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Beats = 23;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Milliseconds = 24;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Ratio = 25;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_CustomUnit = 26;

inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_CFNameRelease = 1u << 4;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_MeterReadOnly = 1u << 15;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_DisplaySquareRoot = 1u << 16;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_DisplaySquared = 2u << 16;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_DisplayCubed = 3u << 16;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_DisplayCubeRoot = 4u << 16;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_DisplayExponential = 5u << 16;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_HasClump = 1u << 20;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_ValuesHaveStrings = 1u << 21;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_DisplayLogarithmic = 1u << 22;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_IsHighResolution = 1u << 23;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_NonRealTime = 1u << 24;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_CanRamp = 1u << 25;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_ExpertMode = 1u << 26;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_HasCFNameString = 1u << 27;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_IsGlobalMeta = 1u << 28;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_IsElementMeta = 1u << 29;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_IsReadable = 1u << 30;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_IsWritable = 1u << 31;

struct AudioUnitParameterInfo {
    char name[52];
    CFStringRef unitName;
    UInt32 clumpID;
    CFStringRef cfNameString;
    AudioUnitParameterUnit unit;
    AudioUnitParameterValue minValue;
    AudioUnitParameterValue maxValue;
    AudioUnitParameterValue defaultValue;
    AudioUnitParameterOptions flags;
};

struct AudioUnitParameterEvent {
    AudioUnitScope scope;
    AudioUnitElement element;
    AudioUnitParameterID parameter;
    AUParameterEventType eventType;
    union {
        struct {
            SInt32 startBufferOffset;
            UInt32 durationInFrames;
            AudioUnitParameterValue startValue;
            AudioUnitParameterValue endValue;
        } ramp;
        struct {
            UInt32 bufferOffset;
            AudioUnitParameterValue value;
        } immediate;
    } eventValues;
};

struct AudioUnitParameter {
    AudioUnit mAudioUnit;
    AudioUnitParameterID mParameterID;
    AudioUnitScope mScope;
    AudioUnitElement mElement;
};

struct AUPreset {
    SInt32 presetNumber;
    CFStringRef presetName;
};

struct AUChannelInfo {
    SInt16 inChannels;
    SInt16 outChannels;
};
static_assert(sizeof(AUChannelInfo) == 4);

struct AudioUnitConnection {
    AudioUnit sourceAudioUnit;
    UInt32 sourceOutputNumber;
    UInt32 destInputNumber;
};

using AURenderCallback = OSStatus (*)(void* inRefCon, AudioUnitRenderActionFlags* ioActionFlags,
                                      const AudioTimeStamp* inTimeStamp, UInt32 inBusNumber,
                                      UInt32 inNumberFrames, AudioBufferList* ioData);

struct AURenderCallbackStruct {
    AURenderCallback inputProc;
    void* inputProcRefCon;
};

using HostCallback_GetBeatAndTempo = OSStatus (*)(void* inHostUserData, Float64* outCurrentBeat,
                                                  Float64* outCurrentTempo);
using HostCallback_GetMusicalTimeLocation = OSStatus (*)(void* inHostUserData,
                                                         UInt32* outDeltaSampleOffsetToNextBeat,
                                                         Float32* outTimeSig_Numerator,
                                                         UInt32* outTimeSig_Denominator,
                                                         Float64* outCurrentMeasureDownBeat);
using HostCallback_GetTransportState = OSStatus (*)(void* inHostUserData, uint8_t* outIsPlaying,
                                                    uint8_t* outTransportStateChanged,
                                                    Float64* outCurrentSampleInTimeLine,
                                                    uint8_t* outIsCycling, Float64* outCycleStartBeat,
                                                    Float64* outCycleEndBeat);

struct HostCallbackInfo {
    void* hostUserData;
    HostCallback_GetBeatAndTempo beatAndTempoProc;
    HostCallback_GetMusicalTimeLocation musicalTimeLocationProc;
    HostCallback_GetTransportState transportStateProc;
};

struct AudioUnitExternalBuffer {
    uint8_t* buffer;
    UInt32 size;
};

using AudioUnitPropertyListenerProc = void (*)(void* inRefCon, AudioUnit inUnit, AudioUnitPropertyID inID,
                                               AudioUnitScope inScope, AudioUnitElement inElement);

// Fast dispatch: the unit object itself instead of a component instance.
using AudioUnitGetParameterProc = OSStatus (*)(void* inComponentStorage, AudioUnitParameterID inID,
                                               AudioUnitScope inScope, AudioUnitElement inElement,
                                               AudioUnitParameterValue* outValue);
using AudioUnitSetParameterProc = OSStatus (*)(void* inComponentStorage, AudioUnitParameterID inID,
                                               AudioUnitScope inScope, AudioUnitElement inElement,
                                               AudioUnitParameterValue inValue,
                                               UInt32 inBufferOffsetInFrames);
using AudioUnitRenderProc = OSStatus (*)(void* inComponentStorage, AudioUnitRenderActionFlags* ioActionFlags,
                                         const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
                                         UInt32 inNumberFrames, AudioBufferList* ioData);

// Exported from the platform's shared library, which hides everything else.
#pragma GCC visibility push(default)
extern "C" {

OSStatus AudioUnitInitialize(AudioUnit unit);
OSStatus AudioUnitUninitialize(AudioUnit unit);
OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize, uint8_t* outWritable);
OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, void* outData, UInt32* ioDataSize);
OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, const void* inData, UInt32 inDataSize);
OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue);
OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value,
                               UInt32 bufferOffsetInFrames);
OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element);
OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                      AudioUnitPropertyListenerProc proc, void* userData);
OSStatus AudioUnitRemovePropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                         AudioUnitPropertyListenerProc proc);
OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* userData);
OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags,
                         const AudioTimeStamp* inTimeStamp, UInt32 outputBusNumber, UInt32 numberFrames,
                         AudioBufferList* ioData);
OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* userData);
OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* userData);
OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events,
                                     UInt32 numberOfEvents);

// Atomically replaces *address by newValue if it holds oldValue; true if it
// did. Pointer-sized, for the lock-free stacks of pointers.
uint8_t CompareAndSwap(uintptr_t oldValue, uintptr_t newValue, uintptr_t* address);

} // extern "C"
#pragma GCC visibility pop
