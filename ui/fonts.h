#pragma once

#include "typefaces.h"

#include <QFont>

namespace perne {

// Maps the design face to the installed one and makes it the application's default font,
// so every caption renders Japanese. Call once, after the QApplication exists.
void installJapaneseFonts();

// The design face at a size and weight (resolved through the substitution).
QFont designFont(qreal pointSize, QFont::Weight weight = QFont::Normal);

} // namespace perne
