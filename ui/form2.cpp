#include "form2.h"

#include "accessiblenames.h"
#include "colours.h"
#include "cueplayer.h"
#include "dialogs.h"
#include "focusmark.h"
#include "fonts.h"
#include "form2design.h"
#include "printbox.h"
#include "problemtexts.h"
#include "texts.h"
#include "twips.h"
#include "windowlogic.h"
#include "zoom.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPushButton>

#include <cmath>
#include <map>
#include <string_view>

namespace perne {

Form2::Form2(Services services, QWidget *parent)
    : QWidget(parent), m_cues(services.cues), m_confirmation(services.confirmation),
      m_endProgram(std::move(services.endProgram)),
      m_showSimulation(std::move(services.showSimulation))
{
    if (!m_cues) {
        m_ownCues = std::make_unique<CuePlayer>();
        m_cues = m_ownCues.get();
    }
    if (!m_confirmation) {
        m_ownConfirmation = std::make_unique<MessageBoxConfirmation>(this);
        m_confirmation = m_ownConfirmation.get();
    }

    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString::fromUtf8(kForm2Caption));
    resize(toPixels(kForm2ClientWidth, kForm2ClientHeight));

    std::map<int, QWidget *> tabOrder;
    for (const DesignControl &c : kForm2Controls) {
        QWidget *w = nullptr;
        if (c.kind == ControlKind::Button) {
            auto *button = new FocusButton(QString::fromUtf8(c.caption), this);
            if (QLatin1String(c.name) == QLatin1String("Command1"))
                m_command1 = button;
            else
                m_command2 = button;
            w = button;
        } else {
            auto *box = new PrintBox(this);
            if (QLatin1String(c.name) == QLatin1String("Picture1"))
                m_picture1 = box;
            else
                m_picture2 = box;
            w = box;
        }
        w->setObjectName(QLatin1String(c.name));
        w->setGeometry(toPixels(c));
        tabOrder[c.tabIndex] = w;
    }
    m_picture1->setAccessibleName(QString::fromUtf8(kProblemAccessibleName));
    m_picture2->setAccessibleName(QString::fromUtf8(kConditionsAccessibleName));
    QWidget *previous = nullptr;
    for (const auto &[index, w] : tabOrder) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }

    if (Zoom *zoom = services.zoom) {
        zoom->addShortcutsTo(this);
        connect(zoom, &Zoom::changed, this, &Form2::applyZoom);
        if (zoom->factor() != 1.0)
            applyZoom(zoom->factor());
    }

    connect(m_command1, &QPushButton::clicked, this, &Form2::command1Click);
    connect(m_command2, &QPushButton::clicked, this, &Form2::command2Click);
}

Form2::~Form2() = default;

QWidget *Form2::clientArea(const char *container)
{
    return QLatin1String(container) == QLatin1String("Form2") ? this : nullptr;
}

void Form2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_picture1->setFocus(Qt::OtherFocusReason);
    activate();
}

// The controls at their design places at the zoom; the boxes paint what they printed larger.
void Form2::applyZoom(double zoom)
{
    m_zoom = zoom;
    setFont(designFont(kDefaultFontPointSize * zoom));
    for (const DesignControl &c : kForm2Controls) {
        QWidget *w = findChild<QWidget *>(QLatin1String(c.name));
        w->setGeometry(toPixels(c, zoom));
        if (auto *b = qobject_cast<FocusButton *>(w))
            b->setZoom(zoom);
        else
            static_cast<PrintBox *>(w)->setZoom(zoom);
    }
    resize(toPixels(kForm2ClientWidth, kForm2ClientHeight, zoom));
    update();
}

// Prints both boxes afresh, step by step as forms/ lists them (the page takes the same steps).
// The first empty line of each box goes out in whatever size the box has at that moment: the
// window's default size the first time, 12 points after.
void Form2::activate()
{
    for (const PrintStep &step : kProblemPrintout) {
        PrintBox *box = std::string_view(step.box) == "Picture1" ? m_picture1 : m_picture2;
        switch (step.op) {
        case PrintOp::Clear:
            box->clear();
            break;
        case PrintOp::EmptyLine:
            box->print();
            break;
        case PrintOp::FontSize:
            box->setFontSize(step.value);
            break;
        case PrintOp::ForeColour:
            box->setForeColour(toQColor(colourNumber(static_cast<int>(step.value))));
            break;
        case PrintOp::Line:
            box->print(QString::fromUtf8(step.text));
            break;
        }
    }
}

void Form2::command1Click()
{
    m_cues->PlayCue(cue::kQuit);
    if (m_confirmation->ask(QString::fromUtf8(kQuitTitle), QString::fromUtf8(kQuitQuestion)))
        m_endProgram();
}

void Form2::command2Click()
{
    m_cues->PlayCue(cue::kClick);
    hide();
    m_showSimulation();
}

// The title bar's close button asks the quit question: hiding this window alone would
// leave the program running with nothing on screen.
void Form2::closeEvent(QCloseEvent *event)
{
    event->ignore();
    command1Click();
}

void Form2::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), std::max(1L, std::lround(m_zoom))));
    for (const DesignLine &line : kForm2Lines)
        painter.drawLine(toPixels(line, m_zoom));
}

} // namespace perne
