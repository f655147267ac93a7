#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/corefoundation/CFRef.h"
#include "platform/corefoundation/CoreFoundation.h"

using platform::CFRef;

namespace {

std::string text(CFStringRef string)
{
    CFRef<CFStringRef> owned(string);
    return owned ? CFStringGetCStringPtr(owned.get(), kCFStringEncodingUTF8) : "(null)";
}

class NumberFormatterTest : public ::testing::Test {
  protected:
    CFRef<CFNumberFormatterRef> decimal{
        CFNumberFormatterCreate(nullptr, nullptr, kCFNumberFormatterDecimalStyle)};

    void setDigits(CFStringRef key, SInt32 digits)
    {
        CFRef<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberSInt32Type, &digits));
        CFNumberFormatterSetProperty(decimal.get(), key, number.get());
    }
    std::string format(double value)
    {
        return text(
            CFNumberFormatterCreateStringWithValue(nullptr, decimal.get(), kCFNumberFloat64Type, &value));
    }
};

} // namespace

TEST_F(NumberFormatterTest, FormatsWithTheFractionDigitsAsked)
{
    EXPECT_EQ(format(1.5), "1.5");
    EXPECT_EQ(format(0.1234567), "0.123");
    EXPECT_EQ(format(2.0), "2");
    EXPECT_EQ(format(-1234567.25), "-1234567.25"); // no grouping
    EXPECT_EQ(format(-0.0001), "0");
    EXPECT_EQ(format(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(format(std::nan("")), "nan");
    EXPECT_EQ(format(1e300).size(), 301u);
    // Floats show their value to the digits asked, not their binary noise.
    const float tenth = 0.1f;
    EXPECT_EQ(
        text(CFNumberFormatterCreateStringWithValue(nullptr, decimal.get(), kCFNumberFloat32Type, &tenth)),
        "0.1");

    setDigits(kCFNumberFormatterMinFractionDigits, 2);
    EXPECT_EQ(format(2.0), "2.00");
    EXPECT_EQ(format(2.12345), "2.123");
    setDigits(kCFNumberFormatterMaxFractionDigits, 1); // lowers the minimum too
    EXPECT_EQ(format(2.0), "2.0");
    EXPECT_EQ(format(0.25), "0.2");                      // ties to even
    EXPECT_EQ(format(0.35), "0.3");                      // 0.35 is 0.34999... in binary
    setDigits(kCFNumberFormatterMaxFractionDigits, 100); // at most 20
    EXPECT_EQ(format(1.0 / 3), "0.33333333333333331483");

    // Integers keep every digit; no-style formatters round to whole numbers.
    const int64_t big = 9007199254740993; // not a double
    EXPECT_EQ(text(CFNumberFormatterCreateStringWithValue(nullptr, decimal.get(), kCFNumberSInt64Type, &big)),
              "9007199254740993.0");
    CFRef<CFNumberFormatterRef> whole(CFNumberFormatterCreate(nullptr, nullptr, kCFNumberFormatterNoStyle));
    const double value = 2.5;
    EXPECT_EQ(
        text(CFNumberFormatterCreateStringWithValue(nullptr, whole.get(), kCFNumberFloat64Type, &value)),
        "2");
    EXPECT_EQ(CFNumberFormatterCreate(nullptr, nullptr, 3), nullptr);
}

TEST_F(NumberFormatterTest, ReadsNumbersBackWholeOrFromARange)
{
    float value = 0;
    EXPECT_TRUE(CFNumberFormatterGetValueFromString(decimal.get(), CFSTR(" -12.5 "), nullptr,
                                                    kCFNumberFloat32Type, &value));
    EXPECT_EQ(value, -12.5f);
    EXPECT_FALSE(CFNumberFormatterGetValueFromString(decimal.get(), CFSTR("12.5 Hz"), nullptr,
                                                     kCFNumberFloat32Type, &value));
    EXPECT_FALSE(CFNumberFormatterGetValueFromString(decimal.get(), CFSTR("Hz"), nullptr,
                                                     kCFNumberFloat32Type, &value));
    EXPECT_FALSE(
        CFNumberFormatterGetValueFromString(decimal.get(), CFSTR(""), nullptr, kCFNumberFloat32Type, &value));

    // A range after text of other widths (é is one UTF-16 unit, 😀 two), and
    // the length read coming back.
    CFRange range = CFRangeMake(4, 9);
    double number = 0;
    EXPECT_TRUE(CFNumberFormatterGetValueFromString(decimal.get(), CFSTR("é😀:1e3 dB"), &range,
                                                    kCFNumberFloat64Type, &number));
    EXPECT_EQ(number, 1000.0);
    EXPECT_EQ(range.length, 3);

    // Stored converted, but reported when it does not fit.
    int32_t integer = 0;
    EXPECT_FALSE(CFNumberFormatterGetValueFromString(decimal.get(), CFSTR("2.75"), nullptr,
                                                     kCFNumberSInt32Type, &integer));
    EXPECT_EQ(integer, 2);
    EXPECT_TRUE(CFNumberFormatterGetValueFromString(decimal.get(), CFSTR("42"), nullptr, kCFNumberSInt32Type,
                                                    &integer));
    EXPECT_EQ(integer, 42);
}
