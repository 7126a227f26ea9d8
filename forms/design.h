#pragma once

namespace perne {

// Every design position is kept in twips, as the windows were drawn. Each front end turns
// them into its own pixels in one place; 15 twips make one pixel at 96 dots per inch.
constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    // Nearest whole pixel; design values are never negative.
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

enum class ControlKind {
    Button,     // command button
    PictureBox, // a picture box that holds other controls (the field)
    Sprite,     // a picture box sized to its image
    AxisLabel,  // the bold axis marks in the field
    ValueLabel, // white labels along the bottom of the simulation window
    PrintBox,   // a white box that texts are printed into
};

// One control as designed: its place and size in its container's client area.
struct DesignControl
{
    const char *name;
    ControlKind kind;
    const char *container;
    int left;
    int top;
    int width;
    int height;
    const char *caption;
    int tabIndex;
};

// A straight line drawn on a container, from one point to another.
struct DesignLine
{
    const char *name;
    const char *container;
    int x1;
    int y1;
    int x2;
    int y2;
};

// The question both windows ask before the program ends.
constexpr char kQuitTitle[] = "ペルネ実験";
constexpr char kQuitQuestion[] = "終了していいですか？";

} // namespace perne
