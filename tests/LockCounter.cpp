#include "LockCounter.h"

#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>

// The program's own definitions come before the C library's, so every call
// from the program and the libraries it loads passes through here on its way
// to the real function.
namespace
{
thread_local std::size_t locks = 0;

template <typename Function>
Function real (const char* name)
{
    return reinterpret_cast<Function> (::dlsym (RTLD_NEXT, name));
}
} // namespace

#define TOLVO_COUNTED_LOCK(name, Object)                          \
    extern "C" int name (Object* object)                          \
    {                                                             \
        static const auto next = real<int (*) (Object*)> (#name); \
        ++locks;                                                  \
        return next (object);                                     \
    }

TOLVO_COUNTED_LOCK (pthread_mutex_lock, pthread_mutex_t)
TOLVO_COUNTED_LOCK (pthread_mutex_trylock, pthread_mutex_t)
TOLVO_COUNTED_LOCK (pthread_rwlock_rdlock, pthread_rwlock_t)
TOLVO_COUNTED_LOCK (pthread_rwlock_wrlock, pthread_rwlock_t)
TOLVO_COUNTED_LOCK (pthread_spin_lock, pthread_spinlock_t)
TOLVO_COUNTED_LOCK (sem_wait, sem_t)

#undef TOLVO_COUNTED_LOCK

LockCounter::LockCounter() :
    start (locks)
{
}
LockCounter::~LockCounter() = default;

std::size_t LockCounter::count() const { return locks - start; }
