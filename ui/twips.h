#pragma once

#include "design.h"

#include <QLine>
#include <QRect>
#include <QSize>

#include <cmath>

namespace perne {

// The design tables' twips become Qt's logical pixels here and nowhere else. Qt scales
// logical pixels on high-DPI screens by itself; the zoom (1 to 3, for a projector) scales
// them once more. Edges are scaled, not sizes, so neighbours stay neighbours; at zoom 1
// every value is the design's pixel.

inline int zoomedPixels(int twips, double zoom)
{
    return int(std::floor(twips * zoom / kTwipsPerPixel + 0.5));
}

inline QRect toPixels(const DesignControl &c, double zoom = 1.0)
{
    const int left = zoomedPixels(c.left, zoom);
    const int top = zoomedPixels(c.top, zoom);
    return QRect(left, top, zoomedPixels(c.left + c.width, zoom) - left,
                 zoomedPixels(c.top + c.height, zoom) - top);
}

inline QLine toPixels(const DesignLine &l, double zoom = 1.0)
{
    return QLine(zoomedPixels(l.x1, zoom), zoomedPixels(l.y1, zoom), zoomedPixels(l.x2, zoom),
                 zoomedPixels(l.y2, zoom));
}

inline QSize toPixels(int widthTwips, int heightTwips, double zoom = 1.0)
{
    return QSize(zoomedPixels(widthTwips, zoom), zoomedPixels(heightTwips, zoom));
}

} // namespace perne
