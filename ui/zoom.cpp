#include "zoom.h"

#include <QShortcut>
#include <QWidget>

#include <algorithm>

namespace perne {

void Zoom::setStep(int step)
{
    step = std::clamp(step, 0, int(kSteps.size()) - 1);
    if (step == m_step)
        return;
    m_step = step;
    emit changed(factor());
}

void Zoom::addShortcutsTo(QWidget *window)
{
    const auto add = [this, window](QKeySequence keys, void (Zoom::*action)()) {
        auto *s = new QShortcut(keys, window);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, action);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_Plus), &Zoom::zoomIn);
    add(QKeySequence(Qt::CTRL | Qt::Key_Equal), &Zoom::zoomIn);
    add(QKeySequence(Qt::CTRL | Qt::Key_Minus), &Zoom::zoomOut);
    add(QKeySequence(Qt::CTRL | Qt::Key_0), &Zoom::reset);
}

} // namespace perne
