#pragma once

#include "twips.h"

#include <QFrame>

#include <span>

namespace perne {

// A picture box that holds other controls: a sunken 2-pixel border around a client area
// in which its children are placed and its lines are drawn (beneath every child).
class FieldBox : public QFrame
{
    Q_OBJECT
public:
    FieldBox(std::span<const DesignLine> lines, QWidget *parent = nullptr);

    QWidget *client() const { return m_client; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_client;
};

} // namespace perne
