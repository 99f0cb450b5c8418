#pragma once

#include <functional>

// A detached thread that keeps the dynamic library holding our code loaded
// until the thread has left that code. A host may unload the plug-in while a
// background job still runs; without this, the job would return into
// unmapped memory.
class UnloadSafeThread
{
public:
    // Runs job on a new detached thread; false (and nothing run) when no
    // thread could be started.
    static bool start (std::function<void()> job);
};
