#pragma once

#include "seams.h"

#include <QWidget>

#include <functional>
#include <memory>

class QPushButton;

namespace perne {

class Confirmation;
class FocusButton;
class PrintBox;
class Zoom;

// The problem window: prints the contest problem and the simulation's conditions every
// time it is shown, and leads back to the simulation window. Its tab order starts on the
// problem box, where the focus is put each time it is shown.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    struct Services
    {
        CueDevice *cues = nullptr;            // its MMControl1; a player of its own if null
        Confirmation *confirmation = nullptr; // a message box if null
        std::function<void()> endProgram;     // Yes to the quit question
        std::function<void()> showSimulation; // "シミュレーション"
        Zoom *zoom = nullptr;                 // shared with the simulation window; 1 if null
    };

    explicit Form2(Services services, QWidget *parent = nullptr);
    ~Form2() override;

    // Handlers.
    void activate();
    void command1Click(); // Quit
    void command2Click(); // back to the simulation window

    PrintBox *problemBox() const { return m_picture1; }
    PrintBox *conditionsBox() const { return m_picture2; }
    QWidget *clientArea(const char *container);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void applyZoom(double zoom);

    std::unique_ptr<CueDevice> m_ownCues;
    std::unique_ptr<Confirmation> m_ownConfirmation;
    CueDevice *m_cues;
    Confirmation *m_confirmation;
    std::function<void()> m_endProgram;
    std::function<void()> m_showSimulation;

    PrintBox *m_picture1 = nullptr;
    PrintBox *m_picture2 = nullptr;
    FocusButton *m_command1 = nullptr;
    FocusButton *m_command2 = nullptr;
    double m_zoom = 1.0;
};

} // namespace perne
