#pragma once

#include "sunkenbox.h"
#include "twips.h"

#include <span>

namespace perne {

// A picture box that holds other controls: a sunken 2-pixel border around a client area
// in which its children are placed and its lines are drawn (beneath every child). It can
// take the keyboard focus (first in the simulation window's tab order), and then shows
// the focus mark round its client area.
class FieldBox : public SunkenBox
{
    Q_OBJECT
public:
    FieldBox(std::span<const DesignLine> lines, QWidget *parent = nullptr);

    QWidget *client() const { return m_client; }
    void setZoom(double zoom);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QWidget *m_client;
};

} // namespace perne
