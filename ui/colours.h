#pragma once

#include "palette.h"

#include <QColor>

namespace perne {

inline QColor toQColor(Rgb rgb)
{
    return QColor::fromRgb(QRgb(0xFF000000u | rgb));
}

} // namespace perne
