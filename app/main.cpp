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
// line and status as no display at all; a platform plugin that does not exist (-platform
// nosuch) is named instead, since no display would help. Qt's own warnings before it, which
// say what failed, are kept.
QtMessageHandler qtHandler = nullptr;
QString missingPlugin;     // the last plugin Qt was told to use and could not find
bool pluginFailed = false; // one was found but could not start (its display did not open)

// The text between the first pair of double quotes.
QString quoted(const QString &message)
{
    const qsizetype open = message.indexOf(u'"');
    const qsizetype close = message.indexOf(u'"', open + 1);
    return open < 0 || close < 0 ? QString() : message.mid(open + 1, close - open - 1);
}

void startingHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        if (qstrcmp(context.category, "qt.qpa.plugin") == 0) {
            if (message.startsWith(QLatin1String("Could not find the Qt platform plugin")))
                missingPlugin = quoted(message);
            else if (message.startsWith(QLatin1String("Could not load the Qt platform plugin")))
                pluginFailed = true;
        }
        qtHandler(type, context, message);
        return;
    }
    if (missingPlugin.isNull() || pluginFailed) {
        std::fputs(kNoDisplay, stderr);
    } else {
        // Qt's fatal message ends with the plugins there are: "Available platform plugins
        // are: offscreen, xcb."
        const QLatin1String kAvailable("Available platform plugins are: ");
        const qsizetype list = message.indexOf(kAvailable);
        QString available = list < 0 ? QString() : message.mid(list + kAvailable.size()).trimmed();
        if (available.endsWith(u'.'))
            available.chop(1);
        const QString line =
            QStringLiteral("ペルネ実験: 画面の種類（Qt のプラットフォームプラグイン）\"%1\" "
                           "がありません / perne: no such Qt platform plugin \"%1\"")
                .arg(missingPlugin) +
            (available.isEmpty() ? QString()
                                 : QStringLiteral(" (使えるもの / available: %1)").arg(available)) +
            u'\n';
        std::fputs(line.toLocal8Bit().constData(), stderr);
    }
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
