#include "interrupt.h"

#ifdef _WIN32

namespace perne::cli::platform {

void noteTemporary(const std::string &) {}
void forgetTemporary(const std::string &) {}
InterruptCleanup::InterruptCleanup() = default;
InterruptCleanup::~InterruptCleanup() = default;
SignalsHeld::SignalsHeld() = default;
SignalsHeld::~SignalsHeld() = default;

} // namespace perne::cli::platform

#else

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace perne::cli::platform {
namespace {

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP};

// One slot per temporary file alive at once: one per output option, with room to spare. The
// handler reads them, so they are plain C strings behind atomic pointers.
std::array<std::atomic<char *>, 16> g_temporaries{};
std::array<struct sigaction, kSignals.size()> g_previous{};
std::array<bool, kSignals.size()> g_caught{};
int g_held = 0;
sigset_t g_maskBefore;

sigset_t theSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals)
        sigaddset(&set, signal);
    return set;
}

extern "C" void removeTemporariesAndEnd(int signal)
{
    for (auto &slot : g_temporaries) {
        if (char *path = slot.load())
            ::unlink(path);
    }
    // Ends the program as the signal would have; it arrives once this handler returns.
    struct sigaction fallback
    {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

} // namespace

void noteTemporary(const std::string &path)
{
    for (auto &slot : g_temporaries) {
        if (slot.load() == nullptr) {
            slot.store(::strdup(path.c_str()));
            return;
        }
    }
}

void forgetTemporary(const std::string &path)
{
    for (auto &slot : g_temporaries) {
        char *noted = slot.load();
        if (noted && path == noted) {
            slot.store(nullptr);
            std::free(noted);
            return;
        }
    }
}

InterruptCleanup::InterruptCleanup()
{
    struct sigaction action
    {};
    action.sa_handler = removeTemporariesAndEnd;
    action.sa_mask = theSignals(); // one removal at a time
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], nullptr, &g_previous[i]);
        g_caught[i] = g_previous[i].sa_handler != SIG_IGN;
        if (g_caught[i])
            ::sigaction(kSignals[i], &action, nullptr);
    }
}

InterruptCleanup::~InterruptCleanup()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (g_caught[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
    }
}

SignalsHeld::SignalsHeld()
{
    if (g_held++ == 0) {
        const sigset_t set = theSignals();
        ::pthread_sigmask(SIG_BLOCK, &set, &g_maskBefore);
    }
}

SignalsHeld::~SignalsHeld()
{
    if (--g_held == 0)
        ::pthread_sigmask(SIG_SETMASK, &g_maskBefore, nullptr);
}

} // namespace perne::cli::platform

#endif
