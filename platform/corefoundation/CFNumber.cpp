// Numbers: a 64-bit integer or a double, with the fixed-width type it was
// created as, and conversions between the types.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <type_traits>

#include "platform/corefoundation/CFInternal.h"

using platform::detail::Object;

namespace {

// The fixed-width type a number of type `type` is kept as, or 0 if unknown.
CFNumberType canonicalType(CFNumberType type)
{
    static_assert(sizeof(char) == 1 && sizeof(short) == 2 && sizeof(int) == 4 && sizeof(long) == 8 &&
                  sizeof(long long) == 8 && sizeof(CFIndex) == 8);
    switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
        return kCFNumberSInt8Type;
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
        return kCFNumberSInt16Type;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
        return kCFNumberSInt32Type;
    case kCFNumberSInt64Type:
    case kCFNumberLongType:
    case kCFNumberLongLongType:
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType:
        return kCFNumberSInt64Type;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
        return kCFNumberFloat32Type;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType:
        return kCFNumberFloat64Type;
    default:
        return 0;
    }
}

bool isFloatType(CFNumberType canonical)
{
    return canonical == kCFNumberFloat32Type || canonical == kCFNumberFloat64Type;
}

// 2^63 as a double; the first double above the int64_t range.
constexpr double kTwoTo63 = 9223372036854775808.0;

// `value` is an integer within the int64_t range.
bool holdsInt64(double value)
{
    return value >= -kTwoTo63 && value < kTwoTo63 && std::trunc(value) == value;
}

} // namespace

struct __CFNumber final : Object {
    __CFNumber(CFNumberType type, int64_t integer, double real)
        : Object(platform::detail::kNumberTypeID), type(type), integer(integer), real(real)
    {
    }

    bool isFloat() const { return isFloatType(type); }

    bool equals(const Object& other) const override
    {
        const auto& that = static_cast<const __CFNumber&>(other);
        if (!isFloat() && !that.isFloat()) return integer == that.integer;
        if (isFloat() && that.isFloat())
            return real == that.real || (std::isnan(real) && std::isnan(that.real));
        const auto& floating = isFloat() ? *this : that;
        const auto& whole = isFloat() ? that : *this;
        return holdsInt64(floating.real) && static_cast<int64_t>(floating.real) == whole.integer;
    }

    // Equal numbers hash alike: integral reals hash as the integer, and every
    // NaN as one value.
    CFHashCode hash() const override
    {
        if (!isFloat()) return std::hash<int64_t>{}(integer);
        if (holdsInt64(real)) return std::hash<int64_t>{}(static_cast<int64_t>(real));
        if (std::isnan(real)) return std::hash<double>{}(std::numeric_limits<double>::quiet_NaN());
        return std::hash<double>{}(real);
    }

    std::string describe() const override
    {
        if (!isFloat()) return std::to_string(integer);
        char text[32];
        std::snprintf(text, sizeof text, "%.*g", type == kCFNumberFloat32Type ? 9 : 17, real);
        return text;
    }

    const CFNumberType type; // canonical
    const int64_t integer;   // when not a float type
    const double real;       // when a float type
};

namespace {

template <typename T> T load(const void* valuePtr)
{
    T value;
    std::memcpy(&value, valuePtr, sizeof value);
    return value;
}

// Converts the number to T and stores it; true if nothing was lost.
template <typename T> bool convert(const __CFNumber& number, void* valuePtr)
{
    T value;
    bool exact;
    if constexpr (std::is_integral_v<T>) {
        if (number.isFloat()) {
            // Truncates toward zero; saturates out of range, NaN gives 0.
            const double real = number.real;
            constexpr double low = static_cast<double>(std::numeric_limits<T>::min());
            if (std::isnan(real))
                value = 0;
            else if (real < low)
                value = std::numeric_limits<T>::min();
            else if (real >= -low)
                value = std::numeric_limits<T>::max();
            else
                value = static_cast<T>(real);
            exact = real >= low && real < -low && std::trunc(real) == real;
        } else {
            value = static_cast<T>(number.integer);
            exact = static_cast<int64_t>(value) == number.integer;
        }
    } else {
        if (number.isFloat()) {
            value = static_cast<T>(number.real);
            exact =
                static_cast<double>(value) == number.real || (std::isnan(value) && std::isnan(number.real));
        } else {
            value = static_cast<T>(number.integer);
            const double back = static_cast<double>(value);
            exact = holdsInt64(back) && static_cast<int64_t>(back) == number.integer;
        }
    }
    std::memcpy(valuePtr, &value, sizeof value);
    return exact;
}

} // namespace

CFTypeID CFNumberGetTypeID(void)
{
    return platform::detail::kNumberTypeID;
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void* valuePtr)
{
    switch (const CFNumberType type = canonicalType(theType)) {
    case kCFNumberSInt8Type:
        return new __CFNumber(type, load<int8_t>(valuePtr), 0.0);
    case kCFNumberSInt16Type:
        return new __CFNumber(type, load<int16_t>(valuePtr), 0.0);
    case kCFNumberSInt32Type:
        return new __CFNumber(type, load<int32_t>(valuePtr), 0.0);
    case kCFNumberSInt64Type:
        return new __CFNumber(type, load<int64_t>(valuePtr), 0.0);
    case kCFNumberFloat32Type:
        return new __CFNumber(type, 0, load<float>(valuePtr));
    case kCFNumberFloat64Type:
        return new __CFNumber(type, 0, load<double>(valuePtr));
    default:
        return nullptr;
    }
}

CFNumberRef platform::detail::createInteger(int64_t value)
{
    if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
        const auto narrow = static_cast<int32_t>(value);
        return CFNumberCreate(nullptr, kCFNumberSInt32Type, &narrow);
    }
    return CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
}

CFNumberType CFNumberGetType(CFNumberRef number)
{
    return number->type;
}

Boolean CFNumberIsFloatType(CFNumberRef number)
{
    return number->isFloat();
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr)
{
    switch (canonicalType(theType)) {
    case kCFNumberSInt8Type:
        return convert<int8_t>(*number, valuePtr);
    case kCFNumberSInt16Type:
        return convert<int16_t>(*number, valuePtr);
    case kCFNumberSInt32Type:
        return convert<int32_t>(*number, valuePtr);
    case kCFNumberSInt64Type:
        return convert<int64_t>(*number, valuePtr);
    case kCFNumberFloat32Type:
        return convert<float>(*number, valuePtr);
    case kCFNumberFloat64Type:
        return convert<double>(*number, valuePtr);
    default:
        return false;
    }
}
