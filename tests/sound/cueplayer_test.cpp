// The cue player: where a cue's file is found, stop-then-start, and no waiting without a device.
#include "cueplayer.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using perne::CuePlayer;

const QUrl ownPinpon(QStringLiteral("qrc:/assets/pinpon.wav"));
const QUrl ownLogoff(QStringLiteral("qrc:/assets/logoff.wav"));

// Runs each case in a fresh, empty current directory and restores the old one afterwards.
class CuePlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_oldDir = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    }
    void TearDown() override { QDir::setCurrent(m_oldDir); }

    // Puts a copy of one of the program's own cues into the current directory.
    QString copyHere(const QString &name, const QString &as)
    {
        const QString target = QDir::current().filePath(as);
        EXPECT_TRUE(QFile::copy(QStringLiteral(":/assets/") + name, target));
        return target;
    }

    QTemporaryDir m_dir;
    QString m_oldDir;
};

TEST_F(CuePlayerTest, FileInCurrentDirectoryWinsOverTheProgramsOwnCopy)
{
    CuePlayer player;
    EXPECT_EQ(player.locate("pinpon.wav"), ownPinpon);
    const QString local = copyHere(QStringLiteral("logoff.wav"), QStringLiteral("pinpon.wav"));
    EXPECT_EQ(player.locate("pinpon.wav"), QUrl::fromLocalFile(local));
    // Taken away again, the program's own copy is back.
    ASSERT_TRUE(QFile::remove(local));
    EXPECT_EQ(player.locate("pinpon.wav"), ownPinpon);
}

TEST_F(CuePlayerTest, UnknownNamesAreFoundNowhere)
{
    CuePlayer player;
    EXPECT_TRUE(player.locate("").isEmpty());
    EXPECT_TRUE(player.locate("chime.wav").isEmpty());
    EXPECT_TRUE(player.locate("PINPON.WAV").isEmpty());
    // A name with a folder means that folder; it does not fall back on the program's copy.
    EXPECT_TRUE(player.locate("sounds/pinpon.wav").isEmpty());
    EXPECT_TRUE(player.locate("../pinpon.wav").isEmpty());
    // A folder of the cue's name is not a file.
    ASSERT_TRUE(QDir::current().mkdir(QStringLiteral("logoff.wav")));
    EXPECT_EQ(player.locate("logoff.wav"), ownLogoff);
}

TEST_F(CuePlayerTest, FolderPathsInTheCurrentDirectoryAreFound)
{
    ASSERT_TRUE(QDir::current().mkdir(QStringLiteral("sounds")));
    const QString local =
        copyHere(QStringLiteral("pinpon.wav"), QStringLiteral("sounds/pinpon.wav"));
    CuePlayer player;
    EXPECT_EQ(player.locate("sounds/pinpon.wav"), QUrl::fromLocalFile(local));
}

TEST_F(CuePlayerTest, ANewCueStopsThePreviousOneAndBecomesCurrent)
{
    CuePlayer player;
    EXPECT_TRUE(player.currentSource().isEmpty());
    player.PlayCue("pinpon.wav");
    EXPECT_EQ(player.currentSource(), ownPinpon);
    player.PlayCue("logoff.wav");
    EXPECT_EQ(player.currentSource(), ownLogoff);
    for (QSoundEffect *effect : player.findChildren<QSoundEffect *>()) {
        if (effect->source() == ownPinpon) {
            EXPECT_FALSE(effect->isPlaying());
        }
    }
    // A cue that is found nowhere still stops the one before it, and plays nothing.
    player.PlayCue("nosuch.wav");
    EXPECT_TRUE(player.currentSource().isEmpty());
    for (QSoundEffect *effect : player.findChildren<QSoundEffect *>())
        EXPECT_FALSE(effect->isPlaying());
}

TEST_F(CuePlayerTest, EachFileIsLoadedOnceAndReused)
{
    CuePlayer player;
    for (int i = 0; i < 5; ++i) {
        player.PlayCue("pinpon.wav");
        player.PlayCue("logoff.wav");
        player.PlayCue("pinpon.wav");
    }
    EXPECT_EQ(player.loadedCount(), 2);
    EXPECT_EQ(player.findChildren<QSoundEffect *>().size(), 2);
    // The same name found in another place is another file.
    copyHere(QStringLiteral("endpinpon.wav"), QStringLiteral("pinpon.wav"));
    player.PlayCue("pinpon.wav");
    EXPECT_EQ(player.loadedCount(), 3);
    EXPECT_EQ(player.currentSource().scheme(), QStringLiteral("file"));
}

TEST_F(CuePlayerTest, PlayersOfTwoWindowsDoNotStopEachOther)
{
    CuePlayer first;
    CuePlayer second;
    first.PlayCue("pinpon.wav");
    second.PlayCue("logoff.wav");
    EXPECT_EQ(first.currentSource(), ownPinpon);
    EXPECT_EQ(second.currentSource(), ownLogoff);
}

// Without an audio device (as here) the effects finish loading and the program goes on:
// nothing blocks, nothing is left half-loaded, and a damaged file only stays silent.
TEST_F(CuePlayerTest, CuesSettleWithoutAnAudioDeviceAndDamagedFilesStaySilent)
{
    QFile damaged(QDir::current().filePath(QStringLiteral("endpinpon.wav")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("RIFF\x10\0\0\0WAVEjunkjunkjunk", 24);
    damaged.close();

    CuePlayer player;
    player.PlayCue("pinpon.wav");
    player.PlayCue("endpinpon.wav");
    player.PlayCue("logoff.wav");
    player.PlayCue("endpinpon.wav");
    const auto effects = player.findChildren<QSoundEffect *>();
    ASSERT_EQ(effects.size(), 3);
    const bool settled = QTest::qWaitFor(
        [&] {
            for (QSoundEffect *effect : effects) {
                if (effect->status() == QSoundEffect::Loading ||
                    effect->status() == QSoundEffect::Null)
                    return false;
            }
            return true;
        },
        10000);
    EXPECT_TRUE(settled);
    for (QSoundEffect *effect : effects) {
        const bool own = effect->source().scheme() == QStringLiteral("qrc");
        EXPECT_EQ(effect->status(), own ? QSoundEffect::Ready : QSoundEffect::Error)
            << effect->source().toString().toStdString();
    }
    // Playing on after the loads is as harmless as before them.
    player.PlayCue("pinpon.wav");
    EXPECT_EQ(player.currentSource(), ownPinpon);
}

// Only where there is somewhere to play to (a sound server with an output).
TEST_F(CuePlayerTest, WithAnAudioDeviceTheNewCueSoundsAndTheOldOneIsCutOff)
{
    if (QMediaDevices::defaultAudioOutput().isNull())
        GTEST_SKIP() << "no audio output device";
    CuePlayer player;
    player.PlayCue("endpinpon.wav");
    auto effectOf = [&](const QUrl &source) -> QSoundEffect * {
        for (QSoundEffect *effect : player.findChildren<QSoundEffect *>()) {
            if (effect->source() == source)
                return effect;
        }
        return nullptr;
    };
    QSoundEffect *end = effectOf(QUrl(QStringLiteral("qrc:/assets/endpinpon.wav")));
    ASSERT_NE(end, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return end->isPlaying(); }, 5000));
    player.PlayCue("logoff.wav");
    EXPECT_FALSE(end->isPlaying());
    QSoundEffect *logoff = effectOf(ownLogoff);
    ASSERT_NE(logoff, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return logoff->isPlaying(); }, 5000));
    // The same cue again starts over rather than being ignored.
    player.PlayCue("logoff.wav");
    EXPECT_TRUE(QTest::qWaitFor([&] { return logoff->isPlaying(); }, 5000));
    EXPECT_FALSE(end->isPlaying());
}

} // namespace
