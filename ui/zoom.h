#pragma once

#include <QObject>

#include <array>

class QWidget;

namespace perne {

// The windows' zoom for a projector: one level shared by both windows, from 1 (the design's
// pixels) to 3 in steps. Ctrl++ and Ctrl+- step it, Ctrl+0 brings it back to 1.
class Zoom : public QObject
{
    Q_OBJECT
public:
    static constexpr std::array<double, 5> kSteps{1.0, 1.5, 2.0, 2.5, 3.0};

    double factor() const { return kSteps[m_step]; }
    void zoomIn() { setStep(m_step + 1); }
    void zoomOut() { setStep(m_step - 1); }
    void reset() { setStep(0); }

    // The three shortcuts on a window (also Ctrl+=, the plus key without Shift).
    void addShortcutsTo(QWidget *window);

signals:
    void changed(double factor);

private:
    void setStep(int step);

    int m_step = 0;
};

} // namespace perne
