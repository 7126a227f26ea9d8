#pragma once

#include <cmath>

namespace perne {

// Rounds to the nearest whole number, halves going to the even neighbour:
// 0.5 -> 0, 1.5 -> 2, 2.5 -> 2, 3.5 -> 4.
inline double roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

} // namespace perne
