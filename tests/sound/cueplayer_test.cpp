// The cue player: where a cue's file is found, files too large to load, and no waiting on a
// sound server that has hung (there is no audio device here).
#include "cueplayer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The program's own warnings; Qt Multimedia's come from the sound threads too.
QMutex warningsMutex;
QStringList warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    const QMutexLocker lock(&warningsMutex);
    if (type == QtWarningMsg && message.startsWith(QStringLiteral("perne: ")))
        warnings << message;
}

// A sound server that has hung: it listens and never answers, so a client's connection is
// taken at once and its first request waits for good. Returns the socket, or -1.
int listenSilently(const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(fd, 64) != 0)
        return -1;
    return fd;
}

} // namespace

class CuePlayerTest : public QObject
{
    Q_OBJECT
private slots:
    // Runs first, and alone in its own test process too (see CMakeLists.txt): before this
    // player nothing in the process has asked for audio devices. Cues asked for while the
    // sound server hangs come back at once and the event loop goes on turning; the player
    // closes without waiting, and its thread gets out by itself.
    void aSoundServerThatHangsHoldsNothingUp()
    {
        QTemporaryDir folder;
        const int server = listenSilently(folder.filePath("native"));
        QVERIFY(server >= 0);
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(folder.filePath("native")));
        QElapsedTimer clock;
        clock.start();
        {
            perne::CuePlayer player;
            for (const char *name : {"pinpon.wav", "logoff.wav", "endpinpon.wav", "pinpon.wav"}) {
                player.PlayCue(name);
                QTest::qWait(100);
            }
        }
        QVERIFY2(clock.elapsed() < 2000, QByteArray::number(clock.elapsed()));
        qunsetenv("PULSE_SERVER");
        QTRY_COMPARE_WITH_TIMEOUT(perne::CuePlayer::heldSoundThreads(), 0, 10000);
        ::close(server);
    }

    // The current directory first, then the program's own copy; anything else is silence.
    void aCueIsLookedForHereFirstThenInTheProgramsOwnCopy()
    {
        QTemporaryDir here;
        const QString old = QDir::currentPath();
        QVERIFY(QDir::setCurrent(here.path()));
        perne::CuePlayer player;
        QCOMPARE(player.locate("pinpon.wav"), QUrl("qrc:/assets/pinpon.wav"));
        QVERIFY(QFile::copy(":/assets/logoff.wav", "pinpon.wav"));
        QCOMPARE(player.locate("pinpon.wav"), QUrl::fromLocalFile(here.filePath("pinpon.wav")));
        for (const char *unknown : {"", "chime.wav", "../assets/logoff.wav"})
            QVERIFY2(player.locate(unknown).isEmpty(), unknown);
        QDir::setCurrent(old);
    }

    // A cue file over 16 MB is not loaded: the cue only stops the sounding one, and the
    // program names the file on standard error once, whichever window plays it how often.
    // 16 MB itself is still played.
    void aCueFileOverSixteenMegabytesIsSilentAndNamedOnce()
    {
        QTemporaryDir here;
        const QString old = QDir::currentPath();
        QVERIFY(QDir::setCurrent(here.path()));
        for (const auto &[name, size] :
             {std::pair{"pinpon.wav", perne::CuePlayer::kMaxCueBytes + 1},
              std::pair{"logoff.wav", perne::CuePlayer::kMaxCueBytes}}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size));
        }
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        perne::CuePlayer simulation, problem;
        for (perne::CuePlayer *player : {&simulation, &problem, &simulation}) {
            player->PlayCue("endpinpon.wav");
            QCOMPARE(player->currentSource(), QUrl("qrc:/assets/endpinpon.wav"));
            player->PlayCue("pinpon.wav");
            QVERIFY(player->currentSource().isEmpty());
            player->PlayCue("logoff.wav");
            QCOMPARE(player->currentSource(), QUrl::fromLocalFile(here.filePath("logoff.wav")));
        }
        qInstallMessageHandler(previous);
        QDir::setCurrent(old);
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings[0].contains(here.filePath("pinpon.wav")) &&
                     warnings[0].contains(QStringLiteral("16 MB")),
                 qPrintable(warnings[0]));
    }
};

QTEST_MAIN(CuePlayerTest)
#include "cueplayer_test.moc"
