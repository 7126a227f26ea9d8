#include "spritelabel.h"

#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace perne {

SpriteLabel::SpriteLabel(const QPixmap &picture, QWidget *parent)
    : QLabel(parent), m_picture(picture.toImage())
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setZoom(1.0);
}

// The label keeps a copy at the zoomed size too, so that it sizes itself (and a reader of
// its pixmap sees) the picture as shown.
void SpriteLabel::setZoom(double zoom)
{
    const QSize size(int(std::lround(m_picture.width() * zoom)),
                     int(std::lround(m_picture.height() * zoom)));
    setPixmap(
        QPixmap::fromImage(m_picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void SpriteLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(QPoint(0, 0), pixmap().size()), m_picture);
}

} // namespace perne
