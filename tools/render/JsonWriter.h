#pragma once

// Writes indented JSON, the one writer of every tool; commas and nesting are
// tracked for the caller. Strings are UTF-8, written as they are.

#include <cstdint>
#include <string>
#include <vector>

class JsonWriter
{
public:
    JsonWriter& beginObject (const char* key = nullptr);
    JsonWriter& endObject();
    JsonWriter& beginArray (const char* key = nullptr);
    JsonWriter& endArray();

    JsonWriter& value (const char* key, const std::string& text);
    JsonWriter& value (const char* key, const char* text);
    JsonWriter& value (const char* key, int64_t number);
    JsonWriter& value (const char* key, double number, int significantDigits = 9);
    JsonWriter& null (const char* key);
    JsonWriter& value (const char* key, bool flag);
    JsonWriter& hex (const char* key, uint32_t number);
    JsonWriter& pointer (const char* key, const void* address);

    const std::string& text() const { return out; }

private:
    void next (const char* key);
    JsonWriter& open (const char* key, char bracket);
    JsonWriter& close (char bracket);
    static std::string quote (const std::string& text);

    std::string out;
    std::vector<bool> hasItems;
};
