#include "au/carbonview/CAAUParameter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// 1 + maximum − minimum as a count of values; ranges that are not finite
// or do not fit give 0 rather than an undefined conversion.
short IndexedCount(const AudioUnitParameterInfo& info)
{
    const double count = 1.0 + double(info.maxValue) - double(info.minValue);
    if (!(count >= 0) || count > 32767) return 0;
    return static_cast<short>(count);
}

CFStringRef UnitTag(AudioUnitParameterUnit unit)
{
    switch (unit) {
    case kAudioUnitParameterUnit_Boolean:
        return CFSTR("T/F");
    case kAudioUnitParameterUnit_Percent:
    case kAudioUnitParameterUnit_EqualPowerCrossfade:
        return CFSTR("%");
    case kAudioUnitParameterUnit_Seconds:
        return CFSTR("Secs");
    case kAudioUnitParameterUnit_SampleFrames:
        return CFSTR("Samps");
    case kAudioUnitParameterUnit_Phase:
    case kAudioUnitParameterUnit_Degrees:
        return CFSTR("Degr.");
    case kAudioUnitParameterUnit_Hertz:
        return CFSTR("Hz");
    case kAudioUnitParameterUnit_Cents:
    case kAudioUnitParameterUnit_AbsoluteCents:
        return CFSTR("Cents");
    case kAudioUnitParameterUnit_RelativeSemiTones:
        return CFSTR("S-T");
    case kAudioUnitParameterUnit_MIDINoteNumber:
    case kAudioUnitParameterUnit_MIDIController:
        return CFSTR("MIDI");
    case kAudioUnitParameterUnit_Decibels:
        return CFSTR("dB");
    case kAudioUnitParameterUnit_LinearGain:
    case kAudioUnitParameterUnit_MixerFaderCurve1:
        return CFSTR("Gain");
    case kAudioUnitParameterUnit_Pan:
        return CFSTR("L/R");
    case kAudioUnitParameterUnit_Meters:
        return CFSTR("Mtrs");
    case kAudioUnitParameterUnit_Octaves:
        return CFSTR("8ve");
    case kAudioUnitParameterUnit_BPM:
        return CFSTR("BPM");
    case kAudioUnitParameterUnit_Beats:
        return CFSTR("Beats");
    case kAudioUnitParameterUnit_Milliseconds:
        return CFSTR("msecs");
    case kAudioUnitParameterUnit_Ratio:
        return CFSTR("Ratio");
    default:
        return nullptr;
    }
}

// Units whose values are whole numbers.
bool IsWholeUnit(AudioUnitParameterUnit unit)
{
    return unit == kAudioUnitParameterUnit_Indexed || unit == kAudioUnitParameterUnit_Boolean ||
           unit == kAudioUnitParameterUnit_MIDINoteNumber || unit == kAudioUnitParameterUnit_MIDIController;
}

CFNumberFormatterRef CreateFormatter(UInt32 digits)
{
    CFNumberFormatterRef formatter =
        CFNumberFormatterCreate(nullptr, nullptr, kCFNumberFormatterDecimalStyle);
    const int maxDigits = static_cast<int>(std::min<UInt32>(digits, 20));
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberIntType, &maxDigits);
    CFNumberFormatterSetProperty(formatter, kCFNumberFormatterMaxFractionDigits, number);
    CFRelease(number);
    return formatter;
}

} // namespace

CAAUParameter::CAAUParameter() : AudioUnitParameter{}
{
}

CAAUParameter::CAAUParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                             AudioUnitElement element)
    : AudioUnitParameter{unit, id, scope, element}
{
    Init();
}

CAAUParameter::CAAUParameter(const AudioUnitParameter& address) : AudioUnitParameter(address)
{
    Init();
}

CAAUParameter::CAAUParameter(const CAAUParameter& other) : AudioUnitParameter(other)
{
    RetainFrom(other);
}

CAAUParameter& CAAUParameter::operator=(const CAAUParameter& other)
{
    if (this != &other) {
        Release();
        AudioUnitParameter::operator=(other);
        RetainFrom(other);
    }
    return *this;
}

CAAUParameter::~CAAUParameter()
{
    Release();
}

void CAAUParameter::Init()
{
    // The record's real size: pointers make it larger than on 32 bits, and a
    // short read would be refused and leave the range at 0.
    UInt32 size = sizeof mParamInfo;
    if (AudioUnitGetProperty(mAudioUnit, kAudioUnitProperty_ParameterInfo, mScope, mParameterID, &mParamInfo,
                             &size) != noErr)
        mParamInfo = {};

    if ((mParamInfo.flags & kAudioUnitParameterFlag_HasCFNameString) && mParamInfo.cfNameString) {
        mParamName = mParamInfo.cfNameString;
        if (!(mParamInfo.flags & kAudioUnitParameterFlag_CFNameRelease)) CFRetain(mParamName);
    } else {
        // The 8-bit name need not end within its field.
        const auto* name = reinterpret_cast<const UInt8*>(mParamInfo.name);
        mParamName = CFStringCreateWithBytes(nullptr, name, strnlen(mParamInfo.name, sizeof mParamInfo.name),
                                             kCFStringEncodingUTF8, false);
    }

    switch (mParamInfo.unit) {
    case kAudioUnitParameterUnit_Indexed: {
        CFArrayRef names = nullptr;
        UInt32 namesSize = sizeof names;
        if (AudioUnitGetProperty(mAudioUnit, kAudioUnitProperty_ParameterValueStrings, mScope, mParameterID,
                                 &names, &namesSize) == noErr &&
            names) {
            mNamedParams = names;
            mNumIndexedParams = static_cast<short>(std::min<CFIndex>(CFArrayGetCount(names), 32767));
        } else {
            mNumIndexedParams = IndexedCount(mParamInfo);
        }
        break;
    }
    case kAudioUnitParameterUnit_MIDINoteNumber:
    case kAudioUnitParameterUnit_MIDIController:
        mNumIndexedParams = IndexedCount(mParamInfo);
        mParamTag = UnitTag(mParamInfo.unit);
        break;
    case kAudioUnitParameterUnit_CustomUnit:
        mParamTag = mParamInfo.unitName;
        if (mParamTag) CFRetain(mParamTag);
        break;
    default:
        mParamTag = UnitTag(mParamInfo.unit);
        break;
    }
}

void CAAUParameter::RetainFrom(const CAAUParameter& other)
{
    mParamInfo = other.mParamInfo;
    mParamName = other.mParamName;
    mParamTag = other.mParamTag;
    mNumIndexedParams = other.mNumIndexedParams;
    mNamedParams = other.mNamedParams;
    for (CFTypeRef owned : {CFTypeRef(mParamName), CFTypeRef(mParamTag), CFTypeRef(mNamedParams)})
        if (owned) CFRetain(owned);
}

void CAAUParameter::Release()
{
    // Any of them may be missing: no name, no tag, no value names.
    for (CFTypeRef owned : {CFTypeRef(mParamName), CFTypeRef(mParamTag), CFTypeRef(mNamedParams)})
        if (owned) CFRelease(owned);
    mParamName = mParamTag = nullptr;
    mNamedParams = nullptr;
}

OSStatus CAAUParameter::SetValue(AUParameterListenerRef sendingListener, void* sendingObject,
                                 Float32 value) const
{
    const Float32 clamped = std::max(mParamInfo.minValue, std::min(mParamInfo.maxValue, value));
    return AUParameterSet(sendingListener, sendingObject, this, clamped, 0);
}

Float32 CAAUParameter::GetValue() const
{
    Float32 value = 0;
    AudioUnitGetParameter(mAudioUnit, mParameterID, mScope, mElement, &value);
    return value;
}

CFStringRef CAAUParameter::GetParamName(int index) const
{
    if (mNamedParams == nullptr || index < 0 || index >= CFArrayGetCount(mNamedParams)) return nullptr;
    return static_cast<CFStringRef>(CFArrayGetValueAtIndex(mNamedParams, index));
}

CFStringRef CAAUParameter::GetStringFromValueCopy(const Float32* value) const
{
    const Float32 shown = value ? *value : GetValue();
    if (mNamedParams) {
        const double index = std::floor(double(shown) - double(mParamInfo.minValue) + 0.5);
        if (index >= 0 && index < CFArrayGetCount(mNamedParams)) {
            CFStringRef name = GetParamName(static_cast<int>(index));
            if (name) return static_cast<CFStringRef>(CFRetain(name));
        }
    }
    return CreateLocalizedStringForParameterValue(shown, *this, IsWholeUnit(mParamInfo.unit) ? 0 : 2);
}

Float32 CAAUParameter::GetValueFromString(CFStringRef string) const
{
    if (mNamedParams) {
        for (CFIndex i = 0; i < CFArrayGetCount(mNamedParams); ++i)
            if (CFEqual(CFArrayGetValueAtIndex(mNamedParams, i), string))
                return mParamInfo.minValue + static_cast<Float32>(i);
    }
    return ValueForLocalizedParameterString(string, *this);
}

CFStringRef CreateLocalizedStringForParameterValue(double value, const CAAUParameter&, UInt32 digits)
{
    CFNumberFormatterRef formatter = CreateFormatter(digits);
    CFStringRef text =
        CFNumberFormatterCreateStringWithValue(nullptr, formatter, kCFNumberDoubleType, &value);
    CFRelease(formatter);
    return text;
}

Float32 ValueForLocalizedParameterString(CFStringRef string, const CAAUParameter& parameter)
{
    CFNumberFormatterRef formatter = CreateFormatter(0);
    double value = 0;
    const bool read = string && CFNumberFormatterGetValueFromString(formatter, string, nullptr,
                                                                    kCFNumberDoubleType, &value);
    CFRelease(formatter);
    if (!read || std::isnan(value)) return parameter.GetValue();
    const AudioUnitParameterInfo& info = parameter.ParamInfo();
    return static_cast<Float32>(std::max(double(info.minValue), std::min(double(info.maxValue), value)));
}
