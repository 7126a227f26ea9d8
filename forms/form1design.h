#pragma once

#include "constants.h"
#include "design.h"
#include "walk.h"

#include <array>

namespace perne {

// The simulation window as designed, in twips.
constexpr char kForm1Caption[] = " 【ペルネ実験】";
constexpr int kForm1ClientWidth = 7230;
constexpr int kForm1ClientHeight = 5625;

// The field's sunken border is 2 pixels on each side.
constexpr int kFieldBorderTwips = 2 * kTwipsPerPixel;

// The sprites' pictures, in pixels; the sprite boxes take exactly these sizes.
constexpr int kMomotaroImageWidth = 33;
constexpr int kMomotaroImageHeight = 36;
constexpr int kDogImageWidth = 34;
constexpr int kDogImageHeight = 34;

// In the order the window stores them. Children of Picture1 are placed in its client
// area, inside the border.
constexpr std::array<DesignControl, 20> kForm1Controls{{
    {"Command6", ControlKind::Button, "Form1", 960, 0, 975, 375, "問題へ", 20},
    {"Command5", ControlKind::Button, "Form1", 3000, 0, 1095, 375, "スタート", 19},
    {"Picture1", ControlKind::PictureBox, "Form1", 120, 480, 6975, 4455, "", 0},
    {"Picture3", ControlKind::Sprite, "Picture1", 3480, 1920, 495, 540, "", 11},
    {"Picture2", ControlKind::Sprite, "Picture1", 2160, 1920, 510, 510, "", 10},
    {"Label11", ControlKind::AxisLabel, "Picture1", 240, 3840, 255, 255, "10", 18},
    {"Label10", ControlKind::AxisLabel, "Picture1", 6360, 240, 255, 255, "10", 17},
    {"Label9", ControlKind::AxisLabel, "Picture1", 240, 2040, 135, 255, "5", 16},
    {"Label8", ControlKind::AxisLabel, "Picture1", 3360, 240, 135, 255, "5", 15},
    {"Label7", ControlKind::AxisLabel, "Picture1", 120, 4080, 255, 255, "y", 14},
    {"Label6", ControlKind::AxisLabel, "Picture1", 6720, 0, 135, 255, "x", 13},
    {"Label5", ControlKind::AxisLabel, "Picture1", 240, 240, 255, 255, "0", 12},
    {"Command4", ControlKind::Button, "Form1", 2040, 0, 855, 375, "中止", 9},
    {"Command3", ControlKind::Button, "Form1", 5760, 0, 1455, 375, "１人が動くとき", 8},
    {"Command2", ControlKind::Button, "Form1", 4200, 0, 1455, 375, "２人が動くとき", 7},
    {"Command1", ControlKind::Button, "Form1", 0, 0, 855, 375, "終了", 6},
    {"Label4", ControlKind::ValueLabel, "Form1", 2040, 5160, 1335, 255, "", 5},
    {"Label3", ControlKind::ValueLabel, "Form1", 120, 5160, 1815, 255, "", 4},
    {"Label2", ControlKind::ValueLabel, "Form1", 3600, 5160, 1815, 255, "", 2},
    {"Label1", ControlKind::ValueLabel, "Form1", 5520, 5160, 1575, 255, "", 1},
}};

// Line1 reaches past the client width and runs just inside the buttons' bottom edge,
// so it shows only in the gaps between them.
constexpr std::array<DesignLine, 3> kForm1Lines{{
    {"Line3", "Picture1", 6600, 120, 120, 120}, // x axis along the top
    {"Line2", "Picture1", 120, 120, 120, 4080}, // y axis down the left side
    {"Line1", "Form1", 0, 360, 7440, 360},
}};

// The field's client area carries a scale 11 units across and 12 down.
constexpr int kFieldClientWidth = 6975 - 2 * kFieldBorderTwips;  // 6915
constexpr int kFieldClientHeight = 4455 - 2 * kFieldBorderTwips; // 4395

struct FieldPosition
{
    double x;
    double y;
};

struct PixelPosition
{
    int x;
    int y;
};

// Where a walker's sprite has its top-left corner when the walker stands on lattice point
// p, in twips of the field's client area. Everything that places a sprite goes through it.
constexpr FieldPosition latticeToFieldTwips(Point p)
{
    return {double(p.x) * kFieldClientWidth / kLatticeUnitsAcross,
            double(p.y) * kFieldClientHeight / kLatticeUnitsDown};
}

// The same rounded to the nearest whole pixel (no point lies on a half pixel).
constexpr PixelPosition latticeToFieldPixels(Point p)
{
    const FieldPosition t = latticeToFieldTwips(p);
    return {int(t.x / kTwipsPerPixel + 0.5), int(t.y / kTwipsPerPixel + 0.5)};
}

} // namespace perne
