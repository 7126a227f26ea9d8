#pragma once

namespace perne {

// The run clock: seconds since local midnight, with their fraction, read as a
// single-precision number.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() = 0;
};

// The wall clock of the machine.
class SystemClock final : public Clock
{
public:
    float secondsSinceMidnight() override;
};

} // namespace perne
