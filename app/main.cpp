#include "cueplayer.h"
#include "fonts.h"
#include "form1.h"
#include "images.h"
#include "translations.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char *kNoDisplay =
    "ペルネ実験: 画面（グラフィカルディスプレイ）がないので起動できません / perne: a graphical "
    "display is needed\n";

bool set(const char *variable)
{
    const char *value = std::getenv(variable);
    return value && *value;
}

// Whether Qt has a screen to open the windows on, or has been told where to find one. Without
// any, Qt would name the missing platform plugin, advise reinstalling, and abort.
bool displayGiven(int argc, char *argv[])
{
    if (set("DISPLAY") || set("WAYLAND_DISPLAY") || set("WAYLAND_SOCKET") || set("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        for (const char *option : {"-platform", "--platform", "-display", "--display"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

// While Qt starts: a display that is named but cannot be opened ends the program with the same
// line and status as no display at all. Qt's own warnings before it, which say what failed,
// are kept.
QtMessageHandler qtHandler = nullptr;
void startingHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        qtHandler(type, context, message);
        return;
    }
    std::fputs(kNoDisplay, stderr);
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
}

} // namespace

int main(int argc, char *argv[])
{
    // Answered before Qt starts, so that it needs no display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("perne %s\n", PERNE_VERSION);
        return 0;
    }
    if (!displayGiven(argc, argv)) {
        std::fputs(kNoDisplay, stderr);
        return EXIT_FAILURE;
    }
    // Qt's own options (-platform, -style ...) are taken from the command line here;
    // the program has none of its own.
    qtHandler = qInstallMessageHandler(startingHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtHandler);
    QApplication::setApplicationName(QStringLiteral("perne"));
    QApplication::setApplicationVersion(QStringLiteral(PERNE_VERSION));
    QApplication::setWindowIcon(perne::programIcon());
    perne::installJapaneseFonts();
    perne::installQtJapanese(app);

    int status = 0;
    {
        perne::Form1 form1;
        form1.load();
        form1.show();
        status = QApplication::exec();
    }
    // A sound server that hung while a cue was sounding still holds a sound thread; Qt
    // Multimedia's clean-up at exit would wait for it or crash. The windows are closed and
    // nothing is left unwritten, so end here.
    if (perne::CuePlayer::heldSoundThreads() > 0) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
