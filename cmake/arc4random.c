/* The static C++ runtime draws std::random_device's numbers from arc4random,
   which glibc has only since 2.36. Portable binaries link this in its place
   (-Wl,--wrap=arc4random, cmake/TolvoPortable.cmake): the kernel's generator,
   which glibc's arc4random uses too, through getrandom (glibc 2.25). */
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/random.h>
#include <unistd.h>

__attribute__ ((visibility ("hidden"))) uint32_t __wrap_arc4random (void)
{
    uint32_t value;
    ssize_t got;

    do
        got = getrandom (&value, sizeof value, 0);
    while (got < 0 && errno == EINTR);

    if (got == (ssize_t) sizeof value)
        return value;

    /* A kernel older than getrandom. */
    int fd = open ("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd >= 0)
    {
        got = read (fd, &value, sizeof value);
        close (fd);
        if (got == (ssize_t) sizeof value)
            return value;
    }
    abort();
}
