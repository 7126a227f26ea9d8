#pragma once

#include <cstdint>

namespace perne {

// The lattice runs from 0 to kLatticeMax on both axes: 11 x 11 points.
constexpr std::int16_t kLatticeMin = 0;
constexpr std::int16_t kLatticeMax = 10;
constexpr int kLatticeUnitsAcross = 11; // the field's scale: 11 units wide ...
constexpr int kLatticeUnitsDown = 12;   // ... and 12 units high

constexpr int kTimerIntervalMs = 200;
constexpr float kTimeLimitSeconds = 180.0f;
constexpr double kSecondsPerDay = 86400.0;

constexpr std::int16_t kMeetingCountMax = 32767;

constexpr int kDirectionCount = 8;

} // namespace perne
