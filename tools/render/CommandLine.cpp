#include "tools/render/CommandLine.h"

#include "tools/render/StrictNumber.h"

#include <cstdio>
#include <memory>

namespace
{
// The tools' own usage lines in place of CLI11's, and "-q, --quiet" as a man page writes it.
class UsageFormatter : public CLI::Formatter
{
public:
    explicit UsageFormatter (std::string usageLines) :
        usage (std::move (usageLines)) {}

    std::string make_usage (const CLI::App*, std::string) const override { return usage; }
    std::string make_positionals (const CLI::App*) const override { return {}; }

    std::string make_option_name (const CLI::Option* option, bool positional) const override
    {
        auto names = CLI::Formatter::make_option_name (option, positional);
        for (auto at = names.find (','); at != std::string::npos; at = names.find (',', at + 2))
            names.insert (at + 1, " ");
        return names;
    }

private:
    std::string usage;
};

std::string oneDecimal (double value)
{
    char text[32];
    std::snprintf (text, sizeof (text), "%.1f", value);
    return text;
}
} // namespace

void CommandLine::setUsage (CLI::App& app, const std::string& usage)
{
    auto formatter = std::make_shared<UsageFormatter> (usage);
    formatter->column_width (21);
    app.formatter (formatter);
}

CLI::Validator CommandLine::strictNumber (double least, double most)
{
    const auto range = "a number from " + oneDecimal (least) + " to " + oneDecimal (most);
    return CLI::Validator (
        [least, most, range] (const std::string& text) -> std::string
        {
            const auto value = parseStrictNumber (text);
            return value && *value >= least && *value <= most ? std::string() : "must be " + range + ", not '" + text + "'";
        },
        "");
}

CLI::Validator CommandLine::wholeNumber (int most)
{
    const auto range = "a whole number from 1 to " + std::to_string (most);
    return CLI::Validator (
        [most, range] (std::string& text) -> std::string
        {
            const bool digits = ! text.empty() && text.size() <= 7 && text.find_first_not_of ("0123456789") == std::string::npos;
            const long value = digits ? std::stol (text) : 0;
            if (value < 1 || value > most)
                return "must be " + range + ", not '" + text + "'";
            // CLI11 reads a leading 0 as octal; the number goes on without it.
            text = std::to_string (value);
            return {};
        },
        "");
}

std::optional<int> CommandLine::parse (CLI::App& app, int argc, const char* const* argv)
{
    try
    {
        app.parse (argc, argv);
        return std::nullopt;
    }
    catch (const CLI::CallForHelp&)
    {
        std::fputs (app.help().c_str(), stdout);
        return 0;
    }
    catch (const CLI::ParseError& e)
    {
        std::fprintf (stderr, "%s: %s (see --help)\n", app.get_name().c_str(), e.what());
        return 2;
    }
}
