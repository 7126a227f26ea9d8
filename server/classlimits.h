#pragma once

#include <cstddef>

namespace perne::server {

// What one client may ask of the server. A class of forty behind one school address sends a
// few hundred requests a minute at most; the per-address figure leaves room for several
// classes behind one address translation.
constexpr std::size_t kBodyLimitBytes = 16 * 1024;
constexpr long long kWritesPerAddressPerMinute = 1200;
constexpr long long kWritesPerDevicePerMinute = 60;
constexpr long long kSessionsPerAddressPerHour = 60;
// Seconds a client may take to send each part of its request before it is cut off.
constexpr int kReadTimeoutSeconds = 5;
constexpr int kKeepAliveSeconds = 5;
// Seconds between the stream's keep-alive comments.
constexpr int kKeepAliveCommentSeconds = 15;
// Worker threads: every open stream holds one. 500 streams and the class's requests beside.
constexpr int kDefaultThreads = 640;
// Connections waiting to be accepted: a whole school's devices opening the page at once.
constexpr int kListenBacklog = 1024;
// Threads kept free of streams for ordinary requests.
constexpr int kThreadsKeptForRequests = 64;

} // namespace perne::server
