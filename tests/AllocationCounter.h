#pragma once

#include <cstddef>

// Counts heap allocations made through operator new on the calling thread
// while a scope is alive.
class AllocationCounter
{
public:
    AllocationCounter();
    ~AllocationCounter();

    std::size_t count() const;

private:
    std::size_t start;
};
