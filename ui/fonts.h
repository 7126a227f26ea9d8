#pragma once

#include <QFont>

namespace perne {

// The Japanese proportional Gothic the windows were designed with.
constexpr char kDesignFontFamily[] = "ＭＳ Ｐゴシック";
// What stands in for it here: metric-compatible, from fonts-ipafont-gothic.
constexpr char kSubstituteFontFamily[] = "IPAPGothic";
// The windows' default font: the design face at the usual interface size.
constexpr qreal kDefaultFontPointSize = 9.0;

// Maps the design face to the installed one and makes it the application's default font,
// so every caption renders Japanese. Call once, after the QApplication exists.
void installJapaneseFonts();

// The design face at a size and weight (resolved through the substitution).
QFont designFont(qreal pointSize, QFont::Weight weight = QFont::Normal);

} // namespace perne
