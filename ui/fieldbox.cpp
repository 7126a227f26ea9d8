#include "fieldbox.h"

#include <QPainter>

#include <vector>

namespace perne {
namespace {

class LinedArea : public QWidget
{
public:
    LinedArea(std::span<const DesignLine> lines, QWidget *parent)
        : QWidget(parent), m_lines(lines.begin(), lines.end())
    {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
        for (const DesignLine &line : m_lines)
            painter.drawLine(toPixels(line));
    }

private:
    std::vector<DesignLine> m_lines;
};

} // namespace

FieldBox::FieldBox(std::span<const DesignLine> lines, QWidget *parent)
    : QFrame(parent), m_client(new LinedArea(lines, this))
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setAutoFillBackground(true);
}

void FieldBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_client->setGeometry(contentsRect());
}

} // namespace perne
