#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace
{
const char* reasonFor (int status)
{
    switch (status)
    {
        case 200:
            return "OK";
        case 202:
            return "Accepted";
        case 204:
            return "No Content";
        case 404:
            return "Not Found";
        default:
            return "Status";
    }
}

bool waitReadable (int fd, int timeoutMs)
{
    pollfd p { fd, POLLIN, 0 };
    return ::poll (&p, 1, timeoutMs) > 0;
}
} // namespace

LoopbackHttpServer::LoopbackHttpServer (Behaviour b, int status) :
    behaviour (b), statusCode (status)
{
    listener = ::socket (AF_INET, SOCK_STREAM, 0);

    if (listener < 0)
        throw std::runtime_error ("socket");

    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
    address.sin_port = 0;

    socklen_t length = sizeof (address);

    if (::bind (listener, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0
        || ::listen (listener, 8) != 0
        || ::getsockname (listener, reinterpret_cast<sockaddr*> (&address), &length) != 0)
    {
        ::close (listener);
        throw std::runtime_error ("bind");
    }

    boundPort = ntohs (address.sin_port);
    thread = std::thread ([this]
                          { run(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    stopping = true;
    thread.join();

    for (auto client : quietClients)
        ::close (client);

    ::close (listener);
}

void LoopbackHttpServer::holdAnswers() { holding = true; }
void LoopbackHttpServer::release() { holding = false; }

std::string LoopbackHttpServer::baseAddress() const
{
    return "http://127.0.0.1:" + std::to_string (boundPort);
}

std::vector<std::string> LoopbackHttpServer::requestLines() const
{
    std::lock_guard<std::mutex> l (lock);
    return requests;
}

bool LoopbackHttpServer::waitForRequests (size_t count, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMs);

    while (std::chrono::steady_clock::now() < deadline)
    {
        if (requestLines().size() >= count)
            return true;

        std::this_thread::sleep_for (std::chrono::milliseconds (5));
    }

    return false;
}

void LoopbackHttpServer::run()
{
    while (! stopping)
    {
        if (! waitReadable (listener, 20))
            continue;

        const auto client = ::accept (listener, nullptr, nullptr);

        if (client >= 0)
            serve (client);
    }
}

void LoopbackHttpServer::serve (int client)
{
    // Read the request head, bounded in time and size.
    std::string head;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (2);

    while (head.find ("\r\n\r\n") == std::string::npos && head.size() < 8192
           && std::chrono::steady_clock::now() < deadline && ! stopping)
    {
        if (! waitReadable (client, 20))
            continue;

        char buffer[1024];
        const auto n = ::recv (client, buffer, sizeof (buffer), 0);

        if (n <= 0)
            break;

        head.append (buffer, (size_t) n);
    }

    {
        std::lock_guard<std::mutex> l (lock);
        requests.push_back (head.substr (0, head.find ("\r\n")));
    }

    if (behaviour == Behaviour::dropConnection)
    {
        ::close (client);
        return;
    }

    if (behaviour == Behaviour::stayQuiet)
    {
        // Keep the connection open and silent for as long as we live.
        std::lock_guard<std::mutex> l (lock);
        quietClients.push_back (client);
        return;
    }

    while (holding && ! stopping)
        std::this_thread::sleep_for (std::chrono::milliseconds (5));

    const auto answer = "HTTP/1.1 " + std::to_string (statusCode) + " " + reasonFor (statusCode) + "\r\n"
                        + (statusCode == 204 ? std::string() : std::string ("Content-Length: 0\r\n"))
                        + "Connection: close\r\n\r\n";

    ::send (client, answer.data(), answer.size(), MSG_NOSIGNAL);
    ::close (client);
}
