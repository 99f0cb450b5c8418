#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A one-thread HTTP server on 127.0.0.1 for the update-check tests. It reads
// each request and then answers as told: a status line with an empty body, no
// answer at all while it lives, or a dropped connection. Every wait is bounded
// so a broken test cannot hang.
class LoopbackHttpServer
{
public:
    enum class Behaviour
    {
        answer,
        stayQuiet,
        dropConnection
    };

    explicit LoopbackHttpServer (Behaviour, int statusCode = 200);
    ~LoopbackHttpServer();

    // Holds back answers until release().
    void holdAnswers();
    void release();

    std::string baseAddress() const; // "http://127.0.0.1:<port>"
    int port() const { return boundPort; }

    std::vector<std::string> requestLines() const;
    bool waitForRequests (size_t count, int timeoutMs) const;

private:
    void run();
    void serve (int client);

    const Behaviour behaviour;
    const int statusCode;
    int listener = -1;
    int boundPort = 0;
    std::atomic<bool> stopping { false };
    std::atomic<bool> holding { false };
    mutable std::mutex lock;
    std::vector<std::string> requests;
    std::vector<int> quietClients;
    std::thread thread;
};
