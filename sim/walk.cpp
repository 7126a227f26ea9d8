#include "walk.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace perne {
namespace {

struct Offset
{
    int dx;
    int dy;
};

// Clockwise on screen, starting with the step to the right.
constexpr std::array<Offset, kDirectionCount> kOffsets{{
    {+1, 0},
    {+1, +1},
    {0, +1},
    {-1, +1},
    {-1, 0},
    {-1, -1},
    {0, -1},
    {+1, -1},
}};

std::int16_t clampToLattice(int value)
{
    return static_cast<std::int16_t>(std::clamp<int>(value, kLatticeMin, kLatticeMax));
}

} // namespace

Point step(Point from, StepDirection d)
{
    if (d < 1 || d > kDirectionCount)
        return from;
    const Offset o = kOffsets[static_cast<std::size_t>(d - 1)];
    return {clampToLattice(from.x + o.dx), clampToLattice(from.y + o.dy)};
}

StepDirection directionFromDraw(double r)
{
    // Rounded down without the library's floor(), which a batch would call 36 million times.
    const double scaled = r * kDirectionCount;
    auto whole = static_cast<StepDirection>(scaled);
    if (scaled < whole)
        --whole;
    return whole + 1;
}

bool WalkState::applyMeetingRule()
{
    if (dog.current != momotaro.current)
        return false;
    runState = runState == RunState::BothWalking ? RunState::BothMet : RunState::DogMet;
    if (meetingCount < kMeetingCountMax)
        ++meetingCount;
    return true;
}

void WalkState::applyResetRule()
{
    runState = runState == RunState::BothMet ? RunState::BothWalking : RunState::DogWalking;
    dog.current = dog.start;
    momotaro.current = momotaro.start;
}

} // namespace perne
