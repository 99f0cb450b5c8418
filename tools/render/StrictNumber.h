#pragma once

#include <optional>
#include <string>

/** A finite decimal number written in full ("-1", "-0.5", ".5", "-1e-1"), with
    nothing before or after it; nothing for "-", "+", ".", "-1-2", "inf" or "nan". */
std::optional<double> parseStrictNumber (const std::string& text);
