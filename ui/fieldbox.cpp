#include "fieldbox.h"

#include "focusmark.h"

#include <QPainter>

#include <cmath>
#include <vector>

namespace perne {
namespace {

class LinedArea : public QWidget
{
public:
    LinedArea(std::span<const DesignLine> lines, QWidget *parent)
        : QWidget(parent), m_lines(lines.begin(), lines.end())
    {}
    double zoom = 1.0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const int width = std::max(1, int(std::lround(zoom)));
        painter.setPen(QPen(palette().color(QPalette::WindowText), width));
        for (const DesignLine &line : m_lines)
            painter.drawLine(toPixels(line, zoom));
        if (parentWidget()->hasFocus())
            paintFocusMark(painter, rect(), zoom);
    }

private:
    std::vector<DesignLine> m_lines;
};

} // namespace

FieldBox::FieldBox(std::span<const DesignLine> lines, QWidget *parent)
    : SunkenBox(parent), m_client(new LinedArea(lines, this))
{
    setAutoFillBackground(true);
    setFocusPolicy(Qt::TabFocus);
}

void FieldBox::setZoom(double zoom)
{
    SunkenBox::setZoom(zoom);
    static_cast<LinedArea *>(m_client)->zoom = zoom;
    m_client->setGeometry(contentsRect());
    m_client->update();
}

void FieldBox::resizeEvent(QResizeEvent *event)
{
    SunkenBox::resizeEvent(event);
    m_client->setGeometry(contentsRect());
}

void FieldBox::focusInEvent(QFocusEvent *event)
{
    SunkenBox::focusInEvent(event);
    m_client->update();
}

void FieldBox::focusOutEvent(QFocusEvent *event)
{
    SunkenBox::focusOutEvent(event);
    m_client->update();
}

} // namespace perne
