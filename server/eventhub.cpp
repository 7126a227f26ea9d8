#include "eventhub.h"

namespace perne::server {

EventHub::Channel &EventHub::channel(const std::string &session)
{
    auto &c = m_channels[session];
    if (!c)
        c = std::make_unique<Channel>();
    return *c;
}

unsigned long long EventHub::version(const std::string &session)
{
    std::lock_guard lock(m_mutex);
    return channel(session).version;
}

void EventHub::notify(const std::string &session)
{
    std::lock_guard lock(m_mutex);
    Channel &c = channel(session);
    ++c.version;
    c.changed.notify_all();
}

bool EventHub::wait(const std::string &session, unsigned long long seen,
                    std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    Channel &c = channel(session);
    c.changed.wait_for(lock, timeout, [&] { return m_stopped || c.version != seen; });
    return !m_stopped;
}

void EventHub::stop()
{
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    for (auto &[session, c] : m_channels)
        c->changed.notify_all();
}

} // namespace perne::server
