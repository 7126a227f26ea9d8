#pragma once

#include <QFrame>

namespace perne {

// A box with the windows' single-line sunken border: 2 pixels on each side, darker at the
// top and left. At zoom 1 it is the toolkit's own panel; zoomed, the same four shades are
// painted as bands as wide as the zoom makes them, so the client area inside stays where
// the design's twips put it.
class SunkenBox : public QFrame
{
    Q_OBJECT
public:
    explicit SunkenBox(QWidget *parent = nullptr);

    void setZoom(double zoom);
    double zoom() const { return m_zoom; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_zoom = 1.0;
};

} // namespace perne
