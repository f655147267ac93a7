// A parameter read from an effect through the component interface: its
// info, name, unit tag and value names, the clamped setter, copies, and the
// conversions between values and text.

#include <gtest/gtest.h>

#include <string>

#include "ViewedEffect.h"
#include "au/carbonview/CAAUParameter.h"

namespace {

std::string text(CFStringRef string)
{
    if (string == nullptr) return "(null)";
    char buffer[256];
    return CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "(unreadable)";
}

// Takes a string retained for the caller.
std::string take(CFStringRef string)
{
    std::string result = text(string);
    if (string) CFRelease(string);
    return result;
}

class CAAUParameterTest : public ::testing::Test {
  protected:
    CAAUParameter parameter(AudioUnitParameterID id) const
    {
        return CAAUParameter(effect.unit(), id, kAudioUnitScope_Global, 0);
    }
    Float32 valueOf(AudioUnitParameterID id) const
    {
        Float32 value = -1;
        AudioUnitGetParameter(effect.unit(), id, kAudioUnitScope_Global, 0, &value);
        return value;
    }

    OpenViewedEffect effect;
};

TEST_F(CAAUParameterTest, SetValueClampsToTheRangeTheEffectReports)
{
    // The info record is read whole: a short read would leave the range at
    // 0 and every value set would become 0.
    const CAAUParameter gain = parameter(ViewedEffect::kGain);
    EXPECT_EQ(gain.ParamInfo().maxValue, 2.0f);
    EXPECT_EQ(gain.SetValue(nullptr, nullptr, 1.25f), noErr);
    EXPECT_EQ(valueOf(ViewedEffect::kGain), 1.25f);
    EXPECT_EQ(gain.GetValue(), 1.25f);
    gain.SetValue(nullptr, nullptr, 5);
    EXPECT_EQ(valueOf(ViewedEffect::kGain), 2.0f);
    gain.SetValue(nullptr, nullptr, -1);
    EXPECT_EQ(valueOf(ViewedEffect::kGain), 0.0f);

    const CAAUParameter frequency = parameter(ViewedEffect::kFrequency);
    frequency.SetValue(nullptr, nullptr, 1);
    EXPECT_EQ(valueOf(ViewedEffect::kFrequency), 20.0f);
}

TEST_F(CAAUParameterTest, AParameterWithoutInfoIsAllZeroAndClampsTo0)
{
    const CAAUParameter hidden = parameter(ViewedEffect::kHidden);
    EXPECT_EQ(hidden.ParamInfo().minValue, 0.0f);
    EXPECT_EQ(hidden.ParamInfo().maxValue, 0.0f);
    EXPECT_EQ(hidden.ParamInfo().unit, 0u);
    EXPECT_EQ(text(hidden.GetName()), "");
    EXPECT_EQ(hidden.GetParamTag(), nullptr);
    EXPECT_EQ(hidden.SetValue(nullptr, nullptr, 0.75f), noErr);
    EXPECT_EQ(valueOf(ViewedEffect::kHidden), 0.0f);
}

TEST_F(CAAUParameterTest, AnAddressRecordReadsTheSameParameter)
{
    parameter(ViewedEffect::kGain).SetValue(nullptr, nullptr, 1.5f);
    const AudioUnitParameter address{effect.unit(), ViewedEffect::kGain, kAudioUnitScope_Global, 0};
    const CAAUParameter fromAddress(address);
    EXPECT_EQ(fromAddress.GetValue(), 1.5f);
    EXPECT_EQ(fromAddress.ParamInfo().maxValue, 2.0f);
    EXPECT_EQ(text(fromAddress.GetName()), "Gain");
}

TEST_F(CAAUParameterTest, NamesFromEitherFieldBoundedAndOwned)
{
    EXPECT_EQ(text(parameter(ViewedEffect::kGain).GetName()), "Gain");
    // Handed over with the release flag: taken, not retained again (the
    // leak checker sees a retain too many; a release too many crashes).
    EXPECT_EQ(text(parameter(ViewedEffect::kFrequency).GetName()), "Frequency");
    // A full field without a terminator: exactly the field.
    EXPECT_EQ(text(parameter(ViewedEffect::kLongName).GetName()), std::string(52, 'x'));
}

TEST_F(CAAUParameterTest, UnitTagsAndIndexedCounts)
{
    EXPECT_EQ(text(parameter(ViewedEffect::kGain).GetParamTag()), "Gain");
    EXPECT_EQ(text(parameter(ViewedEffect::kFrequency).GetParamTag()), "Hz");
    EXPECT_EQ(text(parameter(ViewedEffect::kZorks).GetParamTag()), "Zk");
    EXPECT_EQ(parameter(ViewedEffect::kGain).GetNumIndexedParams(), 0);

    const CAAUParameter note = parameter(ViewedEffect::kNote);
    EXPECT_EQ(text(note.GetParamTag()), "MIDI");
    EXPECT_EQ(note.GetNumIndexedParams(), 128);

    const CAAUParameter mode = parameter(ViewedEffect::kMode);
    EXPECT_EQ(mode.GetParamTag(), nullptr);
    EXPECT_EQ(mode.GetNumIndexedParams(), 3);
    ASSERT_TRUE(mode.HasNamedParams());
    EXPECT_EQ(text(mode.GetParamName(1)), "Slow");
    EXPECT_EQ(mode.GetParamName(3), nullptr);
    EXPECT_EQ(mode.GetParamName(-1), nullptr);

    // No value names (and no error): counted from the range, and nothing
    // to release.
    const CAAUParameter steps = parameter(ViewedEffect::kSteps);
    EXPECT_FALSE(steps.HasNamedParams());
    EXPECT_EQ(steps.GetNumIndexedParams(), 4);

    // A range that is not a number counts nothing rather than converting NaN.
    EXPECT_EQ(parameter(ViewedEffect::kBroken).GetNumIndexedParams(), 0);
}

TEST_F(CAAUParameterTest, CopiesKeepTheirOwnReferences)
{
    CAAUParameter copy;
    EXPECT_EQ(copy.GetName(), nullptr);
    {
        const CAAUParameter mode = parameter(ViewedEffect::kMode);
        const CAAUParameter frequency = parameter(ViewedEffect::kFrequency);
        copy = mode;
        copy = frequency; // releases what it held from mode
        copy = mode;
        const CAAUParameter& itself = copy;
        copy = itself;
    }
    CAAUParameter second(copy);
    EXPECT_EQ(text(copy.GetName()), "Mode");
    EXPECT_EQ(text(second.GetParamName(2)), "Fast");
    EXPECT_EQ(second.mParameterID, ViewedEffect::kMode);
    EXPECT_EQ(second.mAudioUnit, effect.unit());
}

TEST_F(CAAUParameterTest, ValuesToTextAndBack)
{
    const CAAUParameter mode = parameter(ViewedEffect::kMode);
    const Float32 two = 2, outside = 7;
    EXPECT_EQ(take(mode.GetStringFromValueCopy(&two)), "Fast");
    // No name for it: the number, whole.
    EXPECT_EQ(take(mode.GetStringFromValueCopy(&outside)), "7");
    EXPECT_EQ(mode.GetValueFromString(CFSTR("Slow")), 1.0f);

    const CAAUParameter frequency = parameter(ViewedEffect::kFrequency);
    const Float32 a = 440.5f, b = 1000.0f, c = 1234.5678f;
    EXPECT_EQ(take(frequency.GetStringFromValueCopy(&a)), "440.5");
    EXPECT_EQ(take(frequency.GetStringFromValueCopy(&b)), "1000");
    EXPECT_EQ(take(frequency.GetStringFromValueCopy(&c)), "1234.57");
    frequency.SetValue(nullptr, nullptr, 300);
    EXPECT_EQ(take(frequency.GetStringFromValueCopy()), "300");

    EXPECT_EQ(frequency.GetValueFromString(CFSTR("523.25")), 523.25f);
    // Clamped to the range; text that is no number, or NaN, gives the
    // current value.
    EXPECT_EQ(frequency.GetValueFromString(CFSTR("1e9")), 20000.0f);
    EXPECT_EQ(frequency.GetValueFromString(CFSTR("-5")), 20.0f);
    EXPECT_EQ(frequency.GetValueFromString(CFSTR("loud")), 300.0f);
    EXPECT_EQ(frequency.GetValueFromString(CFSTR("nan")), 300.0f);
    EXPECT_EQ(ValueForLocalizedParameterString(nullptr, frequency), 300.0f);
    EXPECT_EQ(take(CreateLocalizedStringForParameterValue(0.123456, frequency, 4)), "0.1235");
}

} // namespace
