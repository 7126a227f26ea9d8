// The two windows as a student meets them: every control at its design place, the exact
// texts, and real clicks reaching the run logic. The run logic itself is tested without a
// window (tests/sim); here only the wiring between it and the widgets is.
#include "dialogs.h"
#include "fonts.h"
#include "form1.h"
#include "form1layout.h"
#include "form2.h"
#include "form2design.h"
#include "headless.h"
#include "printbox.h"
#include "translations.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QtGui/private/qguiapplication_p.h>
#include <QtTest>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <utility>

using namespace perne;

namespace {

// Answers the quit question as told and notes each question asked.
struct ScriptedConfirmation final : Confirmation
{
    bool ask(const QString &title, const QString &text) override
    {
        asked << title + '|' + text;
        return answer;
    }
    bool answer = false;
    QStringList asked;
};

// The simulation window, shown, with fakes behind every seam (in the order of
// Form1::Services) and a clock that moves only when the test says so.
struct Harness
{
    CountingCues cues, problemCues;
    ScriptedPrompter prompter;
    ScriptedConfirmation confirmation;
    SimulatedClock clock;
    MixingRandom random{20240601};
    int ended = 0;
    Form1 form{
        {&cues, &problemCues, &prompter, &confirmation, &clock, &random, [this] { ++ended; }}};

    Harness()
    {
        form.load();
        form.show();
    }
    QLabel *label(const char *name) const { return form.findChild<QLabel *>(name); }
    QPushButton *button(int n) const
    {
        return form.findChild<QPushButton *>(QStringLiteral("Command%1").arg(n));
    }
    void click(int n) { QTest::mouseClick(button(n), Qt::LeftButton); }
    void setUp(int mode, std::initializer_list<const char *> answers)
    {
        for (const char *a : answers)
            prompter.push(a);
        click(mode);
    }
    // Command1..Command6, E for enabled.
    QString enabled() const
    {
        QString s;
        for (int n = 1; n <= 6; ++n)
            s += button(n)->isEnabled() ? 'E' : '-';
        return s;
    }
    // One timer period: the clock moves on, then each running timer ticks, Timer1 first.
    bool period()
    {
        clock.advancePeriods(1);
        if (form.timer(Timer::Timer1).isActive())
            form.timer1Timer();
        if (form.timer(Timer::Timer2).isActive())
            form.timer2Timer();
        return form.timer(Timer::Timer1).isActive() || form.timer(Timer::Timer2).isActive();
    }
    // Everything a student can see on the simulation window, one line per thing.
    QStringList seen() const
    {
        QStringList s{enabled()};
        for (const QLabel *l : form.findChildren<QLabel *>())
            s << QStringLiteral("%1 %2 %3 %4,%5")
                     .arg(l->objectName(), l->text(), l->isVisibleTo(&form) ? "shown" : "hidden",
                          QString::number(l->x()), QString::number(l->y()));
        return s;
    }
};

template <typename Window, std::size_t N>
void checkControls(Window &window, const std::array<DesignControl, N> &table)
{
    for (const DesignControl &c : table) {
        QWidget *w = window.template findChild<QWidget *>(QLatin1String(c.name));
        QVERIFY2(w && w->parentWidget() == window.clientArea(c.container), c.name);
        QCOMPARE(w->geometry(), toPixels(c));
        if (c.kind == ControlKind::Sprite) // it shows its whole picture
            QCOMPARE(static_cast<QLabel *>(w)->pixmap().size(), w->size());
        const QString caption = w->property("text").toString(); // none on picture boxes
        QCOMPARE(caption, QString::fromUtf8(c.caption));
        // Drawn in a face that has every character, and not cut off.
        const QFontMetricsF fm(w->font());
        for (char32_t ch : caption.toUcs4())
            QVERIFY2(fm.inFontUcs4(ch), c.name);
        QVERIFY2(fm.horizontalAdvance(caption) <= w->width(), c.name);
    }
}

QStringList printed(const PrintBox *box)
{
    QStringList out;
    for (const auto &l : box->lines())
        out << QStringLiteral("%1|%2|%3").arg(l.text).arg(l.pointSize).arg(l.colour.name());
    return out;
}

// The name of the widget that has (or gets, once its window is active) the focus.
QString focused(QWidget &window)
{
    QCoreApplication::processEvents(); // the focus moves on once a handler has finished
    return window.focusWidget() ? window.focusWidget()->objectName() : QString();
}

// A key pressed on whatever has the focus, as the keyboard would.
void press(QWidget &window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, key, modifiers);
}

// Presses the button with this caption on the modal dialog once it is up; notes the size of
// the dialog's font.
qreal modalPointSize = 0;
void pressWhenModal(const QString &caption)
{
    QTimer::singleShot(0, [caption] {
        modalPointSize = QApplication::activeModalWidget()->font().pointSizeF();
        for (auto *b : QApplication::activeModalWidget()->findChildren<QPushButton *>())
            if (b->text() == caption)
                QTest::mouseClick(b, Qt::LeftButton);
    });
}

// What a screen reader is told through Qt's accessibility events while a test listens: every
// value change, as "object text".
QStringList g_valueChanges;

void noteValueChange(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::ValueChanged && event->object())
        g_valueChanges << event->object()->objectName() + ' ' +
                              static_cast<QAccessibleValueChangeEvent *>(event)->value().toString();
}

// Listens for as long as it lives, as a screen reader would: Qt tells nobody anything until
// the platform's accessibility is switched on, which a screen reader does by asking. Takes
// what was said once the event loop has had its turn.
struct Listener
{
    Listener() : previous(QAccessible::installUpdateHandler(noteValueChange))
    {
        g_valueChanges.clear();
        platform()->setActive(true);
    }
    ~Listener()
    {
        platform()->setActive(false);
        QAccessible::installUpdateHandler(previous);
    }
    static QPlatformAccessibility *platform()
    {
        return QGuiApplicationPrivate::platformIntegration()->accessibility();
    }
    QStringList heard()
    {
        QCoreApplication::processEvents();
        return std::exchange(g_valueChanges, {});
    }
    QAccessible::UpdateHandler previous;
};

const QString kEnded = QStringLiteral("Label3 実験が終わりました　");

} // namespace

class WindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installJapaneseFonts(); }

    // One table builds each window and checks it; a resized window moves nothing. Sprites
    // are placed by lattice point.
    void everyControlSitsAtItsDesignPlaceWithItsCaption()
    {
        Harness h;
        h.click(6);
        Form2 *problem = h.form.problemWindow();
        QCOMPARE(h.form.windowTitle(), QStringLiteral(" 【ペルネ実験】"));
        QCOMPARE(problem->windowTitle(),
                 QStringLiteral(" 第４回日本数学コンクール問題(1993.8.22)"));
        QCOMPARE(h.form.size(), QSize(482, 375));
        QCOMPARE(problem->size(), QSize(512, 501));
        for (QSize size : {QSize(482, 375), QSize(900, 700)}) {
            h.form.resize(size);
            problem->resize(size / 2);
            QCoreApplication::processEvents();
            checkControls(h.form, kForm1Controls);
            checkControls(*problem, kForm2Controls);
            // Inside the field's 2-pixel border lies the client area the lattice is drawn on.
            QCOMPARE(h.form.clientArea("Picture1")->geometry(), QRect(2, 2, 461, 293));
        }

        // The lattice: 11 units across the field's client area (6915 twips), 12 down (4395).
        const QList<std::pair<Point, QPoint>> lattice = {
            {{0, 0}, {0, 0}}, {{5, 5}, {210, 122}}, {{10, 10}, {419, 244}}};
        for (const auto &[point, pixels] : lattice) {
            h.form.moveSprite(Sprite::Picture2, point);
            h.form.moveSprite(Sprite::Picture3, point);
            for (const QLabel *sprite : {h.label("Picture2"), h.label("Picture3")}) {
                QCOMPARE(sprite->pos(), pixels);
                QVERIFY(h.form.clientArea("Picture1")->rect().contains(sprite->geometry()));
            }
        }
    }

    // A two-walker run to its end through the real buttons (Stop: see below).
    void theButtonsAreEnabledStepByStepThroughRuns()
    {
        Harness h;
        QCOMPARE(h.enabled(), QStringLiteral("EEE--E"));
        QVERIFY(!h.label("Picture2")->isVisible() && !h.label("Picture3")->isVisible());

        h.setUp(2, {"4", "4", "6", "4"});
        QCOMPARE(h.enabled(), QStringLiteral("E---E-"));
        QCOMPARE(h.label("Label1")->text(), QStringLiteral("犬: x= 6  y= 4"));
        QCOMPARE(h.label("Label2")->text(), QStringLiteral("桃太郎: x= 4  y= 4"));
        QCOMPARE(h.label("Label3")->text(), QStringLiteral("ペルネ回数＝ 0"));
        QCOMPARE(h.label("Picture2")->pos(), latticeToField({6, 4}));
        QVERIFY(h.label("Picture2")->isVisible() && h.label("Picture3")->isVisible());

        h.click(5);
        QCOMPARE(h.enabled(), QStringLiteral("E--E--"));
        QCOMPARE(h.cues.played, (std::vector<std::string>{"pinpon.wav", "pinpon.wav"}));
        // The real timers' events run the ticks that are due by the clock: one period.
        h.clock.advancePeriods(1);
        QTRY_VERIFY(h.label("Label1")->text() != QStringLiteral("犬: x= 6  y= 4") &&
                    h.label("Label2")->text() != QStringLiteral("桃太郎: x= 4  y= 4"));
        for (int i = 0; i < 2000 && h.period(); ++i) {
        }
        QCOMPARE(h.label("Label4")->text(), QStringLiteral(" 180 / 180 秒"));
        QCOMPARE(h.enabled(), QStringLiteral("EEE---"));
    }

    // A timer event that comes a minute late, or the program coming back to the front
    // before any timer event, brings the window to where the run stands now, in one go.
    void aLateTimerEventOrComingBackCatchesTheRunUp()
    {
        Harness h;
        h.setUp(2, {"4", "4", "6", "4"});
        h.click(5);
        h.form.timer(Timer::Timer1).stop(); // only the test's events from here on
        h.form.timer(Timer::Timer2).stop();
        const std::size_t cues = h.cues.played.size();
        h.clock.advancePeriods(300);
        h.form.timer1Timer();
        QCOMPARE(h.label("Label4")->text(), QStringLiteral(" 60 / 180 秒"));
        // All 300 periods were walked: the same run, headless, stands where the window shows.
        HeadlessSimulation same(20240601);
        QVERIFY(same.setUpAndStart(RunState::BothWalking, {4, 4}, {6, 4}));
        for (int i = 0; i < 300; ++i)
            same.driver.advance();
        for (const Label l : {Label::Label1, Label::Label2, Label::Label3})
            QCOMPARE(h.label(name(l))->text(), QString::fromStdString(same.window.caption(l)));
        QVERIFY(h.cues.played.size() <= cues + 1); // one meeting cue at most
        h.form.timer2Timer();
        QCOMPARE(h.label("Label4")->text(), QStringLiteral(" 60 / 180 秒"));

        h.clock.advancePeriods(100);
        emit qGuiApp->applicationStateChanged(Qt::ApplicationActive); // as Qt says on waking
        QCOMPARE(h.label("Label4")->text(), QStringLiteral(" 80 / 180 秒"));

        h.clock.advancePeriods(5000); // past the end
        h.form.timer2Timer();
        QCOMPARE(h.label("Label4")->text(), QStringLiteral(" 180 / 180 秒"));
        QCOMPARE(h.enabled(), QStringLiteral("EEE---"));
        QVERIFY(!h.period());
    }

    // No to the quit question, from a button or a title bar, changes nothing but the cue
    // heard; the problem window comes and goes (only one is ever made) and leaves the
    // simulation window as it was; Yes ends the program, even mid-run.
    void quitAndTheProblemWindowLeaveTheRunAsItWas()
    {
        Harness h;
        h.setUp(3, {"2", "3", "8", "9"});
        h.click(5);
        h.period();
        QCOMPARE(h.label("Label2")->text(), QStringLiteral("桃太郎: x= 2  y= 3")); // waits alone
        QStringList before = h.seen();
        std::vector<std::string> cues = h.cues.played;
        h.click(1);
        QVERIFY(!h.form.close() && h.form.isVisible());
        QCOMPARE(h.confirmation.asked, QStringList(2, "ペルネ実験|終了していいですか？"));
        QCOMPARE(h.seen(), before);
        cues.insert(cues.end(), 2, "endpinpon.wav");
        QCOMPARE(h.cues.played, cues);
        QVERIFY(h.period()); // the run goes on

        h.click(4);
        QCOMPARE(h.enabled(), QStringLiteral("EEE--E"));
        QVERIFY(!h.period()); // stopped
        before = h.seen();
        h.click(6);
        Form2 *problem = h.form.problemWindow();
        QVERIFY(problem && problem->isVisible() && !h.form.isVisible());
        QTest::mouseClick(problem->findChild<QPushButton *>("Command2"), Qt::LeftButton);
        QVERIFY(!problem->isVisible() && h.form.isVisible());
        QCOMPARE(h.seen(), before);
        h.click(6);
        QCOMPARE(h.form.problemWindow(), problem);
        QTest::mouseClick(problem->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QVERIFY(!problem->close() && problem->isVisible());
        QCOMPARE(h.problemCues.played,
                 (std::vector<std::string>{"pinpon.wav", "endpinpon.wav", "endpinpon.wav"}));
        QCOMPARE(h.ended, 0);

        QTest::mouseClick(problem->findChild<QPushButton *>("Command2"), Qt::LeftButton);
        h.setUp(2, {"0", "0", "10", "10"});
        h.click(5);
        h.confirmation.answer = true;
        h.click(1);
        QCOMPARE(h.ended, 1);
        QVERIFY(!h.form.isVisible());
        QVERIFY(!h.period()); // nothing ticks any more
    }

    // Each showing prints both boxes once afresh. The first empty line keeps the size the
    // box had: the window's 9 points the first time, 12 after, so the text starts lower.
    void theProblemWindowPrintsItsTextsAtEveryShowing()
    {
        Harness h;
        h.click(6);
        Form2 *form = h.form.problemWindow();
        QStringList problem = printed(form->problemBox());
        QCOMPARE(
            problem.mid(0, 4),
            QStringList({"|9|#000000",
                         "　　　　　　　第４回日本数学コンクール問題(1993年8月22日)|12|#ff0000",
                         "|12|#ff0000", " 【問題】|12|#000000"}));
        // The fifteen lines of the problem, black: leading blanks (W: U+3000) and length.
        QStringList shapes;
        for (const QString &line : problem.mid(4)) {
            const QString text = line.chopped(QStringLiteral("|12|#000000").size());
            QCOMPARE(text + "|12|#000000", line);
            shapes << text.left(text.indexOf(QRegularExpression("[^ \\x{3000}]")))
                              .replace(QChar(0x3000), 'W') +
                          QString::number(text.size());
        }
        QCOMPARE(shapes, QStringList({"WWWW 34", "WWW 34", "WW W34", "WWW 34", "WWW 34", "WWW 34",
                                      "WWW 32", " WWWW34", " WWW34", " WWW34", " WWW34", " WWW34",
                                      " WWW34", " WWW34", " WWW18"}));
        QStringList conditions = {
            "|9|#000000",
            "【シミュレーションの条件】|12|#ff0000",
            "　　１．桃太郎と犬は、縦、横それぞれ１１本の直線の格子点上を動く。|12|#0000ff",
            "　　２．桃太郎と犬が、各格子点において８つの方向へ進む確率は同じ。|12|#0000ff",
            "　　３．桃太郎と犬は、各格子点において、動き１回につき、縦か横か斜|12|#0000ff",
            "　　　　めの１目盛りだけ進み、進んだ格子点ごとに方向を判断する。|12|#0000ff"};
        QCOMPARE(printed(form->conditionsBox()), conditions);
        // Line tops: the first empty line is shorter than the 12-point ones after it.
        auto tops = [form](int i) { return form->problemBox()->lines().at(i).top; };
        QVERIFY(tops(0) == 0 && tops(1) < tops(2) - tops(1));

        problem[0] = conditions[0] = QStringLiteral("|12|#000000");
        form->hide();
        form->show();
        QCOMPARE(printed(form->problemBox()), problem);
        QCOMPARE(printed(form->conditionsBox()), conditions);
        QVERIFY(tops(0) == 0 && tops(1) == tops(2) - tops(1));
    }

    // The whole run from the keyboard: the focus starts on the field (first in tab order),
    // Tab goes through the buttons in their tab order, Return presses, and when the pressed
    // button is disabled the focus goes on to the next enabled one, never to Quit.
    void theKeyboardAloneSetsUpStartsAndStopsARun()
    {
        Harness h;
        QCOMPARE(focused(h.form), QStringLiteral("Picture1"));
        press(h.form, Qt::Key_Return); // nothing to press on the field
        QCOMPARE(h.enabled(), QStringLiteral("EEE--E"));
        QStringList order;
        for (int i = 0; i < 5; ++i) {
            press(h.form, Qt::Key_Tab);
            order << focused(h.form);
        }
        QCOMPARE(order, QStringList({"Command1", "Command2", "Command3", "Command6", "Picture1"}));
        press(h.form, Qt::Key_Backtab);
        press(h.form, Qt::Key_Backtab);
        press(h.form, Qt::Key_Backtab);
        QCOMPARE(focused(h.form), QStringLiteral("Command2"));

        // Each step: the key, then the buttons and where the focus is.
        h.prompter.push("4");
        h.prompter.push("4");
        h.prompter.push("6");
        h.prompter.push("4");
        const QList<std::tuple<Qt::Key, QString, QString>> steps = {
            {Qt::Key_Return, "E---E-", "Command5"}, // set up: on to Start
            {Qt::Key_Enter, "E--E--", "Command4"},  // started: round past Quit to Stop
            {Qt::Key_Return, "EEE--E", "Command6"}, // stopped: the next enabled one
        };
        for (const auto &[key, enabled, focus] : steps) {
            press(h.form, key);
            QCOMPARE(h.enabled(), enabled);
            QCOMPARE(focused(h.form), focus);
        }
        QCOMPARE(h.label("Label3")->text(), QStringLiteral("ペルネ回数＝ 0"));

        // Set up with the mouse, the same; a run that ends by itself with the focus on Stop
        // leaves it on a mode button.
        h.setUp(3, {"0", "0", "10", "10"});
        QCOMPARE(focused(h.form), QStringLiteral("Command5"));
        press(h.form, Qt::Key_Return);
        QCOMPARE(focused(h.form), QStringLiteral("Command4"));
        for (int i = 0; i < 2000 && h.period(); ++i) {
        }
        QCOMPARE(h.enabled(), QStringLiteral("EEE---"));
        QCOMPARE(focused(h.form), QStringLiteral("Command2"));
        QCOMPARE(h.ended, 0);
    }

    // A screen reader finds the field by name and each sprite by its walker and point.
    void theFieldAndTheSpritesHaveNamesThatFollowTheWalkers()
    {
        Harness h;
        QVERIFY(!h.form.clientArea("Picture1")->parentWidget()->accessibleName().isEmpty());
        h.setUp(2, {"4", "4", "6", "4"});
        QCOMPARE(h.label("Picture3")->accessibleName(), QStringLiteral("桃太郎 x= 4 y= 4"));
        QCOMPARE(h.label("Picture2")->accessibleName(), QStringLiteral("犬 x= 6 y= 4"));
        h.click(5);
        h.period();
        h.period();
        const QString dog = h.label("Label1")->text().remove(':').replace("  ", " ");
        QCOMPARE(h.label("Picture2")->accessibleName(), dog);

        h.click(4);
        h.click(6);
        const PrintBox *problem = h.form.problemWindow()->problemBox();
        QVERIFY(!problem->accessibleName().isEmpty());
        QVERIFY(problem->accessibleDescription().startsWith(
            QStringLiteral("第４回日本数学コンクール問題(1993年8月22日)\n【問題】")));
    }

    // As on the student's page, a screen reader hears each new meeting count while a run goes
    // on and, when it ends (by the time limit or by Stop), "実験が終わりました" and the count;
    // not the setup's count of 0, the seconds or the steps. A catch-up says only where it
    // ended up; one past the end only that the run ended. After Quit's Yes nothing is said.
    void aScreenReaderHearsEachNewCountAndTheEndOfARun()
    {
        Harness h;
        Listener listener;
        h.setUp(2, {"4", "4", "6", "4"});
        QCOMPARE(listener.heard(), QStringList{});

        h.click(5);
        QStringList all;
        for (bool going = true; going;) {
            const QString before = h.label("Label3")->text();
            going = h.period();
            const QString now = h.label("Label3")->text();
            QStringList said;
            if (!going)
                said << kEnded + now; // a meeting on the last tick goes with the end
            else if (now != before)
                said << "Label3 " + now;
            QCOMPARE(listener.heard(), said);
            all += said;
        }
        QVERIFY2(all.size() >= 3, "a run with meetings"); // at least two, and the end

        // Stopped: the end, with the count as it stands.
        h.setUp(3, {"5", "5", "5", "6"});
        h.click(5);
        for (int i = 0; i < 20; ++i)
            h.period();
        (void)listener.heard();
        h.click(4);
        QCOMPARE(listener.heard(), QStringList{kEnded + h.label("Label3")->text()});

        // Caught up: a minute in one event says the count once; past the end, the end alone.
        h.setUp(2, {"5", "5", "5", "6"});
        h.click(5);
        h.clock.advancePeriods(300);
        h.form.timer1Timer();
        const QString atAMinute = h.label("Label3")->text();
        QVERIFY(atAMinute != QStringLiteral("ペルネ回数＝ 0"));
        QCOMPARE(listener.heard(), QStringList{"Label3 " + atAMinute});
        h.clock.advancePeriods(5000);
        h.form.timer2Timer();
        QVERIFY(h.label("Label3")->text() != atAMinute);
        QCOMPARE(listener.heard(), QStringList{kEnded + h.label("Label3")->text()});

        // Quit with Yes just after a catch-up found a meeting: nothing is said.
        h.setUp(2, {"5", "5", "5", "6"});
        h.click(5);
        h.clock.advancePeriods(300);
        h.form.timer1Timer();
        QVERIFY(h.label("Label3")->text() != QStringLiteral("ペルネ回数＝ 0"));
        h.confirmation.answer = true;
        h.form.command1Click();
        QCOMPARE(h.ended, 1);
        QCOMPARE(listener.heard(), QStringList{});
    }

    // Ctrl++ and Ctrl+- step the zoom between 1 and 3, on either window, for both: every
    // control at its design place times the zoom (to the pixel), its picture or font as
    // large, the walkers on their points. Ctrl+0 brings back the design's pixels exactly.
    void theZoomScalesBothWindowsUniformlyInSteps()
    {
        Harness h;
        h.click(6);
        Form2 *problem = h.form.problemWindow();
        QTest::mouseClick(problem->findChild<QPushButton *>("Command2"), Qt::LeftButton);
        h.setUp(2, {"10", "10", "0", "5"});
        QApplication::setActiveWindow(&h.form);
        QVERIFY(QTest::qWaitForWindowActive(&h.form));
        const int buttonFont = QFontInfo(h.button(1)->font()).pixelSize();

        const auto near = [](int actual, double expected) {
            return std::abs(actual - expected) <= 1.0;
        };
        // Sprites stand where their walkers are; everything else at its design place.
        const auto check = [&](auto &window, const auto &table, double zoom) {
            for (const DesignControl &c : table) {
                const QRect r =
                    window.template findChild<QWidget *>(QLatin1String(c.name))->geometry();
                const bool placed =
                    c.kind == ControlKind::Sprite ||
                    (near(r.x(), c.left * zoom / 15) && near(r.y(), c.top * zoom / 15));
                QVERIFY2(placed && near(r.width(), c.width * zoom / 15) &&
                             near(r.height(), c.height * zoom / 15),
                         c.name);
                if (zoom == 1 && c.kind != ControlKind::Sprite)
                    QCOMPARE(r, toPixels(c));
            }
        };
        const QList<std::pair<QKeyCombination, double>> steps = {
            {Qt::CTRL | Qt::Key_Plus, 1.5}, {Qt::CTRL | Qt::Key_Equal, 2},
            {Qt::CTRL | Qt::Key_Plus, 2.5}, {Qt::CTRL | Qt::Key_Plus, 3},
            {Qt::CTRL | Qt::Key_Plus, 3},   {Qt::CTRL | Qt::Key_Minus, 2.5},
            {Qt::CTRL | Qt::Key_0, 1},      {Qt::CTRL | Qt::Key_Minus, 1},
            {Qt::CTRL | Qt::Key_Plus, 1.5},
        };
        for (const auto &[keys, zoom] : steps) {
            QTest::keyClick(&h.form, keys.key(), keys.keyboardModifiers());
            QCOMPARE(h.form.zoom().factor(), zoom);
            QCOMPARE(h.form.size(), QSize(qRound(482 * zoom), qRound(375 * zoom)));
            QCOMPARE(problem->size(), QSize(qRound(512 * zoom), qRound(501 * zoom)));
            check(h.form, kForm1Controls, zoom);
            check(*problem, kForm2Controls, zoom);
            for (const char *name : {"Picture2", "Picture3"})
                QCOMPARE(h.label(name)->pixmap().size(), h.label(name)->size());
            QVERIFY(near(h.label("Picture2")->width(), 34 * zoom));
            QVERIFY(near(h.label("Picture3")->x(), 419 * zoom)); // at x 10
            QVERIFY(near(h.label("Picture2")->y(), 122 * zoom)); // at y 5
            QVERIFY(near(QFontInfo(h.button(1)->font()).pixelSize(), buttonFont * zoom));
        }
        problem->show(); // its own Ctrl+0 too
        QApplication::setActiveWindow(problem);
        QVERIFY(QTest::qWaitForWindowActive(problem));
        QTest::keyClick(problem, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(h.form.zoom().factor(), 1.0);
        check(h.form, kForm1Controls, 1);
        check(*problem, kForm2Controls, 1);
        QCOMPARE(h.label("Picture3")->pos(), latticeToField({10, 10}));
        QCOMPARE(h.label("Picture3")->size(), QSize(33, 36));
    }

    // Back at the normal size after any zoom step, both windows look exactly as they did at
    // start, pixel for pixel: the field's and the print boxes' sunken frames included.
    void aZoomRoundTripDrawsBothWindowsAsAtStart()
    {
        Harness h;
        h.click(6);
        Form2 *problem = h.form.problemWindow();
        // The problem window's print boxes; its buttons may show where the test's mouse was.
        const auto boxes = [problem] {
            QList<QImage> images;
            for (PrintBox *box : problem->findChildren<PrintBox *>())
                images << box->grab().toImage();
            return images;
        };
        const QList<QImage> problemAtStart = boxes();
        QCOMPARE(problemAtStart.size(), 2);
        QTest::mouseClick(problem->findChild<QPushButton *>("Command2"), Qt::LeftButton);
        QApplication::setActiveWindow(&h.form);
        QVERIFY(QTest::qWaitForWindowActive(&h.form));
        const QImage atStart = h.form.grab().toImage();

        const QList<QList<Qt::Key>> roundTrips = {
            {Qt::Key_Plus, Qt::Key_0},
            {Qt::Key_Plus, Qt::Key_Minus},
            {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Plus, Qt::Key_0}};
        for (const auto &keys : roundTrips) {
            for (const Qt::Key key : keys)
                QTest::keyClick(&h.form, key, Qt::ControlModifier);
            QCOMPARE(h.form.zoom().factor(), 1.0);
            const QImage after = h.form.grab().toImage();
            QCOMPARE(after.size(), atStart.size());
            QVERIFY2(after == atStart,
                     qPrintable(QStringLiteral("after %1 keys").arg(keys.size())));
            QVERIFY(boxes() == problemAtStart);
        }
        // The field's client area lies inside its 2-pixel frame again.
        QCOMPARE(h.form.clientArea("Picture1")->geometry(), QRect(2, 2, 461, 293));
    }

    // Qt's own texts (an input box's context menu) in Japanese.
    void qtsOwnTextsAreJapanese()
    {
        QVERIFY(installQtJapanese(*QCoreApplication::instance()));
        const QString undo = QCoreApplication::translate("QLineEdit", "&Undo");
        QVERIFY2(undo != QStringLiteral("&Undo") && undo.contains(QChar(0x5143)), qPrintable(undo));
    }

    // The real dialogs behind the seams: No is false, Cancel is empty text. (Their default
    // answers are taken with Enter in the end-to-end test.) Both are drawn as large as the
    // (zoomed) window they ask over.
    void theRealDialogsAnswerNoAndCancel()
    {
        QWidget parent;
        parent.setFont(designFont(kDefaultFontPointSize * 2.5));
        pressWhenModal(QStringLiteral("いいえ(&N)"));
        QVERIFY(!MessageBoxConfirmation(&parent).ask("ペルネ実験", "終了していいですか？"));
        QCOMPARE(modalPointSize, 22.5);
        modalPointSize = 0;
        pressWhenModal(QStringLiteral("キャンセル"));
        QCOMPARE(InputDialogPrompter(&parent).ask("t", "p", "4"), std::string());
        QCOMPARE(modalPointSize, 22.5);
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
