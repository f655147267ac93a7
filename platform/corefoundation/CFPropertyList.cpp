// Property lists: CF trees to and from XML and binary bytes. Binary bytes
// are read, and both formats written, through libplist's node trees; XML is
// read by XMLPropertyListReader.

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "platform/corefoundation/BinaryPropertyListCheck.h"
#include "platform/corefoundation/CFInternal.h"
#include "platform/corefoundation/CFRef.h"
#include "platform/corefoundation/XMLPropertyListReader.h"

namespace {

// Deeper trees are not written: writing recurses once per level, and a
// container that holds itself would never end.
constexpr int kMaxDepth = platform::detail::kMaxPropertyListDepth;

struct PlistDeleter {
    void operator()(void* node) const { plist_free(node); }
};
using Plist = std::unique_ptr<void, PlistDeleter>;

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

void report(CFErrorRef* error, CFIndex code, std::string description)
{
    if (error) *error = platform::detail::createError(code, std::move(description));
}

// libplist nodes to CF objects, for trees that passed the binary check (so
// of bounded depth and size). On failure returns NULL and `problem` says why.
class Reader {
  public:
    CFPropertyListRef read(plist_t node)
    {
        switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return value ? kCFBooleanTrue : kCFBooleanFalse;
        }
        case PLIST_UINT: {
            // libplist keeps every integer as 64 bits; negative ones are
            // two's complement.
            uint64_t bits = 0;
            plist_get_uint_val(node, &bits);
            return platform::detail::createInteger(static_cast<int64_t>(bits));
        }
        case PLIST_REAL: {
            double value = 0.0;
            plist_get_real_val(node, &value);
            return CFNumberCreate(nullptr, kCFNumberFloat64Type, &value);
        }
        case PLIST_STRING: {
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return readString(std::string_view(text, length));
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes), static_cast<CFIndex>(length));
        }
        case PLIST_ARRAY:
            return readArray(node);
        case PLIST_DICT:
            return readDictionary(node);
        default:
            return fail("holds a value that is not a dictionary, array, string, number, boolean "
                        "or data");
        }
    }

    std::string problem;

  private:
    std::nullptr_t fail(const char* why)
    {
        if (problem.empty()) problem = why;
        return nullptr;
    }

    CFStringRef readString(std::string_view text)
    {
        if (text.find('\0') != std::string_view::npos) return fail("holds a string with a zero character");
        CFStringRef string = platform::detail::createString(text);
        return string ? string : fail("holds a string that is not valid UTF-8");
    }

    CFArrayRef readArray(plist_t node)
    {
        platform::CFRef<CFMutableArrayRef> array(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks));
        const uint32_t count = plist_array_get_size(node);
        for (uint32_t i = 0; i < count; ++i) {
            platform::CFRef<CFPropertyListRef> item(read(plist_array_get_item(node, i)));
            if (!item.get()) return nullptr;
            CFArrayAppendValue(array.get(), item.get());
        }
        return array.release();
    }

    CFDictionaryRef readDictionary(plist_t node)
    {
        platform::CFRef<CFMutableDictionaryRef> dict(CFDictionaryCreateMutable(
            nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        const std::unique_ptr<void, FreeDeleter> iteratorOwner(iterator);
        for (;;) {
            char* keyText = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iterator, &keyText, &value);
            const std::unique_ptr<char, FreeDeleter> keyOwner(keyText);
            if (!value) break;
            if (!keyText) return fail("holds a dictionary entry without a key");
            platform::CFRef<CFStringRef> key(readString(keyText));
            if (!key.get()) return nullptr;
            platform::CFRef<CFPropertyListRef> item(read(value));
            if (!item.get()) return nullptr;
            CFDictionarySetValue(dict.get(), key.get(), item.get());
        }
        return dict.release();
    }
};

// CF objects to libplist nodes. On failure returns NULL and `problem` says
// why.
class Writer {
  public:
    explicit Writer(CFPropertyListFormat format) : xml_(format == kCFPropertyListXMLFormat_v1_0) {}

    Plist write(CFPropertyListRef plist, int depth)
    {
        const CFTypeID type = CFGetTypeID(plist);
        if (type == CFStringGetTypeID()) {
            const auto string = static_cast<CFStringRef>(plist);
            if (const char* why = unrepresentable(string)) return fail(std::string("a string ") + why);
            return Plist(plist_new_string(CFStringGetCStringPtr(string, kCFStringEncodingUTF8)));
        }
        if (type == CFNumberGetTypeID()) {
            const auto number = static_cast<CFNumberRef>(plist);
            if (CFNumberIsFloatType(number)) {
                double value = 0.0;
                CFNumberGetValue(number, kCFNumberFloat64Type, &value);
                return Plist(plist_new_real(value));
            }
            int64_t value = 0;
            CFNumberGetValue(number, kCFNumberSInt64Type, &value);
            return Plist(plist_new_uint(static_cast<uint64_t>(value)));
        }
        if (type == CFBooleanGetTypeID())
            return Plist(plist_new_bool(CFBooleanGetValue(static_cast<CFBooleanRef>(plist))));
        if (type == CFDataGetTypeID()) {
            const auto data = static_cast<CFDataRef>(plist);
            return Plist(plist_new_data(reinterpret_cast<const char*>(CFDataGetBytePtr(data)),
                                        static_cast<uint64_t>(CFDataGetLength(data))));
        }
        if (type == CFArrayGetTypeID() || type == CFDictionaryGetTypeID()) {
            if (depth >= kMaxDepth) return fail("the tree has " + platform::detail::depthLimitProblem());
            return type == CFArrayGetTypeID()
                       ? writeArray(static_cast<CFArrayRef>(plist), depth + 1)
                       : writeDictionary(static_cast<CFDictionaryRef>(plist), depth + 1);
        }
        return fail("the tree holds an object that is not a dictionary, array, string, number, "
                    "boolean or data");
    }

    std::string problem;

  private:
    bool xml_;

    Plist fail(std::string why)
    {
        if (problem.empty()) problem = std::move(why);
        return nullptr;
    }

    // What in string the format cannot carry, or null. libplist strings end
    // at the first zero byte; XML has no way to write most control
    // characters and U+FFFE and U+FFFF, not even as references.
    const char* unrepresentable(CFStringRef string) const
    {
        const std::string_view text = platform::detail::utf8(string);
        if (text.find('\0') != std::string_view::npos) return "holds a zero character";
        if (!xml_) return nullptr;
        for (const char c : text)
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                return "holds a control character, which XML cannot carry";
        if (text.find("\xEF\xBF\xBE") != std::string_view::npos ||
            text.find("\xEF\xBF\xBF") != std::string_view::npos)
            return "holds U+FFFE or U+FFFF, which XML cannot carry";
        return nullptr;
    }

    Plist writeArray(CFArrayRef array, int depth)
    {
        Plist node(plist_new_array());
        const CFIndex count = CFArrayGetCount(array);
        for (CFIndex i = 0; i < count; ++i) {
            Plist item = write(CFArrayGetValueAtIndex(array, i), depth);
            if (!item) return nullptr;
            plist_array_append_item(node.get(), item.release());
        }
        return node;
    }

    // libplist keeps keys apart from their values; the state carried through
    // the applier below.
    struct DictionaryWalk {
        Writer* writer;
        plist_t node;
        int depth;
        bool failed;
    };

    static void writeEntry(const void* key, const void* value, void* context)
    {
        auto& walk = *static_cast<DictionaryWalk*>(context);
        if (walk.failed) return;
        if (CFGetTypeID(key) != CFStringGetTypeID()) {
            walk.writer->fail("a dictionary key is not a string");
            walk.failed = true;
            return;
        }
        if (const char* why = walk.writer->unrepresentable(static_cast<CFStringRef>(key))) {
            walk.writer->fail(std::string("a dictionary key ") + why);
            walk.failed = true;
            return;
        }
        Plist item = walk.writer->write(value, walk.depth);
        if (!item) {
            walk.failed = true;
            return;
        }
        plist_dict_set_item(walk.node,
                            CFStringGetCStringPtr(static_cast<CFStringRef>(key), kCFStringEncodingUTF8),
                            item.release());
    }

    Plist writeDictionary(CFDictionaryRef dict, int depth)
    {
        Plist node(plist_new_dict());
        DictionaryWalk walk{this, node.get(), depth, false};
        CFDictionaryApplyFunction(dict, writeEntry, &walk);
        return walk.failed ? nullptr : std::move(node);
    }
};

// The tree of binary bytes, or NULL and what is wrong.
CFPropertyListRef readBinary(const UInt8* bytes, size_t length, std::string& problem)
{
    const std::string structure = platform::detail::checkBinaryPropertyList(bytes, length);
    if (!structure.empty()) {
        problem = "The binary property list " + structure + ".";
        return nullptr;
    }
    plist_t node = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(bytes), static_cast<uint32_t>(length), &node);
    const Plist root(node);
    if (!root) {
        problem = "The binary property list is malformed.";
        return nullptr;
    }
    Reader reader;
    CFPropertyListRef plist = reader.read(root.get());
    if (!plist) problem = "The property list " + reader.problem + ".";
    return plist;
}

} // namespace

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef, CFDataRef data, CFOptionFlags,
                                               CFPropertyListFormat* format, CFErrorRef* error)
{
    const auto length = static_cast<size_t>(CFDataGetLength(data));
    if (length == 0 || length > std::numeric_limits<uint32_t>::max()) {
        report(error, kCFPropertyListReadCorruptError,
               length ? "The property list is too large." : "The property list is empty.");
        return nullptr;
    }
    const UInt8* bytes = CFDataGetBytePtr(data);
    const bool binary = plist_is_binary(reinterpret_cast<const char*>(bytes), static_cast<uint32_t>(length));
    std::string problem;
    CFPropertyListRef plist = binary ? readBinary(bytes, length, problem)
                                     : platform::detail::readXMLPropertyList(bytes, length, problem);
    if (!plist) {
        report(error, kCFPropertyListReadCorruptError, problem);
        return nullptr;
    }
    if (format) *format = binary ? kCFPropertyListBinaryFormat_v1_0 : kCFPropertyListXMLFormat_v1_0;
    return plist;
}

CFDataRef CFPropertyListCreateData(CFAllocatorRef, CFPropertyListRef propertyList,
                                   CFPropertyListFormat format, CFOptionFlags, CFErrorRef* error)
{
    if (format != kCFPropertyListXMLFormat_v1_0 && format != kCFPropertyListBinaryFormat_v1_0) {
        report(error, kCFPropertyListWriteInvalidError, "Property lists are written only as XML or binary.");
        return nullptr;
    }
    Writer writer(format);
    const Plist root = writer.write(propertyList, 0);
    if (!root) {
        report(error, kCFPropertyListWriteInvalidError,
               "The property list cannot be written: " + writer.problem + ".");
        return nullptr;
    }
    char* bytes = nullptr;
    uint32_t length = 0;
    const bool xml = format == kCFPropertyListXMLFormat_v1_0;
    xml ? plist_to_xml(root.get(), &bytes, &length) : plist_to_bin(root.get(), &bytes, &length);
    CFDataRef data = nullptr;
    if (bytes && xml) {
        // libplist writes carriage returns as they are, which XML readers
        // take for line ends; only strings hold them.
        std::string text;
        for (const char c : std::string_view(bytes, length)) c == '\r' ? text += "&#13;" : text += c;
        data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                            static_cast<CFIndex>(text.size()));
    } else if (bytes) {
        data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes), length);
    }
    xml ? plist_to_xml_free(bytes) : plist_to_bin_free(bytes);
    if (!data) report(error, kCFPropertyListWriteInvalidError, "The property list cannot be written.");
    return data;
}

Boolean CFPropertyListIsValid(CFPropertyListRef plist, CFPropertyListFormat format)
{
    if (format != kCFPropertyListXMLFormat_v1_0 && format != kCFPropertyListBinaryFormat_v1_0) return false;
    return Writer(format).write(plist, 0) != nullptr;
}
