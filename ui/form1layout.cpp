#include "form1layout.h"

#include <cmath>

namespace perne {

QPointF latticeToFieldTwips(Point p)
{
    return QPointF(double(p.x) * kFieldClientWidth / kLatticeUnitsAcross,
                   double(p.y) * kFieldClientHeight / kLatticeUnitsDown);
}

QPoint latticeToField(Point p)
{
    const QPointF twips = latticeToFieldTwips(p);
    return QPoint(int(std::lround(twips.x() / kTwipsPerPixel)),
                  int(std::lround(twips.y() / kTwipsPerPixel)));
}

} // namespace perne
