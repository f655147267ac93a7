#include "host/JsonWriter.h"

#include <cmath>
#include <cstdio>

#include "host/CommandLine.h"

namespace {

// Length of the valid UTF-8 sequence at the start of `text`, or 0.
size_t validSequence(std::string_view text)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length;
    uint32_t code;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07;
    else
        return 0;
    if (text.size() < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return overlong || surrogate || code > 0x10FFFF ? 0 : length;
}

} // namespace

void JsonWriter::separate()
{
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (!needsComma.empty()) {
        if (needsComma.back()) out += ',';
        needsComma.back() = true;
    }
}

JsonWriter& JsonWriter::open(char bracket)
{
    separate();
    out += bracket;
    needsComma.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::close(char bracket)
{
    out += bracket;
    needsComma.pop_back();
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name)
{
    separate();
    writeString(name);
    out += ':';
    afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text)
{
    separate();
    writeString(text);
    return *this;
}

JsonWriter& JsonWriter::value(double number)
{
    separate();
    if (!std::isfinite(number)) {
        out += "null";
    } else {
        out += formatNumber(number);
    }
    return *this;
}

JsonWriter& JsonWriter::value(int64_t number)
{
    separate();
    out += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag)
{
    separate();
    out += flag ? "true" : "false";
    return *this;
}

void JsonWriter::writeString(std::string_view text)
{
    out += '"';
    while (!text.empty()) {
        const char c = text.front();
        const size_t length = validSequence(text);
        if (length == 0) {
            out += "\\ufffd";
            text.remove_prefix(1);
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    out += '"';
}
