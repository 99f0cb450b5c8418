#pragma once

#include <mutex>

// libsndfile keeps why a file failed to open in one global, which another
// file's open on another thread overwrites: every open, and the reading of
// that reason, happen under this one lock.
inline std::mutex& sndfileOpenLock()
{
    static std::mutex lock;
    return lock;
}
