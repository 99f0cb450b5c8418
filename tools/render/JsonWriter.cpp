#include "tools/render/JsonWriter.h"

#include <cstdio>

void JsonWriter::next (const char* key)
{
    if (! hasItems.empty())
    {
        if (hasItems.back())
            out += ",";

        hasItems.back() = true;
        out += "\n" + std::string (hasItems.size() * 2, ' ');
    }

    if (key != nullptr)
        out += quote (key) + ": ";
}

std::string JsonWriter::quote (const std::string& text)
{
    std::string q = "\"";

    for (const char ch : text)
    {
        const auto c = static_cast<unsigned char> (ch);

        if (c == '"' || c == '\\')
        {
            q += '\\';
            q += static_cast<char> (c);
        }
        else if (c < 0x20)
        {
            char escaped[8];
            std::snprintf (escaped, sizeof (escaped), "\\u%04x", c);
            q += escaped;
        }
        else
        {
            q += static_cast<char> (c);
        }
    }

    return q + "\"";
}

JsonWriter& JsonWriter::open (const char* key, char bracket)
{
    next (key);
    out += bracket;
    hasItems.push_back (false);
    return *this;
}

JsonWriter& JsonWriter::close (char bracket)
{
    const bool items = hasItems.back();
    hasItems.pop_back();
    if (items)
        out += "\n" + std::string (hasItems.size() * 2, ' ');
    out += bracket;
    return *this;
}

JsonWriter& JsonWriter::beginObject (const char* key) { return open (key, '{'); }

JsonWriter& JsonWriter::endObject()
{
    close ('}');
    // The document ends with its outermost object.
    if (hasItems.empty())
        out += "\n";
    return *this;
}

JsonWriter& JsonWriter::beginArray (const char* key) { return open (key, '['); }

JsonWriter& JsonWriter::endArray() { return close (']'); }

JsonWriter& JsonWriter::value (const char* key, const std::string& text)
{
    next (key);
    out += quote (text);
    return *this;
}

JsonWriter& JsonWriter::value (const char* key, const char* text)
{
    return value (key, std::string (text != nullptr ? text : ""));
}

JsonWriter& JsonWriter::value (const char* key, int64_t number)
{
    next (key);
    out += std::to_string (number);
    return *this;
}

JsonWriter& JsonWriter::value (const char* key, double number, int significantDigits)
{
    char text[64];
    std::snprintf (text, sizeof (text), "%.*g", significantDigits, number);
    next (key);
    out += text;
    return *this;
}

JsonWriter& JsonWriter::null (const char* key)
{
    next (key);
    out += "null";
    return *this;
}

JsonWriter& JsonWriter::value (const char* key, bool flag)
{
    next (key);
    out += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::hex (const char* key, uint32_t number)
{
    char text[16];
    std::snprintf (text, sizeof (text), "0x%08X", number);
    return value (key, std::string (text));
}

JsonWriter& JsonWriter::pointer (const char* key, const void* address)
{
    char text[32];
    std::snprintf (text, sizeof (text), "%p", address);
    return value (key, std::string (text));
}
