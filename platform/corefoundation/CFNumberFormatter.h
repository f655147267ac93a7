#pragma once

// Number formatting for parameter display: numbers to text and back.
//
// Locale-independent: whatever locale is given (NULL included), the decimal
// separator is always '.', there is no grouping separator, and a minus sign
// is '-'. Only the no-style (integers) and decimal styles exist; creating
// another style gives NULL. The decimal style shows at most 3 fraction
// digits unless told otherwise; trailing zeros beyond the minimum number of
// fraction digits (0 unless set) are dropped. Values round to the nearest
// representable text, ties to even. Infinities are "inf" and "-inf", NaN is
// "nan"; negative zero is "0". Included by CoreFoundation.h.

#include "platform/corefoundation/CoreFoundation.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct __CFNumberFormatter* CFNumberFormatterRef;
typedef const struct __CFLocale* CFLocaleRef;

typedef CFIndex CFNumberFormatterStyle;
enum {
    kCFNumberFormatterNoStyle = 0,
    kCFNumberFormatterDecimalStyle = 1,
};

#pragma GCC visibility push(default)

// Property keys, each with a CFNumber value (from 0 to 20; a maximum below
// the minimum lowers the minimum); other keys are ignored.
extern const CFStringRef kCFNumberFormatterMaxFractionDigits;
extern const CFStringRef kCFNumberFormatterMinFractionDigits;

CFTypeID CFNumberFormatterGetTypeID(void);
CFNumberFormatterRef CFNumberFormatterCreate(CFAllocatorRef allocator, CFLocaleRef locale,
                                             CFNumberFormatterStyle style);
void CFNumberFormatterSetProperty(CFNumberFormatterRef formatter, CFStringRef key, CFTypeRef value);

CFStringRef CFNumberFormatterCreateStringWithNumber(CFAllocatorRef allocator, CFNumberFormatterRef formatter,
                                                    CFNumberRef number);
// valuePtr points to a value of numberType; NULL for an unknown type.
CFStringRef CFNumberFormatterCreateStringWithValue(CFAllocatorRef allocator, CFNumberFormatterRef formatter,
                                                   CFNumberType numberType, const void* valuePtr);

// Reads a number in either style's text form (leading spaces allowed, and
// trailing ones when the whole string is read; "1e3" exponents, "inf" and
// "nan" accepted) from the part of string that rangep gives in UTF-16 units,
// or the whole string when rangep is NULL, and stores it as numberType. Without rangep the whole string must
// be a number; with it, the number may be followed by other text and rangep's length is set to the UTF-16
// units read. False if no number was read, or if it does not fit numberType exactly (the converted value is
// stored all the same, as with CFNumberGetValue).
Boolean CFNumberFormatterGetValueFromString(CFNumberFormatterRef formatter, CFStringRef string,
                                            CFRange* rangep, CFNumberType numberType, void* valuePtr);

#pragma GCC visibility pop

#ifdef __cplusplus
}
#endif
