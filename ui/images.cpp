#include "images.h"

#include "form1design.h"

#include <QPainter>

namespace perne {
namespace {

QPixmap loadOr(const QString &resource, QSize size, QColor ground, QColor figure)
{
    QPixmap image(resource);
    if (!image.isNull())
        return image;
    image = QPixmap(size);
    image.fill(ground);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(figure);
    painter.drawEllipse(QRect(QPoint(0, 0), size).adjusted(6, 6, -6, -6));
    return image;
}

} // namespace

QPixmap momotaroImage()
{
    return loadOr(QStringLiteral(":/assets/momotaro.png"),
                  QSize(kMomotaroImageWidth, kMomotaroImageHeight), QColor(0xF0, 0xD0, 0x30),
                  QColor(0xD0, 0x30, 0x30));
}

QPixmap dogImage()
{
    return loadOr(QStringLiteral(":/assets/dog.png"), QSize(kDogImageWidth, kDogImageHeight),
                  QColor(0x40, 0xA0, 0x40), Qt::white);
}

// The larger sizes keep the icon crisp in a task bar or switcher that shows it big.
QIcon programIcon()
{
    QIcon icon(loadOr(QStringLiteral(":/assets/icon.png"), QSize(32, 32), QColor(0xF0, 0xD0, 0x30),
                      QColor(0xD0, 0x30, 0x30)));
    for (int size : {48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/assets/icons/perne-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace perne
