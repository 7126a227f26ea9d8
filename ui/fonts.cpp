#include "fonts.h"

#include <QApplication>

namespace perne {

void installJapaneseFonts()
{
    QFont::insertSubstitution(QString::fromUtf8(kDesignFontFamily),
                              QString::fromUtf8(kSubstituteFontFamily));
    QApplication::setFont(designFont(kDefaultFontPointSize));
}

QFont designFont(qreal pointSize, QFont::Weight weight)
{
    QFont font(QString::fromUtf8(kDesignFontFamily));
    // If the design face is missing the substitute is used; list it as a fallback as well
    // so a font engine that ignores substitutions still finds a Japanese face.
    font.setFamilies(
        {QString::fromUtf8(kDesignFontFamily), QString::fromUtf8(kSubstituteFontFamily)});
    font.setPointSizeF(pointSize);
    font.setWeight(weight);
    return font;
}

} // namespace perne
