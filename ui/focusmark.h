#pragma once

#include <QPushButton>

class QPainter;

namespace perne {

// The keyboard focus, drawn thick and dark blue so that it can be seen from the back of a
// classroom: a band just inside the rectangle, 3 pixels at zoom 1.
void paintFocusMark(QPainter &painter, const QRect &rect, double zoom);

// A command button that shows the focus mark and is pressed by Return and Enter as well
// as by Space.
class FocusButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;
    void setZoom(double zoom);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    double m_zoom = 1.0;
};

} // namespace perne
