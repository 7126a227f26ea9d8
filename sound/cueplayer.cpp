#include "cueplayer.h"

#include <QAudioDevice>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>

namespace perne {

CuePlayer::CuePlayer(QObject *parent, const QString &assetFolder)
    : QObject(parent), m_assetFolder(assetFolder)
{}

CuePlayer::~CuePlayer() = default;

void CuePlayer::PlayCue(std::string_view fileName)
{
    if (m_current) {
        m_current->stop();
        m_current = nullptr;
    }
    const QUrl source = locate(fileName);
    if (source.isEmpty())
        return;
    m_current = effectFor(source);
    // With no output device there is nothing to start (and Qt would complain on every cue).
    // The default output is asked each time: a headset plugged in later is then used.
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull())
        return;
    if (m_current->audioDevice() != output)
        m_current->setAudioDevice(output);
    // Before the file has finished loading, play() is remembered and starts once it has.
    m_current->play();
}

QUrl CuePlayer::locate(std::string_view fileName) const
{
    const QString name =
        QString::fromUtf8(fileName.data(), static_cast<qsizetype>(fileName.size()));
    if (name.isEmpty())
        return {};
    const QFileInfo local(QDir::current(), name);
    if (local.isFile())
        return QUrl::fromLocalFile(local.absoluteFilePath());
    // Only a bare name may fall back to the program's own copy.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return {};
    const QFileInfo own(m_assetFolder + name);
    if (!own.isFile())
        return {};
    if (m_assetFolder.startsWith(QLatin1Char(':')))
        return QUrl(QStringLiteral("qrc") + own.filePath());
    return QUrl::fromLocalFile(own.absoluteFilePath());
}

QUrl CuePlayer::currentSource() const
{
    return m_current ? m_current->source() : QUrl();
}

QSoundEffect *CuePlayer::effectFor(const QUrl &source)
{
    const QString key = source.toString();
    auto found = m_effects.find(key);
    if (found != m_effects.end())
        return found->second;
    auto *effect = new QSoundEffect(this);
    effect->setSource(source);
    m_effects.emplace(key, effect);
    return effect;
}

} // namespace perne
