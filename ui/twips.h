#pragma once

#include "design.h"

#include <QLine>
#include <QRect>
#include <QSize>

namespace perne {

// The design tables' twips become Qt's logical pixels here and nowhere else. Qt scales
// logical pixels on high-DPI screens by itself.

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
