// CFStringCreateWithFormat: printf conversions handed to vsnprintf one at a
// time, plus %@ for CF objects.

#include <cstdio>
#include <string>

#include "platform/corefoundation/CFInternal.h"

namespace {

// Appends one printf conversion of one argument.
template <typename T> void appendConversion(std::string& out, const std::string& directive, T value)
{
    const int size = std::snprintf(nullptr, 0, directive.c_str(), value);
    if (size <= 0) return;
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(size) + 1);
    std::snprintf(out.data() + start, static_cast<size_t>(size) + 1, directive.c_str(), value);
    out.resize(start + static_cast<size_t>(size));
}

void appendDescription(std::string& out, CFTypeRef object)
{
    if (!object) {
        out += "(null)";
        return;
    }
    CFStringRef description = CFCopyDescription(object);
    if (description) {
        out += platform::detail::utf8(description);
        CFRelease(description);
    }
}

bool isOneOf(char c, std::string_view set)
{
    return set.find(c) != std::string_view::npos;
}

} // namespace

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef, CFDictionaryRef, CFStringRef format,
                                                 va_list arguments)
{
    const std::string_view text = platform::detail::utf8(format);
    std::string out;
    va_list args;
    va_copy(args, arguments);
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            out += text[i++];
            continue;
        }
        // directive = "%", flags, width and precision; '*' widths and precisions
        // are taken from the arguments and written into it.
        std::string directive = "%";
        ++i;
        while (i < text.size() && isOneOf(text[i], "-+ #0'")) directive += text[i++];
        for (int field = 0; field < 2 && i < text.size(); ++field) {
            if (field == 1) {
                if (text[i] != '.') break;
                directive += text[i++];
            }
            if (i < text.size() && text[i] == '*') {
                directive += std::to_string(va_arg(args, int));
                ++i;
            }
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') directive += text[i++];
        }
        std::string length;
        while (i < text.size() && isOneOf(text[i], "hlLqjzt")) length += text[i++];
        if (i == text.size()) break; // a lone '%' at the end prints nothing
        const char conversion = text[i++];
        // The length modifier handed on is the one that matches the type
        // read from the arguments.
        const auto with = [&](const char* modifier) { return directive + modifier + conversion; };
        switch (conversion) {
        case '%':
            out += '%';
            break;
        case '@':
            appendDescription(out, va_arg(args, CFTypeRef));
            break;
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            // 'q' is the 64-bit modifier of the original platform.
            if (length == "ll" || length == "q")
                appendConversion(out, with("ll"), va_arg(args, long long));
            else if (length == "l" || length == "z" || length == "j" || length == "t")
                appendConversion(out, with("l"), va_arg(args, long));
            else if (length == "h" || length == "hh")
                appendConversion(out, with(length.c_str()), va_arg(args, int));
            else
                appendConversion(out, with(""), va_arg(args, int));
            break;
        case 'c':
            appendConversion(out, with(""), va_arg(args, int));
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (length == "L")
                appendConversion(out, with("L"), va_arg(args, long double));
            else
                appendConversion(out, with(""), va_arg(args, double));
            break;
        case 's':
            appendConversion(out, with(""), va_arg(args, const char*));
            break;
        case 'p':
            appendConversion(out, with(""), va_arg(args, void*));
            break;
        default:
            // Unknown conversion: copied as written, consuming no argument.
            out += directive + length + conversion;
            break;
        }
    }
    va_end(args);
    return platform::detail::createString(out);
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions, CFStringRef format,
                                     ...)
{
    va_list arguments;
    va_start(arguments, format);
    CFStringRef string = CFStringCreateWithFormatAndArguments(alloc, formatOptions, format, arguments);
    va_end(arguments);
    return string;
}
