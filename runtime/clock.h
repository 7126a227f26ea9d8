#pragma once

namespace perne {

// The machine's two clocks, as a run needs them.
//  - The wall reading: seconds since local midnight, with their fraction, read as a
//    single-precision number. A run reads it once, at Start; every tick's reading is worked
//    out from that one (sim/runclock.h).
//  - The steady reading: seconds from an origin of its own, which only ever moves on at the
//    pace of time; a hand on the settings or a network time correction never moves it. It
//    tells a run how many of its periods have come. Some steady clocks stand still while the
//    device sleeps (Linux's, and some browsers'), others count the sleep.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() = 0;
    virtual double steadySeconds() = 0;
};

// The machine's wall clock and its steady clock (std::chrono::steady_clock).
class SystemClock final : public Clock
{
public:
    float secondsSinceMidnight() override;
    double steadySeconds() override;
};

} // namespace perne
