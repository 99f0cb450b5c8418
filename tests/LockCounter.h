#pragma once

#include <cstddef>

// Counts the locks taken on the calling thread while a scope is alive:
// pthread mutexes (std::mutex and the framework's critical sections among
// them), read-write locks, spin locks and semaphore waits.
class LockCounter
{
public:
    LockCounter();
    ~LockCounter();

    std::size_t count() const;

private:
    std::size_t start;
};
