#include "form1.h"

#include "accessiblenames.h"
#include "clock.h"
#include "colours.h"
#include "cueplayer.h"
#include "dialogs.h"
#include "fieldbox.h"
#include "focusmark.h"
#include "fonts.h"
#include "form1layout.h"
#include "form2.h"
#include "images.h"
#include "random.h"
#include "runcontroller.h"
#include "spritelabel.h"
#include "texts.h"
#include "windowlogic.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <utility>
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

// Some axis marks are barely wider than their label in the substitute face; they are drawn a
// little tighter (forms/windowlogic.h says how far). Zoomed, the tightening found at zoom 1 is
// scaled with the rest, so the marks look as they do at 1.
constexpr char kSpacingProperty[] = "perneLetterSpacing";

void fitCaption(QLabel *label)
{
    QFont font = label->font();
    const qreal spacing = fittedCaptionSpacing(label->contentsRect().width(), [&](double s) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, s);
        return QFontMetricsF(font).horizontalAdvance(label->text());
    });
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    label->setFont(font);
    label->setProperty(kSpacingProperty, spacing);
}

void zoomCaption(QLabel *label, double zoom)
{
    QFont font = designFont(kAxisLabelPointSize * zoom, QFont::Weight(kAxisLabelWeight));
    font.setLetterSpacing(QFont::AbsoluteSpacing,
                          label->property(kSpacingProperty).toReal() * zoom);
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
    m_zoom.addShortcutsTo(this);
    connect(&m_zoom, &Zoom::changed, this, &Form1::applyZoom);

    for (QTimer *t : {&m_timer1, &m_timer2}) {
        t->setTimerType(Qt::PreciseTimer);
        t->setInterval(kTimerIntervalMs);
    }
    connect(&m_timer1, &QTimer::timeout, this, &Form1::timer1Timer);
    connect(&m_timer2, &QTimer::timeout, this, &Form1::timer2Timer);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    catchUp();
            });
    m_tickReport = qEnvironmentVariableIsSet("PERNE_TICK_REPORT");

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
            auto *b = new FocusButton(QString::fromUtf8(c.caption), container);
            m_commands[number] = b;
            tabOrder.emplace_back(c.tabIndex, b);
            w = b;
            break;
        }
        case ControlKind::PictureBox: {
            m_picture1 = new FieldBox(linesOf(c.name), container);
            setBackground(m_picture1, buttonFace);
            m_picture1->setAccessibleName(QString::fromUtf8(kFieldAccessibleName));
            tabOrder.emplace_back(c.tabIndex, m_picture1);
            w = m_picture1;
            break;
        }
        case ControlKind::Sprite: {
            // Not a tab stop: Return after a setup goes on to Start.
            auto *s = new SpriteLabel(number == 3 ? momotaroImage() : dogImage(), container);
            setBackground(s, palette().color(QPalette::Base));
            s->setAccessibleName(QString::fromUtf8(number == 3 ? kMomotaroName : kDogName));
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
    for (const auto &[index, widget] : tabOrder)
        m_tabOrder.push_back(widget);
    for (std::size_t i = 1; i < m_tabOrder.size(); ++i)
        setTabOrder(m_tabOrder[i - 1], m_tabOrder[i]);
    m_tabOrder.front()->setFocus(Qt::OtherFocusReason);

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

// The timers only tell the run that time has passed; it runs whatever ticks are due by now,
// however late the event comes (a busy machine, a stopped process, a suspended laptop).
void Form1::timer1Timer()
{
    const long long before = m_run->periodsRun();
    m_run->timer1Tick();
    reportTicks(before);
}

void Form1::timer2Timer()
{
    const long long before = m_run->periodsRun();
    m_run->timer2Tick();
    reportTicks(before);
}

// Waking or coming back to the program: catch up at once rather than at the next timer
// event. Nothing depends on this arriving.
void Form1::catchUp()
{
    const long long before = m_run->periodsRun();
    m_run->catchUp();
    reportTicks(before);
}

// For the end-to-end tests, which watch the program from outside: with PERNE_TICK_REPORT in
// the environment, one line on standard error after each catch-up of more than one period and
// when a run ends by itself.
void Form1::reportTicks(long long periodsBefore)
{
    const long long ran = m_run->periodsRun() - periodsBefore;
    if (!m_tickReport || ran <= 0 || (ran == 1 && m_run->running()))
        return;
    const QString line =
        QStringLiteral("perne: %1 periods run at once; Timer1 %2 ticks, Timer2 %3 ticks; Label4 "
                       "\"%4\"; Label3 \"%5\"; %6\n")
            .arg(ran)
            .arg(m_run->ticksRun(Timer::Timer1))
            .arg(m_run->ticksRun(Timer::Timer2))
            .arg(m_labels[4]->text(), m_labels[3]->text(),
                 m_run->running() ? QStringLiteral("running") : QStringLiteral("ended"));
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
}

void Form1::showProblemWindow()
{
    if (!m_form2) {
        Form2::Services s;
        s.cues = m_services.problemCues;
        s.confirmation = m_problemConfirmation;
        s.endProgram = [this] { endProgram(); };
        s.showSimulation = [this] { showSimulationWindow(); };
        s.zoom = &m_zoom;
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
    m_timersOn = {false, false};
    m_announcement = Announcement::None; // nothing more is said
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
    const double zoom = m_zoom.factor();
    painter.setPen(QPen(palette().color(QPalette::WindowText), std::max(1L, std::lround(zoom))));
    for (const DesignLine &line : kForm1Lines) {
        if (QLatin1String(line.container) == QLatin1String("Form1"))
            painter.drawLine(toPixels(line, zoom));
    }
}

// Every control goes back to its design place and size at the zoom, with its fonts, border
// and picture scaled alike; the walkers stand on the points they stood on.
void Form1::applyZoom(double zoom)
{
    setFont(designFont(kDefaultFontPointSize * zoom));
    for (const DesignControl &c : kForm1Controls) {
        QWidget *w = findChild<QWidget *>(QLatin1String(c.name));
        if (!w)
            continue;
        w->setGeometry(toPixels(c, zoom));
        if (auto *b = qobject_cast<FocusButton *>(w))
            b->setZoom(zoom);
        if (c.kind == ControlKind::AxisLabel)
            zoomCaption(static_cast<QLabel *>(w), zoom);
        else if (c.kind == ControlKind::ValueLabel)
            static_cast<QLabel *>(w)->setLineWidth(std::max(1, int(std::lround(zoom))));
    }
    m_labels[3]->setFont(designFont(kMeetingCountPointSize * zoom));
    m_picture1->setZoom(zoom);
    for (Sprite s : {Sprite::Picture2, Sprite::Picture3}) {
        sprite(s)->setZoom(zoom);
        placeSprite(s);
    }
    resize(toPixels(kForm1ClientWidth, kForm1ClientHeight, zoom));
    update();
}

// On the lattice point it was last moved to; until the first move, at its design place.
void Form1::placeSprite(Sprite s)
{
    const std::optional<Point> &p = m_spritePoints[std::size_t(s)];
    if (p)
        sprite(s)->move(latticeToField(*p, m_zoom.factor()));
}

// The button forms/ names after `disabled` (the next enabled one in tab order, never Quit)
// takes the focus; should there be none, Qt's choice stands.
void Form1::moveFocusOnFrom(QWidget *disabled)
{
    const auto byName = [this](std::string_view name) {
        return m_commands[std::size_t(numberOf(std::string(name).c_str()))];
    };
    const auto next =
        buttonTakingFocusFrom(kForm1Controls, disabled->objectName().toStdString(),
                              [&](std::string_view name) { return byName(name)->isEnabled(); });
    if (next)
        byName(*next)->setFocus(Qt::TabFocusReason);
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

SpriteLabel *Form1::sprite(Sprite s) const
{
    return s == Sprite::Picture2 ? m_picture2 : m_picture3;
}

void Form1::setCaption(Label label, const std::string &text)
{
    const QString caption = QString::fromStdString(text);
    m_labels[std::size_t(label) + 1]->setText(caption);
    if (label != Label::Label3 || caption == m_countText)
        return;
    m_countText = caption;
    if (m_timersOn[0] || m_timersOn[1])
        announce(Announcement::Count);
}

// Said once this turn of the event loop is over, so that a meeting and the end of the run
// found by one tick, or by one catch-up, are one announcement: the last, with the count as
// the window shows it then (a catch-up writes its captions after its timers have stopped).
void Form1::announce(Announcement what)
{
    const bool queued = m_announcement != Announcement::None;
    m_announcement = what;
    if (queued)
        return;
    QTimer::singleShot(0, this, [this] {
        const Announcement said = std::exchange(m_announcement, Announcement::None);
        if (said == Announcement::None)
            return;
        QString text = m_countText;
        if (said == Announcement::RunEnded)
            text = QString::fromUtf8(kRunEndedAnnouncement) + QChar(0x3000) + text;
        QAccessibleValueChangeEvent event(m_labels[3], text);
        QAccessible::updateAccessibility(&event);
    });
}

void Form1::setSpriteVisible(Sprite s, bool visible)
{
    sprite(s)->setVisible(visible);
}

void Form1::moveSprite(Sprite s, Point p)
{
    m_spritePoints[std::size_t(s)] = p;
    placeSprite(s);
    const char *walker = s == Sprite::Picture2 ? kDogName : kMomotaroName;
    sprite(s)->setAccessibleName(QString::fromStdString(walkerAccessibleName(walker, p)));
}

// A handler enables and disables several buttons in turn; once it has finished, the focus
// moves on from the button that lost it.
void Form1::setButtonEnabled(Button b, bool enabled)
{
    QPushButton *pushButton = button(b);
    if (!enabled && pushButton->isEnabled() && focusWidget() == pushButton && !m_focusLostFrom) {
        m_focusLostFrom = pushButton;
        QTimer::singleShot(0, this, [this] {
            if (m_focusLostFrom && m_focusLostFrom->isEnabled())
                m_focusLostFrom->setFocus(Qt::TabFocusReason); // enabled again meanwhile
            else if (m_focusLostFrom)
                moveFocusOnFrom(m_focusLostFrom);
            m_focusLostFrom = nullptr;
        });
    }
    pushButton->setEnabled(enabled);
}

// Enabling a running timer leaves it running on its beat; it does not start over.
void Form1::setTimerEnabled(Timer t, bool enabled)
{
    bool &on = m_timersOn[std::size_t(t)];
    const bool ended = on && !enabled && !m_timersOn[t == Timer::Timer1 ? 1 : 0];
    on = enabled;
    if (ended) // by the time limit or by Stop
        announce(Announcement::RunEnded);
    QTimer &qt = timer(t);
    if (!enabled)
        qt.stop();
    else if (!qt.isActive())
        qt.start();
}

} // namespace perne
