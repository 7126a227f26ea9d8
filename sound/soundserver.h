#pragma once

#include <chrono>

namespace perne {

// Whether the sound server settles within `limit`: it accepts us, or refuses us (none is
// running). Only then may Qt Multimedia be asked for audio devices. Qt connects to the same
// server under a lock that the program's exit takes too, and waits 30 s for a server that has
// hung, so asking a hung server would make the program take 30 s to quit even with Qt off the
// GUI thread. Where Qt does not use PulseAudio, this is always true.
bool soundServerSettles(std::chrono::milliseconds limit);

} // namespace perne
