#include "platform/corefoundation/XMLPropertyListReader.h"

#include <expat.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "platform/corefoundation/CFInternal.h"
#include "platform/corefoundation/CFRef.h"
#include "platform/corefoundation/PropertyListLimits.h"

namespace platform::detail {
namespace {

enum class Kind { plist, array, dict, key, string, integer, real, data, yes, no };

// The values a property list holds, by element name.
constexpr std::pair<std::string_view, Kind> kElements[] = {
    {"array", Kind::array},   {"dict", Kind::dict},       {"key", Kind::key},
    {"string", Kind::string}, {"integer", Kind::integer}, {"real", Kind::real},
    {"data", Kind::data},     {"true", Kind::yes},        {"false", Kind::no},
};

constexpr std::string_view kWhitespace = " \t\r\n";

bool isWhitespace(std::string_view text)
{
    return text.find_first_not_of(kWhitespace) == std::string_view::npos;
}

std::string_view trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(kWhitespace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kWhitespace) - first + 1);
}

// Decimal, or hexadecimal after "0x"; a sign before either. Values above
// the signed range keep their 64 bits, as libplist's binary reader gives them.
bool parseInteger(std::string_view text, int64_t& value)
{
    text = trimmed(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return false;
    if (negative && magnitude > uint64_t{1} << 63) return false;
    value = static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

// Also "nan", "inf" and "infinity", with any sign.
bool parseReal(std::string_view text, double& value)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// Base64, whitespace ignored, '=' padding only at the end.
bool decodeBase64(std::string_view text, std::vector<UInt8>& bytes)
{
    static constexpr auto kValues = [] {
        std::array<int8_t, 256> values{};
        values.fill(-1);
        constexpr std::string_view alphabet =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (size_t i = 0; i < alphabet.size(); ++i)
            values[static_cast<UInt8>(alphabet[i])] = static_cast<int8_t>(i);
        return values;
    }();
    uint32_t bits = 0;
    int count = 0, padding = 0;
    for (const char c : text) {
        if (kWhitespace.find(c) != std::string_view::npos) continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int8_t value = kValues[static_cast<UInt8>(c)];
        if (value < 0 || padding > 0) return false;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        if (++count % 4 == 0) {
            for (const int shift : {16, 8, 0}) bytes.push_back(static_cast<UInt8>(bits >> shift));
            bits = 0;
        }
    }
    switch (count % 4) {
    case 0:
        return padding == 0;
    case 2:
        bytes.push_back(static_cast<UInt8>(bits >> 4));
        return padding <= 2;
    case 3:
        bytes.push_back(static_cast<UInt8>(bits >> 10));
        bytes.push_back(static_cast<UInt8>(bits >> 2));
        return padding <= 1;
    default:
        return false;
    }
}

class Reader {
  public:
    Reader() : parser_(XML_ParserCreate(nullptr))
    {
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, started, ended);
        XML_SetCharacterDataHandler(parser_, text);
        XML_SetEntityDeclHandler(parser_, entityDeclared);
    }
    ~Reader() { XML_ParserFree(parser_); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    CFPropertyListRef read(const uint8_t* bytes, size_t length, std::string& problem)
    {
        if (parser_ == nullptr) throw std::bad_alloc();
        // expat takes lengths as int.
        constexpr size_t kPiece = size_t{1} << 30;
        bool parsed = true;
        for (size_t offset = 0; parsed && offset < length; offset += kPiece) {
            const size_t size = std::min(kPiece, length - offset);
            parsed = XML_Parse(parser_, reinterpret_cast<const char*>(bytes) + offset, static_cast<int>(size),
                               offset + size == length) == XML_STATUS_OK;
        }
        if (!problem_.empty()) {
            problem = "The property list " + problem_ + ".";
            return nullptr;
        }
        if (!parsed) {
            problem = std::string("The data is not a property list: ") +
                      XML_ErrorString(XML_GetErrorCode(parser_)) + " at line " +
                      std::to_string(XML_GetCurrentLineNumber(parser_)) + ".";
            return nullptr;
        }
        return root_.release();
    }

  private:
    struct Level {
        Kind kind;
        CFRef<CFMutableArrayRef> array;
        CFRef<CFMutableDictionaryRef> dictionary;
        CFRef<CFStringRef> key; // of the dictionary, waiting for its value
    };

    static void XMLCALL started(void* self, const XML_Char* name, const XML_Char**)
    {
        static_cast<Reader*>(self)->start(name);
    }
    static void XMLCALL ended(void* self, const XML_Char*) { static_cast<Reader*>(self)->end(); }
    static void XMLCALL text(void* self, const XML_Char* text, int length)
    {
        static_cast<Reader*>(self)->addText(std::string_view(text, static_cast<size_t>(length)));
    }
    // Entities could expand a few bytes without bound; a property list needs none.
    static void XMLCALL entityDeclared(void* self, const XML_Char*, int, const XML_Char*, int,
                                       const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*)
    {
        static_cast<Reader*>(self)->fail("declares an entity");
    }

    void fail(std::string why)
    {
        if (problem_.empty()) problem_ = std::move(why);
        XML_StopParser(parser_, XML_FALSE);
    }

    // After a failure expat may still report the end of the element that
    // failed; nothing more is read.
    bool stopped() const { return !problem_.empty(); }

    void start(std::string_view name)
    {
        if (stopped()) return;
        if (levels_.empty()) {
            if (name != "plist") return fail("has no <plist> root element");
            levels_.push_back({Kind::plist, {}, {}, {}});
            return;
        }
        const auto element = std::ranges::find(kElements, name, &std::pair<std::string_view, Kind>::first);
        if (element == std::end(kElements))
            return fail("holds a value that is not a dictionary, array, string, number, boolean or data");
        const Kind kind = element->second;
        const Level& parent = levels_.back();
        if (parent.kind == Kind::plist && root_) return fail("holds more than one value");
        if (parent.kind != Kind::plist && parent.kind != Kind::array && parent.kind != Kind::dict)
            return fail("holds an element inside a " + std::string(kindName(parent.kind)));
        if (kind == Kind::key && (parent.kind != Kind::dict || parent.key))
            return fail("holds a key that is not followed by a value");
        if (kind != Kind::key && parent.kind == Kind::dict && !parent.key)
            return fail("holds a dictionary entry without a key");
        if (++objects_ > kMaxPropertyListObjects) return fail("has " + objectLimitProblem());

        Level level{kind, {}, {}, {}};
        if (kind == Kind::array || kind == Kind::dict) {
            if (++containers_ > kMaxPropertyListDepth) return fail("has " + depthLimitProblem());
            if (kind == Kind::array)
                level.array.reset(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks));
            else
                level.dictionary.reset(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                 &kCFTypeDictionaryValueCallBacks));
        }
        text_.clear();
        levels_.push_back(std::move(level));
    }

    void addText(std::string_view text)
    {
        if (stopped()) return;
        const Kind kind = levels_.back().kind;
        if (kind == Kind::plist || kind == Kind::array || kind == Kind::dict || kind == Kind::yes ||
            kind == Kind::no) {
            if (!isWhitespace(text)) fail("holds text outside a value");
            return;
        }
        text_ += text;
    }

    void end()
    {
        if (stopped()) return;
        Level level = std::move(levels_.back());
        levels_.pop_back();
        switch (level.kind) {
        case Kind::plist:
            if (!root_) fail("holds no value");
            return;
        case Kind::dict:
            if (level.key) return fail("holds a key that is not followed by a value");
            --containers_;
            return add(CFRef<CFTypeRef>(level.dictionary.release()));
        case Kind::array:
            --containers_;
            return add(CFRef<CFTypeRef>(level.array.release()));
        case Kind::yes:
            return add(CFRef<CFTypeRef>::retain(kCFBooleanTrue));
        case Kind::no:
            return add(CFRef<CFTypeRef>::retain(kCFBooleanFalse));
        case Kind::key:
            if (CFStringRef key = createString(text_)) return levels_.back().key.reset(key);
            return fail("holds a key that is not valid UTF-8");
        case Kind::string:
            if (CFStringRef string = createString(text_)) return add(CFRef<CFTypeRef>(string));
            return fail("holds a string that is not valid UTF-8");
        case Kind::integer: {
            int64_t value = 0;
            if (!parseInteger(text_, value)) return fail("holds an integer that is not a 64-bit number");
            return add(CFRef<CFTypeRef>(createInteger(value)));
        }
        case Kind::real: {
            double value = 0.0;
            if (!parseReal(text_, value)) return fail("holds a real that is not a number");
            return add(CFRef<CFTypeRef>(CFNumberCreate(nullptr, kCFNumberFloat64Type, &value)));
        }
        case Kind::data: {
            std::vector<UInt8> bytes;
            if (!decodeBase64(text_, bytes)) return fail("holds data that is not base64");
            return add(
                CFRef<CFTypeRef>(CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()))));
        }
        }
    }

    // Hands a finished value to the container it is in.
    void add(CFRef<CFTypeRef> value)
    {
        Level& parent = levels_.back();
        switch (parent.kind) {
        case Kind::array:
            CFArrayAppendValue(parent.array.get(), value.get());
            break;
        case Kind::dict:
            CFDictionarySetValue(parent.dictionary.get(), parent.key.get(), value.get());
            parent.key.reset();
            break;
        default:
            root_ = std::move(value);
            break;
        }
    }

    static const char* kindName(Kind kind)
    {
        for (const auto& [name, each] : kElements)
            if (each == kind) return name.data();
        return "plist";
    }

    XML_Parser parser_;
    std::vector<Level> levels_;
    std::string text_; // of the value being read
    CFRef<CFTypeRef> root_;
    uint64_t objects_ = 0;
    int containers_ = 0; // open arrays and dictionaries
    std::string problem_;
};

} // namespace

CFPropertyListRef readXMLPropertyList(const uint8_t* bytes, size_t length, std::string& problem)
{
    return Reader().read(bytes, length, problem);
}

} // namespace platform::detail
