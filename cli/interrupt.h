#pragma once

#include <string>

// Temporary files that an interruption must not leave behind. SIGINT (Ctrl+C), SIGTERM and
// SIGHUP may come while the results are being written; the files noted here are then removed
// before the program ends as the signal would have ended it. On Windows nothing is caught.
namespace perne::cli::platform {

// Notes a temporary file as it appears, or forgets it once it is renamed into place or
// removed. Call both with the signals held (SignalsHeld), so that none comes in between.
void noteTemporary(const std::string &path);
void forgetTemporary(const std::string &path);

// While one lives, each of the three signals that the program does not ignore removes every
// noted file and then ends the program with the signal's own default action, so that the
// shell sees the usual status. A signal the program ignores (nohup) stays ignored.
class InterruptCleanup
{
public:
    InterruptCleanup();
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup &) = delete;
    InterruptCleanup &operator=(const InterruptCleanup &) = delete;
};

// While one lives, the three signals wait: the few steps that put the results in place all
// happen, or none. They may nest.
class SignalsHeld
{
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld &) = delete;
    SignalsHeld &operator=(const SignalsHeld &) = delete;
};

} // namespace perne::cli::platform
