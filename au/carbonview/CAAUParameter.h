#pragma once

// A parameter address with the parameter's info as the effect reports it:
// its name, a short unit tag, the number of indexed values and their names,
// and a setter that clamps to the parameter's range.

#include "platform/audiounit/AUEventListener.h"

class CAAUParameter : public AudioUnitParameter {
  public:
    // All zero.
    CAAUParameter();
    CAAUParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element);
    explicit CAAUParameter(const AudioUnitParameter& address);
    CAAUParameter(const CAAUParameter& other);
    CAAUParameter& operator=(const CAAUParameter& other);
    ~CAAUParameter();

    // Clamped to the info's range (all 0 when the info could not be read),
    // then set and announced with AUParameterSet at buffer offset 0.
    OSStatus SetValue(AUParameterListenerRef sendingListener, void* sendingObject, Float32 value) const;
    // 0 when the effect cannot give it.
    Float32 GetValue() const;

    const AudioUnitParameterInfo& ParamInfo() const { return mParamInfo; }
    // Not retained for the caller.
    CFStringRef GetName() const { return mParamName; }
    // "Hz", "dB" and the like; null for units without one.
    CFStringRef GetParamTag() const { return mParamTag; }
    // The number of indexed values (indexed, MIDI units), else 0.
    short GetNumIndexedParams() const { return mNumIndexedParams; }
    bool HasNamedParams() const { return mNamedParams != nullptr; }
    // The name of indexed value `index`, not retained; null outside the names.
    CFStringRef GetParamName(int index) const;

    // The value (the current one when null) as display text, retained for
    // the caller: its value name for an indexed parameter with names,
    // otherwise the number.
    CFStringRef GetStringFromValueCopy(const Float32* value = nullptr) const;
    // Back from display text: a value name's index, or the number it reads
    // as; the current value when it reads as neither.
    Float32 GetValueFromString(CFStringRef string) const;

  private:
    void Init();
    void Release();
    void RetainFrom(const CAAUParameter& other);

    AudioUnitParameterInfo mParamInfo{};
    CFStringRef mParamName = nullptr;
    CFStringRef mParamTag = nullptr;
    short mNumIndexedParams = 0;
    CFArrayRef mNamedParams = nullptr;
};

// The value as text with up to `digits` fraction digits (fewer for large
// values), retained for the caller; locale formatting, '.' as the decimal
// separator on this platform.
CFStringRef CreateLocalizedStringForParameterValue(double value, const CAAUParameter& parameter,
                                                   UInt32 digits);
// The number the text reads as, clamped to the parameter's range; the
// parameter's current value when it reads as none.
Float32 ValueForLocalizedParameterString(CFStringRef string, const CAAUParameter& parameter);
