#pragma once

#include <QIcon>
#include <QPixmap>

namespace perne {

// The walkers' sprites (Momotaro 33 x 36, the dog 34 x 34) and the program's icon, from the
// program's resources. Should a resource be missing, a plain picture of the same size
// stands in so the windows still work.
QPixmap momotaroImage();
QPixmap dogImage();
QIcon programIcon();

} // namespace perne
