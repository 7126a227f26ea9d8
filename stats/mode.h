#pragma once

#include "walk.h"

#include <array>
#include <string_view>

namespace perne::stats {

// The two ways a run can go: both walkers move (Command2), or only the dog (Command3).
enum class Mode { Both, Dog };

constexpr std::array<Mode, 2> kAllModes{Mode::Both, Mode::Dog};

constexpr RunState walkingState(Mode mode)
{
    return mode == Mode::Both ? RunState::BothWalking : RunState::DogWalking;
}

// "both" / "dog", as written in the CSV and on the command line.
constexpr std::string_view modeKey(Mode mode)
{
    return mode == Mode::Both ? "both" : "dog";
}

// The mode buttons' captions.
constexpr std::string_view modeCaption(Mode mode)
{
    return mode == Mode::Both ? "２人が動くとき" : "１人が動くとき";
}

struct StartingPoints
{
    Point momotaro{4, 4};
    Point dog{6, 4};
};

} // namespace perne::stats
