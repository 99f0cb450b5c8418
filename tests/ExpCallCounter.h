#pragma once

#include <cstddef>

// Counts calls of the C library's exp() on the calling thread while a scope
// is alive, so that a test can see an exponential being saved. Counts only
// where the test program can stand in for the library's exp (glibc);
// isAvailable() says so.
class ExpCallCounter
{
public:
    ExpCallCounter();
    ~ExpCallCounter();

    // True when calls are counted on this platform.
    static bool isAvailable();

    // Calls of exp() on this thread since construction.
    std::size_t count() const;

private:
    std::size_t start;
};
