#include "sunkenbox.h"

#include "twips.h"

#include <QPainter>

namespace perne {
namespace {

constexpr int kBorderPixels = 2;

// An L of the given thickness along the top and left (or bottom and right) of r.
void paintCorner(QPainter &p, const QRect &r, int thickness, bool topLeft, const QColor &c)
{
    if (topLeft) {
        p.fillRect(QRect(r.left(), r.top(), r.width(), thickness), c);
        p.fillRect(QRect(r.left(), r.top(), thickness, r.height()), c);
    } else {
        p.fillRect(QRect(r.left(), r.bottom() - thickness + 1, r.width(), thickness), c);
        p.fillRect(QRect(r.right() - thickness + 1, r.top(), thickness, r.height()), c);
    }
}

} // namespace

SunkenBox::SunkenBox(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
}

void SunkenBox::setZoom(double zoom)
{
    m_zoom = zoom;
    if (zoom == 1.0) {
        // The panel's frame adds its width to the margins it finds (the zoomed border), so
        // those go first; clearing them after it would clear the frame's own as well.
        setContentsMargins(0, 0, 0, 0);
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    } else {
        const int border = zoomedPixels(kBorderPixels * kTwipsPerPixel, zoom);
        setFrameStyle(QFrame::NoFrame);
        setContentsMargins(border, border, border, border);
    }
    update();
}

void SunkenBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_zoom == 1.0)
        return;
    // The toolkit's sunken panel: dark over light outside, shadow over midlight inside.
    const int border = contentsMargins().left();
    const int outer = (border + 1) / 2;
    const int inner = border - outer;
    QPainter p(this);
    const QPalette &pal = palette();
    paintCorner(p, rect(), outer, false, pal.light().color());
    paintCorner(p, rect(), outer, true, pal.dark().color());
    const QRect in = rect().adjusted(outer, outer, -outer, -outer);
    if (inner > 0) {
        paintCorner(p, in, inner, false, pal.midlight().color());
        paintCorner(p, in, inner, true, pal.shadow().color());
    }
}

} // namespace perne
