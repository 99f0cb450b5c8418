#pragma once

// CLI11 is a system header here: its own code is not held to our warnings.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>

// What the command-line tools share: their help's layout, their number rules
// and their answer to a wrong command line.
namespace CommandLine
{
/** The help starts with `usage` (whole lines, as written) and lists the options
    under it, without a separate list of the positional arguments. */
void setUsage (CLI::App& app, const std::string& usage);

/** A number by parseStrictNumber's rules, from `least` to `most`. */
CLI::Validator strictNumber (double least, double most);

/** A whole number from 1 to `most`, in decimal digits and nothing else. */
CLI::Validator wholeNumber (int most);

/** Reads `argv` by `app`'s declarations. Nothing when the tool goes on; else the
    exit status it ends with: 0 after the help, 2 after a command line it cannot
    run, said on stderr in one line. */
std::optional<int> parse (CLI::App& app, int argc, const char* const* argv);
} // namespace CommandLine
