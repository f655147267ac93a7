#pragma once

// The Core Foundation subset the framework, the toolkit and hosts call:
// reference-counted strings, numbers, booleans, data, arrays, dictionaries,
// file URLs, bundles, errors and property lists.
//
// Ownership follows the Create/Copy rule: the caller owns every object a
// function with Create or Copy in its name returns and gives it back with
// CFRelease. Get functions return an object the caller does not own; it stays
// valid while the object it came from does (retain it to keep it longer).
//
// Thread safety: retain and release are atomic, so objects may be shared and
// released on any thread. An object may be read from several threads at once;
// mutating a data, array or dictionary object is the caller's to serialise.
//
// Allocators: every CFAllocatorRef argument accepts NULL or
// kCFAllocatorDefault (which is NULL); memory comes from the C++ heap.
//
// Passing NULL where an object is required is a programming error, as on the
// original platform: CFRetain and CFRelease abort on it, other functions may.

#include <stdarg.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------
// Base types

typedef uint8_t Boolean;
typedef uint8_t UInt8;
typedef uint16_t UniChar;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef long CFIndex;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;
typedef unsigned long CFOptionFlags;
typedef const void* CFTypeRef;
typedef const void* CFPropertyListRef;

typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFString* CFStringRef;
typedef const struct __CFNumber* CFNumberRef;
typedef const struct __CFBoolean* CFBooleanRef;
typedef const struct __CFData* CFDataRef;
typedef struct __CFData* CFMutableDataRef;
typedef const struct __CFArray* CFArrayRef;
typedef struct __CFArray* CFMutableArrayRef;
typedef const struct __CFDictionary* CFDictionaryRef;
typedef struct __CFDictionary* CFMutableDictionaryRef;
typedef const struct __CFURL* CFURLRef;
typedef struct __CFBundle* CFBundleRef;
typedef struct __CFError* CFErrorRef;

typedef struct {
    CFIndex location;
    CFIndex length;
} CFRange;

static inline CFRange CFRangeMake(CFIndex location, CFIndex length)
{
    CFRange range = {location, length};
    return range;
}

typedef CFIndex CFComparisonResult;
enum {
    kCFCompareLessThan = -1,
    kCFCompareEqualTo = 0,
    kCFCompareGreaterThan = 1,
};

enum { kCFNotFound = -1 };

// The functions and constants from here on are exported from the platform's
// shared library, which hides everything else (the object types among it).
#pragma GCC visibility push(default)

// ---------------------------------------------------------------------------
// Every object: reference counting, identity, equality, description.
//
// A new object has a retain count of 1. Constant objects (CFSTR strings,
// kCFBooleanTrue/False) are immortal: retain and release do nothing on them
// and CFGetRetainCount reports a very large count.
//
// CFEqual is false for objects of different types. Numbers are equal when
// their values are (1 equals 1.0; NaN equals NaN so that a NaN key can be
// found again). Arrays and dictionaries compare their entries with the
// container's equal callback. CFHash is consistent with CFEqual.

extern const CFAllocatorRef kCFAllocatorDefault;

CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);
CFIndex CFGetRetainCount(CFTypeRef cf);
CFTypeID CFGetTypeID(CFTypeRef cf);
Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);
CFHashCode CFHash(CFTypeRef cf);
// Human-readable text: a string is itself, a number its value, containers
// their entries. For logs and "%@"; not a stable format.
CFStringRef CFCopyDescription(CFTypeRef cf);

// ---------------------------------------------------------------------------
// Strings: immutable Unicode text, held as UTF-8.
//
// Lengths and ranges count UTF-16 code units, as on the original platform.
// Encodings: UTF-8 and ASCII. Creating from invalid bytes (bad UTF-8, a byte
// above 0x7F in ASCII) or with another encoding returns NULL. Comparison is by
// code point.

typedef UInt32 CFStringEncoding;
enum {
    kCFStringEncodingASCII = 0x0600,
    kCFStringEncodingUTF8 = 0x08000100,
};

typedef CFOptionFlags CFStringCompareFlags; // only 0 (literal) is supported

CFTypeID CFStringGetTypeID(void);

// CFSTR("text") is an immortal string, one per distinct text for the whole
// process, so it may be compared by pointer and never needs releasing.
#define CFSTR(cStr) __CFStringMakeConstantString("" cStr "")
CFStringRef __CFStringMakeConstantString(const char* cStr);

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef string);

// Formats like printf: flags, width, precision and length modifiers of the
// integer, floating-point, %s, %c, %p and %% conversions, plus %@ for the
// description of a CF object ("(null)" for NULL). %s arguments are UTF-8.
// formatOptions is ignored. NULL if the result is not valid UTF-8.
CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions, CFStringRef format,
                                     ...);
CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef alloc, CFDictionaryRef formatOptions,
                                                 CFStringRef format, va_list arguments);

CFIndex CFStringGetLength(CFStringRef string);
// Worst-case bytes for `length` UTF-16 units in the encoding, without the
// terminator; kCFNotFound for an unsupported encoding.
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
// Copies the string and a terminating zero into buffer. False, with buffer
// holding an empty string when bufferSize allows, if it does not fit or
// cannot be represented in the encoding.
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// The string's bytes, zero-terminated, when they are available in the
// encoding without conversion (UTF-8 always; ASCII when the text is), else
// NULL. Valid while the string lives.
const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding);
CFComparisonResult CFStringCompare(CFStringRef string1, CFStringRef string2,
                                   CFStringCompareFlags compareOptions);

// ---------------------------------------------------------------------------
// Numbers: an integer (up to 64 bits) or a floating-point value, with the
// type it was created with. The C-named types (kCFNumberIntType, ...) are
// stored as their fixed-width equivalents, which CFNumberGetType reports.
//
// CFNumberGetValue converts to the requested type and stores the result
// even when the conversion loses something (a fraction, range, precision);
// it then returns false. Out-of-range floating-point values saturate and NaN
// becomes 0 when converted to an integer.

typedef CFIndex CFNumberType;
enum {
    kCFNumberSInt8Type = 1,
    kCFNumberSInt16Type = 2,
    kCFNumberSInt32Type = 3,
    kCFNumberSInt64Type = 4,
    kCFNumberFloat32Type = 5,
    kCFNumberFloat64Type = 6,
    kCFNumberCharType = 7,
    kCFNumberShortType = 8,
    kCFNumberIntType = 9,
    kCFNumberLongType = 10,
    kCFNumberLongLongType = 11,
    kCFNumberFloatType = 12,
    kCFNumberDoubleType = 13,
    kCFNumberCFIndexType = 14,
    kCFNumberNSIntegerType = 15,
    kCFNumberCGFloatType = 16,
    kCFNumberMaxType = 16,
};

CFTypeID CFNumberGetTypeID(void);
// NULL for an unknown type.
CFNumberRef CFNumberCreate(CFAllocatorRef alloc, CFNumberType theType, const void* valuePtr);
CFNumberType CFNumberGetType(CFNumberRef number);
Boolean CFNumberIsFloatType(CFNumberRef number);
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr);

// ---------------------------------------------------------------------------
// Booleans: the two immortal constants.

extern const CFBooleanRef kCFBooleanTrue;
extern const CFBooleanRef kCFBooleanFalse;

CFTypeID CFBooleanGetTypeID(void);
Boolean CFBooleanGetValue(CFBooleanRef boolean);

// ---------------------------------------------------------------------------
// Data: a byte buffer. The capacity of a mutable data object is the largest
// length its creator means to reach (0: no limit); it is not enforced.
// Bytes added by CFDataSetLength are zero. The byte pointer of a mutable
// object is invalidated by any change of its length.

CFTypeID CFDataGetTypeID(void);
CFDataRef CFDataCreate(CFAllocatorRef alloc, const UInt8* bytes, CFIndex length);
CFMutableDataRef CFDataCreateMutable(CFAllocatorRef alloc, CFIndex capacity);
CFIndex CFDataGetLength(CFDataRef data);
const UInt8* CFDataGetBytePtr(CFDataRef data);
UInt8* CFDataGetMutableBytePtr(CFMutableDataRef data);
// The range must lie within the data.
void CFDataGetBytes(CFDataRef data, CFRange range, UInt8* buffer);
void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length);
void CFDataSetLength(CFMutableDataRef data, CFIndex length);

// ---------------------------------------------------------------------------
// Callbacks of arrays and dictionaries. A container calls retain on every
// value it stores and release on every value it drops (removal, replacement,
// destruction); equal and hash compare entries (CFEqual, CFHash and the
// container equality). Any callback may be NULL: no retain or release, and
// comparison by pointer identity. Passing NULL for the whole callback record
// makes a container of plain pointers.
//
// kCFTypeArrayCallBacks, kCFTypeDictionaryKeyCallBacks and
// kCFTypeDictionaryValueCallBacks hold CF objects: CFRetain, CFRelease,
// CFEqual, CFHash.

typedef const void* (*CFArrayRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFArrayReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFArrayCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFArrayEqualCallBack)(const void* value1, const void* value2);
typedef struct {
    CFIndex version;
    CFArrayRetainCallBack retain;
    CFArrayReleaseCallBack release;
    CFArrayCopyDescriptionCallBack copyDescription;
    CFArrayEqualCallBack equal;
} CFArrayCallBacks;

typedef const void* (*CFDictionaryRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFDictionaryReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFDictionaryCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFDictionaryEqualCallBack)(const void* value1, const void* value2);
typedef CFHashCode (*CFDictionaryHashCallBack)(const void* value);
typedef struct {
    CFIndex version;
    CFDictionaryRetainCallBack retain;
    CFDictionaryReleaseCallBack release;
    CFDictionaryCopyDescriptionCallBack copyDescription;
    CFDictionaryEqualCallBack equal;
    CFDictionaryHashCallBack hash;
} CFDictionaryKeyCallBacks;
typedef struct {
    CFIndex version;
    CFDictionaryRetainCallBack retain;
    CFDictionaryReleaseCallBack release;
    CFDictionaryCopyDescriptionCallBack copyDescription;
    CFDictionaryEqualCallBack equal;
} CFDictionaryValueCallBacks;

extern const CFArrayCallBacks kCFTypeArrayCallBacks;
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;

// ---------------------------------------------------------------------------
// Arrays: ordered values. Capacity is a hint. Indexes must be in range.
// Immutable and mutable arrays are one type; an array a function returns as
// CFArrayRef must not be changed.

CFTypeID CFArrayGetTypeID(void);
CFArrayRef CFArrayCreate(CFAllocatorRef alloc, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks);
CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef alloc, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks);
CFIndex CFArrayGetCount(CFArrayRef array);
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);
void CFArrayAppendValue(CFMutableArrayRef array, const void* value);
void CFArrayRemoveValueAtIndex(CFMutableArrayRef array, CFIndex index);
void CFArrayRemoveAllValues(CFMutableArrayRef array);

// ---------------------------------------------------------------------------
// Dictionaries: key-value pairs with unique keys (by the key callbacks).
// Keys are kept in insertion order (CFDictionaryGetKeysAndValues and
// CFDictionaryApplyFunction visit them in that order; replacing a value keeps
// the key's place). Capacity is a hint. As with arrays, a dictionary returned
// as CFDictionaryRef must not be changed.

typedef void (*CFDictionaryApplierFunction)(const void* key, const void* value, void* context);

CFTypeID CFDictionaryGetTypeID(void);
CFDictionaryRef CFDictionaryCreate(CFAllocatorRef alloc, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks);
CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef alloc, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks);
CFIndex CFDictionaryGetCount(CFDictionaryRef dict);
// NULL when the key is absent (or its value is NULL).
const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key);
Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dict, const void* key, const void** value);
Boolean CFDictionaryContainsKey(CFDictionaryRef dict, const void* key);
// Either array may be NULL; each given one must hold CFDictionaryGetCount
// entries.
void CFDictionaryGetKeysAndValues(CFDictionaryRef dict, const void** keys, const void** values);
// The applier must not change the dictionary.
void CFDictionaryApplyFunction(CFDictionaryRef dict, CFDictionaryApplierFunction applier, void* context);
// Set adds or replaces; Add adds only when the key is absent.
void CFDictionarySetValue(CFMutableDictionaryRef dict, const void* key, const void* value);
void CFDictionaryAddValue(CFMutableDictionaryRef dict, const void* key, const void* value);
void CFDictionaryRemoveValue(CFMutableDictionaryRef dict, const void* key);
void CFDictionaryRemoveAllValues(CFMutableDictionaryRef dict);

// ---------------------------------------------------------------------------
// URLs of files and folders. Only file URLs with POSIX paths exist here.
// A relative path is taken from the current working directory at creation;
// paths are kept absolute and lexically normalised ("a//b/./c/../d" is
// "a/b/d"), without a trailing slash; whether the URL names a folder is kept
// beside the path.

typedef CFIndex CFURLPathStyle;
enum { kCFURLPOSIXPathStyle = 0 };

CFTypeID CFURLGetTypeID(void);
// NULL for an empty path or another path style.
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef alloc, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory);
// The buffer holds bufLen bytes of a UTF-8 path, not necessarily terminated.
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef alloc, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory);
// The containing folder; the root stays the root.
CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef alloc, CFURLRef url);
CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef alloc, CFURLRef url, CFStringRef pathComponent,
                                               Boolean isDirectory);
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle pathStyle);
CFStringRef CFURLCopyLastPathComponent(CFURLRef url);
Boolean CFURLHasDirectoryPath(CFURLRef url);
// Copies the zero-terminated path into buffer; false if it does not fit.
// resolveAgainstBase is ignored: every URL here is absolute.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxBufLen);

// ---------------------------------------------------------------------------
// Bundles: a folder with Contents/Info.plist and Contents/Resources/.
// The information dictionary is read once, at creation; a missing or
// unreadable Info.plist gives an empty dictionary. Resources are looked up
// in Contents/Resources only (no localised folders).

CFTypeID CFBundleGetTypeID(void);
// NULL if the URL does not name an existing folder.
CFBundleRef CFBundleCreate(CFAllocatorRef alloc, CFURLRef bundleURL);
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
// Contents/Resources[/subDirName]/resourceName[.resourceType], NULL if no
// such file or folder exists. resourceType and subDirName may be NULL.
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName);
CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle);
// NULL if the information dictionary has no such key.
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
// The "CFBundleIdentifier" string, or NULL.
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);

// ---------------------------------------------------------------------------
// Errors: a domain, a code and a description.

extern const CFStringRef kCFErrorDomainCocoa;
// Codes of property-list errors in kCFErrorDomainCocoa.
enum {
    kCFPropertyListReadCorruptError = 3840,
    kCFPropertyListWriteInvalidError = 3852,
};

CFTypeID CFErrorGetTypeID(void);
CFStringRef CFErrorGetDomain(CFErrorRef error);
CFIndex CFErrorGetCode(CFErrorRef error);
CFStringRef CFErrorCopyDescription(CFErrorRef error);

// ---------------------------------------------------------------------------
// Property lists: trees of dictionaries (string keys), arrays, strings,
// numbers, booleans and data, as XML or binary bytes.
//
// Reading accepts either format and reports which one it found. Integers
// become SInt32 numbers when they fit and SInt64 otherwise (an unsigned
// value above the SInt64 range wraps); reals become Float64. Strings must
// be valid UTF-8 without zero characters (libplist ends a binary ASCII
// string at its first zero byte). Dates, UIDs and anything else outside the
// tree types, malformed or truncated bytes, nesting deeper than 512 levels,
// and a binary list whose shared references would expand to more than 2^20
// objects give NULL and, when `error` is given, a new error the caller owns
// (kCFPropertyListReadCorruptError). libplist reads XML number text
// leniently ("12abc" is 12). The tree returned is the caller's; containers
// in it may be changed whatever the options.
//
// Writing gives NULL and a kCFPropertyListWriteInvalidError error for a tree
// holding anything else, a non-string key, a string with a zero character,
// or nesting deeper than 512 levels (which includes a container holding
// itself). A Float32 number is written as the same real value, so it reads
// back as a Float64 from which the Float32 is recovered exactly.

typedef CFIndex CFPropertyListFormat;
enum {
    kCFPropertyListOpenStepFormat = 1, // recognised by name only: never read or written
    kCFPropertyListXMLFormat_v1_0 = 100,
    kCFPropertyListBinaryFormat_v1_0 = 200,
};

typedef CFOptionFlags CFPropertyListMutabilityOptions;
enum {
    kCFPropertyListImmutable = 0,
    kCFPropertyListMutableContainers = 1,
    kCFPropertyListMutableContainersAndLeaves = 2,
};

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef alloc, CFDataRef data, CFOptionFlags options,
                                               CFPropertyListFormat* format, CFErrorRef* error);
// options is ignored.
CFDataRef CFPropertyListCreateData(CFAllocatorRef alloc, CFPropertyListRef propertyList,
                                   CFPropertyListFormat format, CFOptionFlags options, CFErrorRef* error);
// Whether CFPropertyListCreateData would accept the tree in that format.
Boolean CFPropertyListIsValid(CFPropertyListRef plist, CFPropertyListFormat format);

#ifdef __cplusplus
}
#endif

#pragma GCC visibility pop

// Bundle lookup, absolute time, run loops and number formatting have
// headers of their own.
#include "platform/corefoundation/CFBundleLookup.h"
#include "platform/corefoundation/CFDate.h"
#include "platform/corefoundation/CFNumberFormatter.h"
#include "platform/corefoundation/CFRunLoop.h"
