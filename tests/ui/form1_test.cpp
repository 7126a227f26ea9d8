// The simulation window driven as a student drives it: real clicks, scripted answers to
// the input boxes and the quit question, a clock that moves only when the test says so.
#include "fakes.h"
#include "fonts.h"
#include "form1layout.h"
#include "form2.h"
#include "runcontroller.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace perne;
using namespace perne::test;

namespace {

// Everything a student can see on the simulation window.
struct Snapshot
{
    QStringList labels;
    QList<QRect> sprites;
    QList<bool> spritesVisible;
    QString enabled; // one letter per button Command1..Command6: E or -
    bool timer1 = false;
    bool timer2 = false;
    friend bool operator==(const Snapshot &, const Snapshot &) = default;
};

class Form1Driver
{
public:
    explicit Form1Driver(Harness &h) : form(h.services()), m_h(h)
    {
        form.load();
        form.show();
    }

    QPushButton *button(int n) const
    {
        return form.findChild<QPushButton *>(QStringLiteral("Command%1").arg(n));
    }
    QLabel *label(int n) const
    {
        return form.findChild<QLabel *>(QStringLiteral("Label%1").arg(n));
    }
    QLabel *sprite(int n) const
    {
        return form.findChild<QLabel *>(QStringLiteral("Picture%1").arg(n));
    }
    void click(int n) { QTest::mouseClick(button(n), Qt::LeftButton); }

    QString enabled() const
    {
        QString s;
        for (int n = 1; n <= 6; ++n)
            s += button(n)->isEnabled() ? QLatin1Char('E') : QLatin1Char('-');
        return s;
    }

    // One timer period: the clock moves on, then each running timer ticks, Timer1 first.
    bool period()
    {
        m_h.clock.advancePeriods(1);
        if (form.timer(Timer::Timer1).isActive())
            form.timer1Timer();
        if (form.timer(Timer::Timer2).isActive())
            form.timer2Timer();
        return form.timer(Timer::Timer1).isActive() || form.timer(Timer::Timer2).isActive();
    }

    Snapshot snapshot() const
    {
        Snapshot s;
        for (int n = 1; n <= 4; ++n)
            s.labels << label(n)->text();
        for (int n : {2, 3}) {
            s.sprites << sprite(n)->geometry();
            s.spritesVisible << sprite(n)->isVisibleTo(&form);
        }
        s.enabled = enabled();
        s.timer1 = const_cast<Form1 &>(form).timer(Timer::Timer1).isActive();
        s.timer2 = const_cast<Form1 &>(form).timer(Timer::Timer2).isActive();
        return s;
    }

    Form1 form;

private:
    Harness &m_h;
};

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installJapaneseFonts(); }

    void loadHidesTheSpritesAndLeavesOnlyQuitModesAndProblemEnabled()
    {
        Harness h;
        Form1Driver d(h);
        QCOMPARE(d.enabled(), QStringLiteral("EEE--E"));
        QVERIFY(!d.sprite(2)->isVisible());
        QVERIFY(!d.sprite(3)->isVisible());
        for (int n = 1; n <= 4; ++n)
            QVERIFY(d.label(n)->text().isEmpty());
        QVERIFY(!d.form.timer(Timer::Timer1).isActive());
        QCOMPARE(d.form.timer(Timer::Timer1).interval(), 200);
        QCOMPARE(d.form.timer(Timer::Timer2).interval(), 200);
        QCOMPARE(d.form.timer(Timer::Timer1).timerType(), Qt::PreciseTimer);
        QCOMPARE(d.form.timer(Timer::Timer2).timerType(), Qt::PreciseTimer);
        // Clicking the disabled Start does nothing at all.
        d.click(5);
        QVERIFY(h.cues.played.empty());
    }

    // Setup, Start, the whole 180 seconds, and the buttons at every step of the way.
    void aWholeTwoWalkerRunEnablesTheButtonsStepByStep()
    {
        Harness h;
        Form1Driver d(h);
        h.prompter.answers = {"4", "4", "6", "4"};
        d.click(2);
        QCOMPARE(h.prompter.asked.size(), 4u);
        QCOMPARE(h.prompter.asked[0].title, std::string("桃太郎の初期位置の設定"));
        QCOMPARE(
            h.prompter.asked[3].prompt,
            std::string("犬の初期位置のy座標を０以上、１０以下の自然数で入力してください．．．"));
        QCOMPARE(h.prompter.asked[2].defaultAnswer, std::string("6"));
        QCOMPARE(d.enabled(), QStringLiteral("E---E-")); // only Quit and Start
        QCOMPARE(d.label(3)->text(), QStringLiteral("ペルネ回数＝ 0"));
        QCOMPARE(d.label(1)->text(), QStringLiteral("犬: x= 6  y= 4"));
        QCOMPARE(d.label(2)->text(), QStringLiteral("桃太郎: x= 4  y= 4"));
        QVERIFY(d.label(4)->text().isEmpty());
        QVERIFY(d.sprite(2)->isVisible() && d.sprite(3)->isVisible());
        QCOMPARE(d.sprite(2)->pos(), latticeToField({6, 4}));
        QCOMPARE(d.sprite(3)->pos(), latticeToField({4, 4}));

        d.click(5);
        QCOMPARE(d.enabled(), QStringLiteral("E--E--")); // only Quit and Stop
        QVERIFY(d.form.timer(Timer::Timer1).isActive() && d.form.timer(Timer::Timer2).isActive());
        QCOMPARE(h.cues.played, (std::vector<std::string>{"pinpon.wav", "pinpon.wav"}));

        int periods = 0;
        while (d.period())
            ++periods;
        QCOMPARE(periods + 1, 901); // the first tick past 180 s stops each timer
        QCOMPARE(d.label(4)->text(), QStringLiteral(" 180 / 180 秒"));
        QCOMPARE(d.enabled(), QStringLiteral("EEE---")); // Problem stays off after the limit
        // The window shows what the run logic holds.
        const WalkState &s = d.form.run().state();
        QCOMPARE(d.label(3)->text(), QStringLiteral("ペルネ回数＝ %1").arg(s.meetingCount));
        QCOMPARE(d.sprite(2)->pos(), latticeToField(s.dog.current));
        QCOMPARE(d.sprite(3)->pos(), latticeToField(s.momotaro.current));
        // Every meeting but one made on the very last tick is answered by the reset cue.
        const auto resets = std::count(h.cues.played.begin(), h.cues.played.end(), "logoff.wav");
        QVERIFY(resets == s.meetingCount || resets + 1 == s.meetingCount);
        QCOMPARE(h.cues.played.size(), 2u + std::size_t(resets));
    }

    void aOneWalkerRunStoppedHalfWayKeepsMomotaroStillAndFreezesTheWindow()
    {
        Harness h;
        Form1Driver d(h);
        h.prompter.answers = {"2", "3", "8", "9"};
        d.click(3);
        d.click(5);
        const QRect momotaro = d.sprite(3)->geometry();
        for (int i = 0; i < 50; ++i)
            d.period();
        QCOMPARE(d.sprite(3)->geometry(), momotaro);
        QCOMPARE(d.label(2)->text(), QStringLiteral("桃太郎: x= 2  y= 3"));
        QCOMPARE(d.label(4)->text(), QStringLiteral(" 10 / 180 秒"));

        d.click(4);
        QCOMPARE(d.enabled(), QStringLiteral("EEE--E"));
        QVERIFY(!d.form.timer(Timer::Timer1).isActive() && !d.form.timer(Timer::Timer2).isActive());
        const Snapshot stopped = d.snapshot();
        h.clock.advancePeriods(20);
        QCoreApplication::processEvents();
        QCOMPARE(d.snapshot(), stopped);
        QCOMPARE(h.cues.played.back(), std::string("pinpon.wav"));
    }

    // A refused answer ends the setup: only "問題へ" changes.
    void aCancelledOrOutOfRangeAnswerEndsTheSetupAndEnablesProblem()
    {
        Harness h;
        Form1Driver d(h);
        h.prompter.answers = {"4", "4", "6", "4"};
        d.click(2);
        d.click(5);
        for (int i = 0; i < 901; ++i)
            d.period();
        QCOMPARE(d.enabled(), QStringLiteral("EEE---"));
        const Snapshot before = d.snapshot();

        h.prompter.asked.clear();
        h.prompter.answers = {"3", "10.4", "5", "5"};
        d.click(3);
        QCOMPARE(h.prompter.asked.size(), 2u); // nothing asked after the refusal
        Snapshot expected = before;
        expected.enabled = QStringLiteral("EEE--E");
        QCOMPARE(d.snapshot(), expected);

        h.prompter.answers = {}; // Cancel at once
        d.click(2);
        QCOMPARE(d.snapshot(), expected);
    }

    void answeringNoToQuitChangesNothingEvenMidRun()
    {
        Harness h;
        Form1Driver d(h);
        h.prompter.answers = {"0", "0", "10", "10"};
        d.click(2);
        d.click(5);
        for (int i = 0; i < 10; ++i)
            d.period();
        const Snapshot before = d.snapshot();
        const auto cuesBefore = h.cues.played;

        h.confirmation.answer = false;
        d.click(1);
        QCOMPARE(h.confirmation.asked, 1);
        QCOMPARE(h.confirmation.title, QStringLiteral("ペルネ実験"));
        QCOMPARE(h.confirmation.text, QStringLiteral("終了していいですか？"));
        auto expectedCues = cuesBefore;
        expectedCues.push_back("endpinpon.wav");
        QCOMPARE(h.cues.played, expectedCues);
        QCOMPARE(d.snapshot(), before);
        QVERIFY(d.form.isVisible());
        QCOMPARE(h.programEnded, 0);
        QVERIFY(d.period()); // the run goes on
    }

    void answeringYesEndsTheProgramEvenMidRun()
    {
        Harness h;
        Form1Driver d(h);
        h.prompter.answers = {"0", "0", "10", "10"};
        d.click(2);
        d.click(5);
        d.period();
        h.confirmation.answer = true;
        d.click(1);
        QCOMPARE(h.programEnded, 1);
        QCOMPARE(h.cues.played.back(), std::string("endpinpon.wav"));
        QVERIFY(!d.form.timer(Timer::Timer1).isActive() && !d.form.timer(Timer::Timer2).isActive());
        QVERIFY(!d.form.isVisible());
    }

    // The title bar's close button asks the same question; No keeps the window up.
    void closingFromTheTitleBarAsksToQuit()
    {
        Harness h;
        Form1Driver d(h);
        h.confirmation.answer = false;
        QVERIFY(!d.form.close());
        QVERIFY(d.form.isVisible());
        QCOMPARE(h.confirmation.asked, 1);
        QCOMPARE(h.cues.played, std::vector<std::string>{"endpinpon.wav"});
        QCOMPARE(h.programEnded, 0);
        h.confirmation.answer = true;
        d.form.close();
        QCOMPARE(h.programEnded, 1);
    }

    // Back and forth between the windows: one problem window, each window kept as it was.
    void goingToTheProblemAndBackKeepsTheSimulationWindowAsItWas()
    {
        Harness h;
        Form1Driver d(h);
        QVERIFY(!d.form.problemWindow());
        h.prompter.answers = {"4", "4", "6", "4"};
        d.click(2);
        d.click(5);
        for (int i = 0; i < 30; ++i)
            d.period();
        d.click(4);
        const Snapshot before = d.snapshot();
        h.cues.played.clear();

        d.click(6);
        QCOMPARE(h.cues.played, std::vector<std::string>{"pinpon.wav"});
        QVERIFY(!d.form.isVisible());
        Form2 *problem = d.form.problemWindow();
        QVERIFY(problem && problem->isVisible());
        QVERIFY(h.problemCues.played.empty());

        QTest::mouseClick(problem->findChild<QPushButton *>(QStringLiteral("Command2")),
                          Qt::LeftButton);
        QCOMPARE(h.problemCues.played, std::vector<std::string>{"pinpon.wav"});
        QVERIFY(!problem->isVisible());
        QVERIFY(d.form.isVisible());
        QCOMPARE(d.snapshot(), before);

        d.click(6);
        QCOMPARE(d.form.problemWindow(), problem); // the same window, not a second one
        QVERIFY(problem->isVisible());

        // Quit from the problem window: No keeps it, Yes ends the program.
        h.confirmation.answer = false;
        QTest::mouseClick(problem->findChild<QPushButton *>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        QVERIFY(problem->isVisible());
        QCOMPARE(h.problemCues.played.back(), std::string("endpinpon.wav"));
        QCOMPARE(h.programEnded, 0);
        h.confirmation.answer = true;
        problem->close();
        QCOMPARE(h.programEnded, 1);
        QVERIFY(!problem->isVisible() && !d.form.isVisible());
    }

    // The real timers drive the run: the window needs nothing but its event loop.
    void theTimersTickOnTheirOwn()
    {
        Harness h;
        Form1::Services s = h.services();
        SystemClock clock;
        s.clock = &clock;
        Form1 form(s);
        form.load();
        form.show();
        h.prompter.answers = {"5", "5", "5", "6"};
        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command2")),
                          Qt::LeftButton);
        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command5")),
                          Qt::LeftButton);
        auto *elapsed = form.findChild<QLabel *>(QStringLiteral("Label4"));
        QTRY_VERIFY(elapsed->text().endsWith(QStringLiteral(" / 180 秒")));
        QVERIFY(form.findChild<QLabel *>(QStringLiteral("Picture2"))->isVisible());
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
