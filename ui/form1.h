#pragma once

#include "seams.h"
#include "zoom.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;

namespace perne {

class Clock;
class Confirmation;
class FieldBox;
class FocusButton;
class Form2;
class RandomSource;
class RunController;
class SpriteLabel;

// The simulation window. It only wires: the run logic is RunController's, and this window
// is the Controls it drives, with two timers whose events tell it the time; it runs the
// ticks that are due. Coming back to the program (the application active again, as after
// waking) tells it too.
//
// A screen reader hears, as on the student's page, each new meeting count while a run goes
// on and, once the run has ended (its last timer off), "実験が終わりました" with the count: a
// value-change event on the count's label (Label3) carrying the text. What one turn of the
// event loop writes is said once, the last of it; the seconds and the steps are not said.
//
// Keyboard: the focus starts on the field, first in the tab order; when the focused button
// is disabled the focus moves on to the next enabled button in tab order (never to Quit on
// its own), so Return goes setup, Start, Stop. The zoom (Ctrl++, Ctrl+-, Ctrl+0) lays the
// window out again from its design table, larger; both windows share it.
class Form1 : public QWidget, public Controls
{
    Q_OBJECT
public:
    // What the window talks to. Anything left null gets the real thing.
    struct Services
    {
        CueDevice *cues = nullptr;            // this window's MMControl1
        CueDevice *problemCues = nullptr;     // the problem window's MMControl1
        Prompter *prompter = nullptr;         // the coordinate input boxes
        Confirmation *confirmation = nullptr; // the quit question, on both windows
        Clock *clock = nullptr;               // seconds since midnight, and steady seconds
        RandomSource *random = nullptr;       // the walkers' steps
        std::function<void()> endProgram;     // default: leave the event loop
    };

    Form1();
    explicit Form1(Services services, QWidget *parent = nullptr);
    ~Form1() override;

    // Handlers.
    void load();
    void command1Click(); // Quit
    void command6Click(); // to the problem window
    void timer1Timer();
    void timer2Timer();
    // Runs every tick that is due by now, as a timer event would.
    void catchUp();

    // Controls
    void setCaption(Label label, const std::string &text) override;
    void setSpriteVisible(Sprite sprite, bool visible) override;
    void moveSprite(Sprite sprite, Point p) override;
    void setButtonEnabled(Button button, bool enabled) override;
    void setTimerEnabled(Timer timer, bool enabled) override;

    // The problem window; null until "問題へ" first shows it.
    Form2 *problemWindow() const { return m_form2.get(); }
    QTimer &timer(Timer t) { return t == Timer::Timer1 ? m_timer1 : m_timer2; }
    // The widget whose client area a design table's container names.
    QWidget *clientArea(const char *container);
    Zoom &zoom() { return m_zoom; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildControls();
    void applyZoom(double zoom);
    void placeSprite(Sprite s);
    void moveFocusOnFrom(QWidget *disabled);
    void showProblemWindow();
    void showSimulationWindow();
    void endProgram();
    void reportTicks(long long periodsBefore);
    enum class Announcement { None, Count, RunEnded };
    void announce(Announcement what);
    QPushButton *button(Button b) const;
    SpriteLabel *sprite(Sprite s) const;

    std::unique_ptr<CueDevice> m_ownCues;
    std::unique_ptr<Prompter> m_ownPrompter;
    std::unique_ptr<Confirmation> m_ownConfirmation;
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<RandomSource> m_ownRandom;
    Services m_services;
    Confirmation *m_problemConfirmation = nullptr;

    std::array<FocusButton *, 7> m_commands{}; // Command1..Command6 at their numbers
    std::array<QLabel *, 12> m_labels{};       // Label1..Label11 at their numbers
    FieldBox *m_picture1 = nullptr;
    SpriteLabel *m_picture2 = nullptr;                  // the dog
    SpriteLabel *m_picture3 = nullptr;                  // Momotaro
    std::array<std::optional<Point>, 2> m_spritePoints; // where each was last moved to
    std::vector<QWidget *> m_tabOrder;                  // the field and the buttons
    QPointer<QWidget> m_focusLostFrom;                  // a disabled button that had focus
    Zoom m_zoom;
    QTimer m_timer1;
    QTimer m_timer2;
    bool m_tickReport = false;        // PERNE_TICK_REPORT: catch-ups and run ends on standard error
    std::array<bool, 2> m_timersOn{}; // as the run last set them, for the announcements
    QString m_countText;              // the meeting count as Label3 last read
    Announcement m_announcement = Announcement::None; // to be said at the end of this turn

    std::unique_ptr<RunController> m_run;
    std::unique_ptr<Form2> m_form2;
};

} // namespace perne
