#include "printbox.h"

#include "colours.h"
#include "focusmark.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>

namespace perne {

PrintBox::PrintBox(QWidget *parent) : SunkenBox(parent)
{
    setFocusPolicy(Qt::TabFocus);
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(kPrintBoxBackground));
    setPalette(p);
    setAutoFillBackground(true);
    // The box starts in the font it was given (its window's default).
    m_pointSize = font().pointSizeF();
}

void PrintBox::clear()
{
    m_lines.clear();
    m_printY = 0;
    setAccessibleDescription(QString());
    update();
}

void PrintBox::print(const QString &text)
{
    m_lines.append({text, m_pointSize, m_colour, m_printY});
    m_printY += lineHeight(m_pointSize);
    if (!text.trimmed().isEmpty()) {
        const QString before = accessibleDescription();
        setAccessibleDescription(before.isEmpty() ? text.trimmed()
                                                  : before + '\n' + text.trimmed());
    }
    update();
}

void PrintBox::setFontSize(qreal pointSize)
{
    m_pointSize = pointSize;
}

// One line is one em of the font: the face the texts were laid out for is exactly that
// tall, while the substitute's ascent plus descent is some 8% more and would push the last
// lines out of the box. (A 12-point line is 16 pixels.)
int PrintBox::lineHeight(qreal pointSize) const
{
    return QFontInfo(fontOfSize(pointSize)).pixelSize();
}

QFont PrintBox::fontOfSize(qreal pointSize) const
{
    QFont f = font();
    f.setPointSizeF(pointSize);
    return f;
}

void PrintBox::paintEvent(QPaintEvent *event)
{
    SunkenBox::paintEvent(event);
    QPainter painter(this);
    const QRect client = contentsRect();
    painter.setClipRect(client);
    painter.translate(client.topLeft());
    if (hasFocus())
        paintFocusMark(painter, QRect(QPoint(0, 0), client.size()), zoom());
    painter.scale(zoom(), zoom());
    for (const PrintedLine &line : m_lines) {
        if (line.text.isEmpty())
            continue;
        const QFont f = fontOfSize(line.pointSize);
        painter.setFont(f);
        painter.setPen(line.colour);
        painter.drawText(QPointF(0, line.top + QFontMetricsF(f).ascent()), line.text);
    }
}

} // namespace perne
