// The cue player: where a cue's file is found, stop-then-start, and no waiting without an
// audio device (there is none here).
#include "cueplayer.h"

#include <QDir>
#include <QFile>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

class CuePlayerTest : public QObject
{
    Q_OBJECT
private slots:
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

    // A new cue stops the current one and takes its place; an unknown one only stops it.
    // Each file is loaded once, and loading goes on while the program does.
    void aNewCueReplacesTheOneSounding()
    {
        perne::CuePlayer player;
        for (const char *name : {"logoff.wav", "endpinpon.wav", "logoff.wav"}) {
            player.PlayCue(name);
            QCOMPARE(player.currentSource(), QUrl(QStringLiteral("qrc:/assets/") + name));
        }
        player.PlayCue("chime.wav");
        QVERIFY(player.currentSource().isEmpty());
        const auto effects = player.findChildren<QSoundEffect *>();
        QCOMPARE(effects.size(), 2);
        QTRY_VERIFY(std::ranges::all_of(
            effects, [](QSoundEffect *e) { return e->status() == QSoundEffect::Ready; }));
    }
};

QTEST_MAIN(CuePlayerTest)
#include "cueplayer_test.moc"
