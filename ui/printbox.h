#pragma once

#include "sunkenbox.h"

#include <QColor>
#include <QList>
#include <QString>

namespace perne {

// A white, sunken box that texts are printed into line by line. It keeps what was printed
// (each line with the size and colour it was printed in) and paints it. Each printed line
// starts at the left edge at the print position, which then moves down by one line of the
// font size in force. Zoomed, the same lines are painted larger; what was printed and
// where stays as at zoom 1. It takes the keyboard focus by Tab and then shows the focus
// mark; a screen reader reads the printed text as its description.
class PrintBox : public SunkenBox
{
    Q_OBJECT
public:
    struct PrintedLine
    {
        QString text;
        qreal pointSize;
        QColor colour;
        int top; // in the client area, logical pixels
    };

    explicit PrintBox(QWidget *parent = nullptr);

    // Throws the printed text away; the print position goes back to the top-left corner.
    // Font size and text colour stay as they are.
    void clear();
    // Prints one whole line (an empty one by default) at the print position.
    void print(const QString &text = QString());

    void setFontSize(qreal pointSize);
    qreal fontSize() const { return m_pointSize; }
    void setForeColour(const QColor &colour) { m_colour = colour; }
    QColor foreColour() const { return m_colour; }

    const QList<PrintedLine> &lines() const { return m_lines; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont fontOfSize(qreal pointSize) const;
    int lineHeight(qreal pointSize) const;

    QList<PrintedLine> m_lines;
    qreal m_pointSize;
    QColor m_colour = Qt::black;
    int m_printY = 0;
};

} // namespace perne
