// Loads the unload-test module, lets it show and close a window whose update
// check waits on a server that accepts and never answers, unloads the module
// at once and lives on past the check's time-out. A check that ran on in
// unmapped code would crash this process.

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

void createWindowManagerAtoms();

namespace
{
std::atomic<int> accepted { 0 };

// Accepts every connection and holds it open, silent, until the process ends.
int startSilentServer()
{
    const int fd = ::socket (AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
    socklen_t length = sizeof (address);

    if (fd < 0 || ::bind (fd, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0
        || ::listen (fd, 8) != 0 || ::getsockname (fd, reinterpret_cast<sockaddr*> (&address), &length) != 0)
        return 0;

    std::thread ([fd]
                 {
                     std::vector<int> held;

                     for (;;)
                     {
                         const int client = ::accept (fd, nullptr, nullptr);

                         if (client < 0)
                             return;

                         held.push_back (client);
                         ++accepted;
                     } })
        .detach();

    return ntohs (address.sin_port);
}

bool isMapped (const std::string& path)
{
    std::ifstream maps ("/proc/self/maps");

    for (std::string line; std::getline (maps, line);)
        if (line.find (path) != std::string::npos)
            return true;

    return false;
}

int fail (const char* message)
{
    std::fprintf (stderr, "unload test: %s\n", message);
    return 1;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 2)
        return fail ("usage: tolvo-unload-host MODULE");

    const std::string modulePath = argv[1];

    for (auto* name : { "http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY" })
        ::unsetenv (name);

    createWindowManagerAtoms();
    const int port = startSilentServer();

    if (port == 0)
        return fail ("no loopback server");

    void* module = dlopen (modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);

    if (module == nullptr)
        return fail (dlerror());

    using ShowAndClose = int (*) (const char*, int);
    const auto showAndClose = reinterpret_cast<ShowAndClose> (dlsym (module, "tolvoShowAndCloseWindow"));

    if (showAndClose == nullptr)
        return fail ("the module has no tolvoShowAndCloseWindow");

    const std::string server = "http://127.0.0.1:" + std::to_string (port);
    const int waiting = showAndClose (server.c_str(), 800);

    // At once, as hosts do when they close a project.
    dlclose (module);

    if (waiting < 1 || accepted.load() < 1)
        return fail ("the window's check was not waiting on the server when it closed; nothing was tested");

    std::printf ("window closed and module unloaded with %d check(s) waiting\n", waiting);
    std::fflush (stdout);

    // Past the 3 s time-out: the check ends in this time, in whatever is
    // left of the module.
    std::this_thread::sleep_for (std::chrono::milliseconds (4500));

    // The module must really have gone, or the run proved nothing.
    if (isMapped (modulePath))
        return fail ("the module is still mapped after the check ended; the unload never happened");

    std::printf ("the check ended and the module was unmapped after it: no crash\n");
    return 0;
}
