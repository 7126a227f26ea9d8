// The program's own copy of its pictures and cues, reached through the static libraries.
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

TEST(Assets, PicturesAreLinkedInWithTheirDesignSizes)
{
    const QImage momotaro(QStringLiteral(":/assets/momotaro.png"));
    const QImage dog(QStringLiteral(":/assets/dog.png"));
    const QImage icon(QStringLiteral(":/assets/icon.png"));
    ASSERT_FALSE(momotaro.isNull());
    ASSERT_FALSE(dog.isNull());
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(momotaro.size(), QSize(33, 36));
    EXPECT_EQ(dog.size(), QSize(34, 34));
    EXPECT_EQ(icon.size(), QSize(32, 32));
    // The icon's mask: its corners are see-through, its middle is not.
    EXPECT_TRUE(icon.hasAlphaChannel());
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(16, 16)), 255);
    // The sprites have no mask: they are drawn on their own grounds.
    EXPECT_FALSE(momotaro.hasAlphaChannel());
    EXPECT_FALSE(dog.hasAlphaChannel());
}

TEST(Assets, CuesAreShortMonoWaveFiles)
{
    for (const char *name : {"pinpon.wav", "endpinpon.wav", "logoff.wav"}) {
        SCOPED_TRACE(name);
        QFile file(QStringLiteral(":/assets/") + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        ASSERT_GT(data.size(), 44);
        EXPECT_EQ(data.left(4), "RIFF");
        EXPECT_EQ(data.mid(8, 8), "WAVEfmt ");
        const auto *header = reinterpret_cast<const uchar *>(data.constData());
        const int channels = header[22] | header[23] << 8;
        const int rate = header[24] | header[25] << 8 | header[26] << 16;
        const int bits = header[34] | header[35] << 8;
        EXPECT_EQ(channels, 1);
        EXPECT_EQ(bits, 16);
        // A cue is a short signal: under a second, so clicks in a row do not pile up.
        const double seconds = double(data.size() - 44) / (rate * channels * bits / 8);
        EXPECT_GT(seconds, 0.1);
        EXPECT_LT(seconds, 1.0);
    }
}

} // namespace
