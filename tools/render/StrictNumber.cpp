#include "tools/render/StrictNumber.h"

#include <cctype>
#include <cmath>
#include <locale>
#include <sstream>

std::optional<double> parseStrictNumber (const std::string& text)
{
    // sign? digits* (. digits*)? with at least one digit, then (e sign? digits+)?
    size_t i = 0, digits = 0;
    const auto isDigit = [&text] (size_t at)
    { return at < text.size() && std::isdigit ((unsigned char) text[at]) != 0; };

    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    for (; isDigit (i); ++i)
        ++digits;
    if (i < text.size() && text[i] == '.')
        for (++i; isDigit (i); ++i)
            ++digits;
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E'))
    {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (! isDigit (i))
            return std::nullopt;
        while (isDigit (i))
            ++i;
    }
    if (i != text.size())
        return std::nullopt;

    // Read in the classic locale: a decimal comma setting must not change "0.5".
    std::istringstream in (text);
    in.imbue (std::locale::classic());
    double value = 0.0;
    in >> value;
    if (in.fail() || ! std::isfinite (value))
        return std::nullopt;
    return value;
}
