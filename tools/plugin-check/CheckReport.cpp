#include "CheckReport.h"

#include <cstdio>

void CheckReport::check (const std::string& name, bool passed, const std::string& detail)
{
    ++(passed ? passedCount : failedCount);
    std::printf ("%s %s%s%s\n", passed ? "ok  " : "FAIL", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    std::fflush (stdout);
}

int CheckReport::summarise() const
{
    std::printf ("plugin-check: %d passed, %d failed\n", passedCount, failedCount);
    return failedCount == 0 ? 0 : 1;
}
