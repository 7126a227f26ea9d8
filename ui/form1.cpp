#include "form1.h"

#include "clock.h"
#include "colours.h"
#include "cueplayer.h"
#include "dialogs.h"
#include "fieldbox.h"
#include "fonts.h"
#include "form1layout.h"
#include "form2.h"
#include "images.h"
#include "random.h"
#include "runcontroller.h"
#include "texts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <span>
#include <vector>

namespace perne {
namespace {

// "Command4" -> 4, "Label11" -> 11
int numberOf(const char *name)
{
    const QString n = QString::fromLatin1(name);
    qsizetype i = 0;
    while (i < n.size() && !n.at(i).isDigit())
        ++i;
    return n.sliced(i).toInt();
}

std::vector<DesignLine> linesOf(const char *container)
{
    std::vector<DesignLine> lines;
    for (const DesignLine &l : kForm1Lines) {
        if (QLatin1String(l.container) == QLatin1String(container))
            lines.push_back(l);
    }
    return lines;
}

void setBackground(QWidget *w, QColor colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// Some axis marks are barely wider than their label in the substitute face; draw them a
// little tighter rather than cut them off.
void fitCaption(QLabel *label)
{
    QFont font = label->font();
    qreal spacing = 0;
    while (QFontMetricsF(font).horizontalAdvance(label->text()) > label->contentsRect().width() &&
           spacing > -3) {
        spacing -= 0.5;
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    }
    label->setFont(font);
}

} // namespace

Form1::Form1() : Form1(Services{}) {}

Form1::Form1(Services services, QWidget *parent) : QWidget(parent), m_services(std::move(services))
{
    if (!m_services.cues) {
        m_ownCues = std::make_unique<CuePlayer>();
        m_services.cues = m_ownCues.get();
    }
    if (!m_services.prompter) {
        m_ownPrompter = std::make_unique<InputDialogPrompter>(this);
        m_services.prompter = m_ownPrompter.get();
    }
    // The problem window asks its own quit question, over itself, unless a test answers it.
    m_problemConfirmation = m_services.confirmation;
    if (!m_services.confirmation) {
        m_ownConfirmation = std::make_unique<MessageBoxConfirmation>(this);
        m_services.confirmation = m_ownConfirmation.get();
    }
    if (!m_services.clock) {
        m_ownClock = std::make_unique<SystemClock>();
        m_services.clock = m_ownClock.get();
    }
    if (!m_services.random) {
        m_ownRandom = std::make_unique<MixingRandom>();
        m_services.random = m_ownRandom.get();
    }
    if (!m_services.endProgram)
        m_services.endProgram = [] { QCoreApplication::exit(0); };

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kForm1Caption));
    setWindowIcon(programIcon());
    setBackground(this, toQColor(kForm1Background));
    resize(toPixels(kForm1ClientWidth, kForm1ClientHeight));
    buildControls();

    for (QTimer *t : {&m_timer1, &m_timer2}) {
        t->setTimerType(Qt::PreciseTimer);
        t->setInterval(kTimerIntervalMs);
    }
    connect(&m_timer1, &QTimer::timeout, this, &Form1::timer1Timer);
    connect(&m_timer2, &QTimer::timeout, this, &Form1::timer2Timer);

    m_run = std::make_unique<RunController>(*this, *m_services.prompter, *m_services.cues,
                                            *m_services.clock, *m_services.random);
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    const QColor buttonFace = palette().color(QPalette::Button);
    std::vector<std::pair<int, QWidget *>> tabOrder;

    for (const DesignControl &c : kForm1Controls) {
        QWidget *container = clientArea(c.container);
        const int number = numberOf(c.name);
        QWidget *w = nullptr;
        switch (c.kind) {
        case ControlKind::Button: {
            auto *b = new QPushButton(QString::fromUtf8(c.caption), container);
            m_commands[number] = b;
            tabOrder.emplace_back(c.tabIndex, b);
            w = b;
            break;
        }
        case ControlKind::PictureBox: {
            m_picture1 = new FieldBox(linesOf(c.name), container);
            setBackground(m_picture1, buttonFace);
            w = m_picture1;
            break;
        }
        case ControlKind::Sprite: {
            auto *s = new QLabel(container);
            s->setPixmap(number == 3 ? momotaroImage() : dogImage());
            s->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            setBackground(s, palette().color(QPalette::Base));
            (number == 3 ? m_picture3 : m_picture2) = s;
            w = s;
            break;
        }
        case ControlKind::AxisLabel:
        case ControlKind::ValueLabel: {
            auto *l = new QLabel(QString::fromUtf8(c.caption), container);
            l->setTextFormat(Qt::PlainText);
            l->setMargin(0);
            l->setIndent(0);
            m_labels[number] = l;
            w = l;
            if (c.kind == ControlKind::AxisLabel) {
                l->setFont(designFont(kAxisLabelPointSize, QFont::Weight(kAxisLabelWeight)));
                l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                setBackground(l, buttonFace);
            } else {
                l->setAlignment(Qt::AlignCenter);
                l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                l->setLineWidth(1);
                setBackground(l, toQColor(kValueLabelBackground));
            }
            break;
        }
        case ControlKind::PrintBox: // the problem window's alone
            continue;
        }
        w->setObjectName(QLatin1String(c.name));
        w->setGeometry(toPixels(c));
        if (c.kind == ControlKind::AxisLabel)
            fitCaption(static_cast<QLabel *>(w));
    }

    // Buttons and picture boxes lie above the labels and lines of their container.
    for (QWidget *w : {static_cast<QWidget *>(m_picture2), static_cast<QWidget *>(m_picture3)})
        w->raise();

    QPalette count = m_labels[3]->palette();
    count.setColor(QPalette::WindowText, toQColor(kMeetingCountColour));
    m_labels[3]->setPalette(count);
    m_labels[3]->setFont(designFont(kMeetingCountPointSize));
    QPalette elapsed = m_labels[4]->palette();
    elapsed.setColor(QPalette::WindowText, toQColor(kElapsedTimeColour));
    m_labels[4]->setPalette(elapsed);

    std::sort(tabOrder.begin(), tabOrder.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);

    connect(m_commands[1], &QPushButton::clicked, this, &Form1::command1Click);
    connect(m_commands[2], &QPushButton::clicked, this, [this] { m_run->command2Click(); });
    connect(m_commands[3], &QPushButton::clicked, this, [this] { m_run->command3Click(); });
    connect(m_commands[4], &QPushButton::clicked, this, [this] { m_run->command4Click(); });
    connect(m_commands[5], &QPushButton::clicked, this, [this] { m_run->command5Click(); });
    connect(m_commands[6], &QPushButton::clicked, this, &Form1::command6Click);
}

QWidget *Form1::clientArea(const char *container)
{
    const QLatin1String c(container);
    if (c == QLatin1String("Form1"))
        return this;
    if (c == QLatin1String("Picture1") && m_picture1)
        return m_picture1->client();
    return nullptr;
}

void Form1::load()
{
    m_run->load();
}

void Form1::command1Click()
{
    m_services.cues->PlayCue(cue::kQuit);
    if (m_services.confirmation->ask(QString::fromUtf8(kQuitTitle),
                                     QString::fromUtf8(kQuitQuestion)))
        endProgram();
}

void Form1::command6Click()
{
    m_services.cues->PlayCue(cue::kClick);
    hide();
    showProblemWindow();
}

void Form1::timer1Timer()
{
    m_run->timer1Tick();
}

void Form1::timer2Timer()
{
    m_run->timer2Tick();
}

void Form1::showProblemWindow()
{
    if (!m_form2) {
        Form2::Services s;
        s.cues = m_services.problemCues;
        s.confirmation = m_problemConfirmation;
        s.endProgram = [this] { endProgram(); };
        s.showSimulation = [this] { showSimulationWindow(); };
        m_form2 = std::make_unique<Form2>(std::move(s));
    }
    m_form2->show();
    m_form2->raise();
    m_form2->activateWindow();
}

void Form1::showSimulationWindow()
{
    show();
    raise();
    activateWindow();
}

// Yes to the quit question, on either window: nothing more may happen, even mid-run.
void Form1::endProgram()
{
    m_timer1.stop();
    m_timer2.stop();
    if (m_form2)
        m_form2->hide();
    hide();
    m_services.endProgram();
}

// The title bar's close button asks the quit question like the Quit button; closing this
// window alone would leave the program running with nothing on screen.
void Form1::closeEvent(QCloseEvent *event)
{
    event->ignore();
    command1Click();
}

void Form1::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    for (const DesignLine &line : kForm1Lines) {
        if (QLatin1String(line.container) == QLatin1String("Form1"))
            painter.drawLine(toPixels(line));
    }
}

QPushButton *Form1::button(Button b) const
{
    switch (b) {
    case Button::Command2:
        return m_commands[2];
    case Button::Command3:
        return m_commands[3];
    case Button::Command4:
        return m_commands[4];
    case Button::Command5:
        return m_commands[5];
    case Button::Command6:
        return m_commands[6];
    }
    return nullptr;
}

QLabel *Form1::sprite(Sprite s) const
{
    return s == Sprite::Picture2 ? m_picture2 : m_picture3;
}

void Form1::setCaption(Label label, const std::string &text)
{
    m_labels[std::size_t(label) + 1]->setText(QString::fromStdString(text));
}

void Form1::setSpriteVisible(Sprite s, bool visible)
{
    sprite(s)->setVisible(visible);
}

void Form1::moveSprite(Sprite s, Point p)
{
    sprite(s)->move(latticeToField(p));
}

void Form1::setButtonEnabled(Button b, bool enabled)
{
    button(b)->setEnabled(enabled);
}

// Enabling a running timer leaves it running on its beat; it does not start over.
void Form1::setTimerEnabled(Timer t, bool enabled)
{
    QTimer &qt = timer(t);
    if (!enabled)
        qt.stop();
    else if (!qt.isActive())
        qt.start();
}

} // namespace perne
