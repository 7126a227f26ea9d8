#pragma once

#include "walk.h"

#include <string>

namespace perne {

// What a screen reader says for the controls that show no text of their own: the field,
// and each walker's sprite with the lattice point it stands on.
constexpr char kFieldAccessibleName[] = "桃太郎と犬が歩く格子（11 × 11）";
constexpr char kMomotaroName[] = "桃太郎";
constexpr char kDogName[] = "犬";
// Said, with the meeting count, when a run has ended (by the time limit or by Stop).
constexpr char kRunEndedAnnouncement[] = "実験が終わりました";
// The problem window's two print boxes.
constexpr char kProblemAccessibleName[] = "問題";
constexpr char kConditionsAccessibleName[] = "シミュレーションの条件";

// "桃太郎 x= 4 y= 4"
inline std::string walkerAccessibleName(const char *walker, Point p)
{
    return std::string(walker) + " x= " + std::to_string(p.x) + " y= " + std::to_string(p.y);
}

} // namespace perne
