#pragma once

#include <string>

// Prints one line per check and a summary, and remembers whether all passed.
class CheckReport
{
public:
    // Records one check: its name, whether it passed and what was seen.
    void check (const std::string& name, bool passed, const std::string& detail = {});

    // Prints the summary line; returns the process exit status.
    int summarise() const;

private:
    int passedCount = 0;
    int failedCount = 0;
};
