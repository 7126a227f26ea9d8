#pragma once

#include "design.h"

#include <array>

namespace perne {

// The problem window as designed, in twips.
constexpr char kForm2Caption[] = " 第４回日本数学コンクール問題(1993.8.22)";
constexpr int kForm2ClientWidth = 7680;
constexpr int kForm2ClientHeight = 7515;

constexpr std::array<DesignControl, 4> kForm2Controls{{
    {"Picture2", ControlKind::PrintBox, "Form2", 120, 5640, 7455, 1715, "", 4},
    {"Command2", ControlKind::Button, "Form2", 6120, 0, 1575, 375, "シミュレーション", 2},
    {"Command1", ControlKind::Button, "Form2", 0, 0, 855, 375, "終了", 1},
    {"Picture1", ControlKind::PrintBox, "Form2", 120, 600, 7455, 4815, "", 0},
}};

constexpr std::array<DesignLine, 1> kForm2Lines{{
    {"Line1", "Form2", 0, 360, 7680, 360},
}};

} // namespace perne
