#pragma once

// Compact JSON text for the --json outputs: commas and nesting are tracked,
// strings escaped, invalid UTF-8 replaced by U+FFFD, non-finite numbers
// written as null.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
  public:
    JsonWriter& beginObject() { return open('{'); }
    JsonWriter& endObject() { return close('}'); }
    JsonWriter& beginArray() { return open('['); }
    JsonWriter& endArray() { return close(']'); }
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(double number);
    JsonWriter& value(int64_t number);
    JsonWriter& value(uint32_t number) { return value(static_cast<int64_t>(number)); }
    JsonWriter& value(int32_t number) { return value(static_cast<int64_t>(number)); }
    JsonWriter& value(bool flag);

    const std::string& text() const { return out; }

  private:
    std::string out;
    std::vector<bool> needsComma; // one per open container
    bool afterKey = false;

    void separate();
    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);
    void writeString(std::string_view text);
};
