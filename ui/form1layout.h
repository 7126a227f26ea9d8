#pragma once

#include "form1design.h"
#include "twips.h"

#include <QPoint>

namespace perne {

// The sprite's top-left corner for lattice point p, in logical pixels of the field's
// client area.
inline QPoint latticeToField(Point p)
{
    const PixelPosition px = latticeToFieldPixels(p);
    return QPoint(px.x, px.y);
}

} // namespace perne
