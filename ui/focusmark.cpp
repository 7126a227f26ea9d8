#include "focusmark.h"

#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace perne {

void paintFocusMark(QPainter &painter, const QRect &rect, double zoom)
{
    const int band = std::max(1, int(std::lround(3 * zoom)));
    const QColor ink(0x00, 0x3C, 0xC8);
    painter.save();
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), band), ink);
    painter.fillRect(QRect(rect.left(), rect.bottom() - band + 1, rect.width(), band), ink);
    painter.fillRect(QRect(rect.left(), rect.top(), band, rect.height()), ink);
    painter.fillRect(QRect(rect.right() - band + 1, rect.top(), band, rect.height()), ink);
    painter.restore();
}

void FocusButton::setZoom(double zoom)
{
    m_zoom = zoom;
    update();
}

void FocusButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        paintFocusMark(painter, rect(), m_zoom);
    }
}

void FocusButton::keyPressEvent(QKeyEvent *event)
{
    // Held down, the key presses once, as Space does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat())
            click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

} // namespace perne
