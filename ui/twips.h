#pragma once

#include <QLine>
#include <QRect>
#include <QSize>

namespace perne {

// Every design position is kept in twips, as the windows were drawn; they become logical
// pixels here and nowhere else. Qt scales logical pixels on high-DPI screens by itself.
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

inline QRect toPixels(const DesignControl &c)
{
    return QRect(twipsToPixels(c.left), twipsToPixels(c.top), twipsToPixels(c.width),
                 twipsToPixels(c.height));
}

inline QLine toPixels(const DesignLine &l)
{
    return QLine(twipsToPixels(l.x1), twipsToPixels(l.y1), twipsToPixels(l.x2),
                 twipsToPixels(l.y2));
}

constexpr QSize toPixels(int widthTwips, int heightTwips)
{
    return QSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

} // namespace perne
