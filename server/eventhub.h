#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace perne::server {

// Wakes the streams of a session when its events change. The events themselves are in the
// storage; this only says "look again", so a wake-up lost to a race costs at most one
// keep-alive period, and a stream that misses every wake-up (another process wrote) still
// finds the events on its next look.
class EventHub
{
public:
    // A number that changes with every notify() of the session.
    unsigned long long version(const std::string &session);
    void notify(const std::string &session);
    // Waits until the session's version is no longer `seen`, the timeout passes or the hub
    // stops; returns false once it has stopped.
    bool wait(const std::string &session, unsigned long long seen,
              std::chrono::milliseconds timeout);
    void stop();

private:
    struct Channel
    {
        std::condition_variable changed;
        unsigned long long version = 0;
    };
    Channel &channel(const std::string &session); // with m_mutex held

    std::mutex m_mutex;
    // One per session ever watched or written to while the server runs: a few hundred a day.
    std::map<std::string, std::unique_ptr<Channel>> m_channels;
    bool m_stopped = false;
};

} // namespace perne::server
