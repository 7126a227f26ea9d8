#pragma once

#include "form1design.h"
#include "twips.h"

#include <QPoint>

#include <cmath>

namespace perne {

// The sprite's top-left corner for lattice point p, in logical pixels of the field's
// client area, at a zoom (at 1, latticeToFieldPixels).
inline QPoint latticeToField(Point p, double zoom = 1.0)
{
    const FieldPosition t = latticeToFieldTwips(p);
    return QPoint(int(std::floor(t.x * zoom / kTwipsPerPixel + 0.5)),
                  int(std::floor(t.y * zoom / kTwipsPerPixel + 0.5)));
}

} // namespace perne
