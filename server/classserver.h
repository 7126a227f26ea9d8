#pragma once

#include "storage.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace httplib {
class Server;
}

namespace perne::server {

struct ServerConfig
{
    std::filesystem::path pages;               // the built pages; empty: serve no pages
    std::optional<std::string> teacherKeyHash; // SHA-256 of the passphrase, when one is required
    int threads = 0;                           // 0: the default
    long long writesPerAddressPerMinute = 0;   // 0: the default
    bool tls = false;                          // the addresses it makes start with https
    std::string certFile;
    std::string keyFile;
};

class EventHub;

// perne-class's HTTP front end: the pages, the class API and the teacher's event streams, over
// a storage. Every answer is made from what the storage holds.
class ClassServer
{
public:
    ClassServer(Storage &storage, ServerConfig config);
    ~ClassServer();

    // Binds to the address and port (0: any free port) and returns the port, or -1.
    int bind(const std::string &address, int port);
    // Serves until stop(); returns false if it could not.
    bool listen();
    // Ends the streams and stops listening; callable from any thread (a signal's watcher).
    void stop();

    int openStreams() const { return m_openStreams.load(); }
    int mostOpenStreams() const { return m_mostOpenStreams.load(); }

    struct Context;

private:
    void route();

    Storage &m_storage;
    ServerConfig m_config;
    std::unique_ptr<httplib::Server> m_http;
    std::function<void()> m_widenBacklog;
    std::unique_ptr<EventHub> m_hub;
    std::atomic<int> m_openStreams{0};
    std::atomic<int> m_mostOpenStreams{0};
};

} // namespace perne::server
