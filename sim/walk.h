#pragma once

#include "constants.h"

#include <cstdint>

namespace perne {

struct Point
{
    std::int16_t x = 0;
    std::int16_t y = 0;
    friend bool operator==(const Point &, const Point &) = default;
};

struct Walker
{
    Point start;
    Point current;
};

// The sign carries the mode, the magnitude whether the walkers are walking (1) or a
// meeting waits for its reset on the next tick (2).
enum class RunState : std::int16_t {
    Idle = 0,
    BothWalking = 1,
    DogWalking = -1,
    BothMet = 2,
    DogMet = -2,
};

using MeetingCount = std::int16_t;

// 1..8: right, down-right, down, down-left, left, up-left, up, up-right (y grows downwards).
using StepDirection = int;

constexpr bool isWalking(RunState s)
{
    return s == RunState::BothWalking || s == RunState::DogWalking;
}
constexpr bool isMeetingPending(RunState s)
{
    return s == RunState::BothMet || s == RunState::DogMet;
}

// One step in direction d, each axis clamped to the lattice on its own: at an edge a
// diagonal step outward slides along the edge, a straight one stays put. A direction
// outside 1..8 leaves the point as it is.
Point step(Point from, StepDirection d);

// A uniform draw in [0, 1) turned into a direction 1..8.
StepDirection directionFromDraw(double r);

struct WalkState
{
    Walker dog;
    Walker momotaro;
    RunState runState = RunState::Idle;
    MeetingCount meetingCount = 0;

    // After a step: if the walkers share a point, marks the meeting and counts it
    // (the count stops at its limit; the run goes on). Returns whether they met.
    bool applyMeetingRule();
    // The tick after a meeting: back to walking, both walkers on their starting points.
    void applyResetRule();
};

} // namespace perne
